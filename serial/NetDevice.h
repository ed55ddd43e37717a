#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "serial/NetAddress.h"
#include "serial/NetConnector.h"
#include "serial/PortDevice.h"
#include "serial/TelnetComPort.h"

// A network port as the serial channel's device: "tcp://HOST:PORT" passes
// the bytes as they are (the server owns the line settings);
// "rfc2217://HOST:PORT" speaks Telnet, sends the line settings to the server
// and escapes the data both ways. A connection the server closes or resets
// reads as the end of the device.
//
// Open, SetLine, RaiseDtrRts and Purge, as the channel's open calls them,
// share one time limit (kOpenTimeout from Open), so the whole open gives up
// in bounded time; they block their caller meanwhile, which may be any
// thread that owns the port then. Afterwards Read belongs to the reader
// thread and Write to the writer.
class NetDevice : public PortDevice {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kOpenTimeout{3000};
    // Why an open failed, beside the errno values of the connect
    // (ECONNREFUSED, ETIMEDOUT, ...): the host name does not resolve; the
    // server closed the connection during the open; no Telnet answer (a raw
    // port?); Telnet, but binary or the COM-PORT-OPTION refused; the server
    // did not take the line settings. Once open, a server's stream that
    // breaks Telnet's rules ends the connection (kTelnetBroken, TelnetError).
    static constexpr int kUnresolved = NetConnector::kUnresolved;
    static constexpr int kClosed = ECONNRESET;
    static constexpr int kNoTelnet = EPROTO;
    static constexpr int kTelnetRefused = EPROTONOSUPPORT;
    static constexpr int kLineRefused = EINVAL;
    static constexpr int kTelnetBroken = EBADMSG;

    NetDevice() = default;
    ~NetDevice() override { Close(); }
    NetDevice(const NetDevice&) = delete;
    NetDevice& operator=(const NetDevice&) = delete;

    // Connects to the network port `name` names and, for rfc2217://, agrees
    // on the Telnet options.
    bool Open(const std::string& name) override;
    void Close() override;
    void ReleaseDevice() override;
    int Fd() const override { return m_fd; }
    int Error() const override { return m_nError; }

    bool SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) override;
    bool RaiseDtrRts() override;
    bool DropDtr() override;
    bool Purge() override;
    int BytesWaiting() override;
    ssize_t Read(char* buffer, size_t maximum) override;
    ssize_t Write(const char* bytes, size_t count) override;

    // For the port doctor: whether the server ends the connection within
    // `wait` of the open (it serves one client, or another one holds the line).
    bool ServerCloses(std::chrono::milliseconds wait);
    // The data the server sent while the open went on (its words when it
    // turns a client away), at most kOpenTextSize bytes.
    const std::string& OpenText() const { return m_openText; }
    static constexpr size_t kOpenTextSize = 200;
    // What was wrong with the server's Telnet, after a kTelnetBroken.
    std::string TelnetError() const;

  private:
    bool Fail(int error);
    bool IsTelnet() const { return m_telnet != nullptr; }
    bool Negotiate();
    // Sends what the Telnet side has to say, within the open's time.
    bool SendTelnetOutput();
    // Reads the server until `done`, or fails: the connection ended, the
    // Telnet options were refused, or the open's time ran out (`timeoutError`).
    bool AwaitServer(const std::function<bool()>& done, int timeoutError);
    // Takes what the server sent so far, answering its Telnet; false (with
    // the error) when the connection ended.
    bool DrainInput();
    // Data bytes from the socket, as Read returns them.
    ssize_t Receive(char* buffer, size_t maximum);

    int m_fd = -1;
    int m_nError = 0;
    std::unique_ptr<TelnetComPort> m_telnet;
    Clock::time_point m_deadline;
    std::string m_openText;
    // Bytes as the server sent them (the reader thread's once open).
    std::array<char, 2048> m_raw{};
    // Writer thread only: the first half of a doubled 0xFF went out, the second not.
    bool m_bIacOwed = false;
};

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// libtelnet's parser and its events.
struct telnet_t;
union telnet_event_t;

// The Telnet side of an rfc2217:// port, on bytes only (the socket is
// NetDevice's): binary both ways and the COM-PORT-OPTION of RFC 2217 are
// negotiated, the line settings go to the server as its commands and its
// answers are kept, and the data bytes are taken out of the server's stream.
// libtelnet parses the stream; the negotiation and the COM-PORT commands are ours.
class TelnetComPort {
  public:
    static constexpr unsigned char kComPortOption = 44;
    enum class Agreement { kPending, kAgreed, kRefused };

    TelnetComPort();
    ~TelnetComPort();
    TelnetComPort(const TelnetComPort&) = delete;
    TelnetComPort& operator=(const TelnetComPort&) = delete;

    // Asks for binary both ways and the COM-PORT-OPTION.
    void Negotiate();
    // The rate, data bits, parity and stop bits (the port text's codes), and
    // no flow control either way.
    void SendLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits);
    // SET-CONTROL with an RFC 2217 value: 8 DTR on, 9 DTR off, 11 RTS on.
    void SendControl(uint8_t value);
    // PURGE-DATA of both of the server's buffers.
    void SendPurge();

    // Takes bytes from the server; its data bytes go to `data`, which has
    // room for `count` (data never outgrows what carried it). Returns how many.
    // After a protocol error nothing more is data.
    size_t Receive(const char* bytes, size_t count, char* data);
    // Why the server's stream cannot be parsed on, empty while it can: a
    // subnegotiation longer than libtelnet's buffer (libtelnet would pass the
    // rest of it on as data), or an error libtelnet cannot go on after.
    const std::string& ProtocolError() const { return m_protocolError; }
    // What is to go to the server (negotiation answers, commands), taken.
    std::string TakeOutput();

    // Binary both ways and the COM-PORT-OPTION; refused when the server said no to one.
    Agreement Options() const;
    // Whether any Telnet command came from the server.
    bool SpokeTelnet() const { return m_bSpokeTelnet; }
    // The server answered each line setting asked for; with the values asked.
    bool LineAnswered() const;
    bool LineTaken() const;

    // Data as it goes to the server: every 0xFF doubled.
    static std::string Escape(const char* bytes, size_t count);

  private:
    struct Line {
        std::optional<uint32_t> baud;
        std::optional<uint8_t> dataSize, parity, stopSize;
        bool operator==(const Line&) const = default;
    };

    static void OnEvent(telnet_t* telnet, telnet_event_t* event, void* self);
    // `type`: libtelnet's TELNET_EV_WILL, _WONT, _DO or _DONT.
    void OnNegotiation(int type, unsigned char option);
    void OnComPortAnswer(const unsigned char* bytes, size_t size);
    void TakeData(const char* bytes, size_t count);
    void SendCommand(uint8_t command, const unsigned char* value, size_t size);
    // Sends WILL, WONT, DO or DONT for `option`, unless that was said already.
    void Say(unsigned char command, unsigned char option);

    telnet_t* m_telnet = nullptr;
    std::string m_out;
    char* m_data = nullptr;  // where Receive puts data bytes
    size_t m_nData = 0;
    size_t m_nRoom = 0;
    bool m_bSpokeTelnet = false;
    std::string m_protocolError;
    Agreement m_binaryOut = Agreement::kPending;
    Agreement m_binaryIn = Agreement::kPending;
    Agreement m_comPort = Agreement::kPending;
    std::array<bool, 256> m_saidOurs{};  // WILL or WONT sent, by option
    std::array<bool, 256> m_saidHis{};   // DO or DONT sent
    Line m_asked;
    Line m_answered;
};

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "params/ParamTable.h"
#include "protocol/EchoList.h"
#include "protocol/TxLineObserver.h"
#include "serial/CTtyPort.h"

// The outgoing command lines. Builders queue complete lines; the form's tick
// writes them out in order with FlushTxQueue. Belongs to one thread.
class TxQueue {
  public:
    static constexpr int kSlots = 200;
    static constexpr int kLinePauseMs = 10;

    explicit TxQueue(LineListView& sentView) : m_txEcho(sentView) {}

    // Told of each line queued from now on (null: nobody).
    void SetObserver(TxLineObserver* observer) { m_observer = observer; }

    // `line` already ends with its carriage return.
    void QueueCommand(const std::string& line);
    // Writes every queued line with a 10 ms pause after each and echoes it
    // without its carriage return; with the port closed the lines are lost.
    void FlushTxQueue(CTtyPort& port);
    // The same for the oldest queued line alone, for a caller that looks at
    // what came back, or at a failed write, between lines.
    void FlushTxLine(CTtyPort& port);
    bool HasPending() const { return m_nTxWrite != m_nTxRead; }
    int Pending() const { return (m_nTxWrite - m_nTxRead + kSlots) % kSlots; }
    int EchoLines() const { return m_txEcho.Lines(); }

    int QueueParamWrite(int32_t station, int32_t number, int32_t value);
    void QueueCop(int32_t station);
    void QueuePsv(int32_t station);
    void QueueReadAll(int32_t station);
    // FRD 0, then FRD 1.
    void QueueReadVersion(int32_t station);
    void QueueParamInit(int32_t station);
    // The text exactly as typed, plus the carriage return.
    void QueueManual(const std::string& text);

    // A write group: one PWR line per (number, value), then COP, then PSV.
    void QueueWriteGroup(int32_t station, const std::vector<std::pair<int32_t, int32_t>>& writes);
    // Send-all: every listed parameter as the table holds it, then COP, PSV.
    void QueueSendAll(int32_t station, const ParamTable& table);
    // Apply and save: parameters 42 to 49, 40, 41, then COP, PSV.
    void QueueSetupApply(int32_t station, const ParamTable& table);

    // "#<station>.<code>[ <arg>...]\r"
    static std::string CommandLine(int32_t station, const char* code, const std::string& args = "");

  private:
    void QueueSaveLines(int32_t station);

    std::array<std::string, kSlots> m_txQueue;
    int32_t m_nTxWrite = 0;
    int32_t m_nTxRead = 0;
    EchoList m_txEcho;
    TxLineObserver* m_observer = nullptr;
};

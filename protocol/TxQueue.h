#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "protocol/EchoList.h"
#include "serial/CTtyPort.h"

// The outgoing command lines. Builders queue complete lines; the form's tick
// writes them out in order with FlushTxQueue. Belongs to one thread.
class TxQueue {
public:
    static constexpr int kSlots = 200;
    static constexpr int kLinePauseMs = 10;

    explicit TxQueue(LineListView& sentView) : m_txEcho(sentView) {}

    // `line` already ends with its carriage return.
    void QueueCommand(const std::string& line);
    // Writes every queued line with a 10 ms pause after each and echoes it
    // without its carriage return; with the port closed the lines are lost.
    void FlushTxQueue(CTtyPort& port);
    bool HasPending() const { return m_nTxWrite != m_nTxRead; }
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

    // "#<station>.<code>[ <arg>...]\r"
    static std::string CommandLine(int32_t station, const char* code, const std::string& args = "");

private:
    std::array<std::string, kSlots> m_txQueue;
    int32_t m_nTxWrite = 0;
    int32_t m_nTxRead = 0;
    EchoList m_txEcho;
};

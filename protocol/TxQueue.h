#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "params/ParamTable.h"
#include "protocol/EchoList.h"
#include "protocol/TxLineObserver.h"
#include "protocol/TxLineWriter.h"

// The outgoing command lines. Builders queue complete lines; the form's tick
// hands them to the writer in order with FlushTxQueue, which never waits on
// the line; each line is echoed as it leaves. A full queue refuses what comes,
// a builder's lines all or none (a write group is never cut short), and
// counts them for the owner to say. Belongs to one thread.
class TxQueue {
  public:
    static constexpr int kSlots = 200;

    // Told of each line that has left the writer, with what became of it.
    class GoneListener {
      public:
        virtual ~GoneListener() = default;
        virtual void OnLineGone(const TxLineWriter::Gone& gone) = 0;
    };

    TxQueue(LineListView& sentView, TxLineWriter& writer) : m_txEcho(sentView), m_writer(writer) {}

    // Told of each line queued from now on (null: nobody).
    void SetObserver(TxLineObserver* observer) { m_observer = observer; }

    // `line` already ends with its carriage return. False when the queue is full.
    bool QueueCommand(const std::string& line);
    void SetGoneListener(GoneListener* listener) { m_goneListener = listener; }

    // Says whether a line must wait before it is handed over.
    using Hold = std::function<bool(const std::string& line)>;

    // Hands every queued line to the writer, which writes them in order with a
    // 10 ms pause after each (with no port open they are lost), and echoes the
    // lines that have left. A line that `hold` keeps back waits, with every
    // line behind it, for a later flush.
    void FlushTxQueue(const Hold& hold = {});
    // Echoes, without its carriage return, each line that has left since.
    void EchoGoneLines();
    // Gives up every line not yet written (the one in flight finishes): they
    // leave unsent, and are echoed as every line is.
    void GiveUpWaiting();
    // Lines queued whose fate has not been taken back yet: a line that has
    // just gone still counts until its fate is told (a failure included).
    bool HasPending() const { return Pending() > 0 || m_writer.Held() > 0; }
    // Lines queued and not yet handed over.
    int Pending() const { return (m_nTxWrite - m_nTxRead + kSlots) % kSlots; }
    // Lines refused since the last call, given once.
    int TakeRefused();
    int EchoLines() const { return m_txEcho.Lines(); }
    // Lines queued, and lines that have left (written, failed or lost), since
    // the start: a line is still waiting while fewer than its number have left.
    int64_t QueuedCount() const { return m_nQueued; }
    int64_t GoneCount() const { return m_nGone; }

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
    bool QueueLine(const std::string& line, TxLineObserver::Origin origin);
    // Whether `count` more lines fit; when not, they are counted as refused.
    bool Fits(int count);
    void QueueSaveLines(int32_t station);
    // Tells the listener of a line that has left and echoes it without its carriage return.
    void Echo(TxLineWriter::Gone gone);

    std::array<std::string, kSlots> m_txQueue;
    int32_t m_nTxWrite = 0;
    int32_t m_nTxRead = 0;
    EchoList m_txEcho;
    TxLineWriter& m_writer;
    TxLineObserver* m_observer = nullptr;
    GoneListener* m_goneListener = nullptr;
    int64_t m_nQueued = 0;
    int64_t m_nGone = 0;
    int m_nRefused = 0;
};

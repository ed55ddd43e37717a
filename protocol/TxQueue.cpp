#include "protocol/TxQueue.h"

#include <iterator>
#include <utility>

#include "params/SetupParams.h"

bool TxQueue::Fits(int count) {
    // One slot stays free: a full ring would read as empty.
    if (Pending() + count < kSlots) return true;
    m_nRefused += count;
    return false;
}

int TxQueue::TakeRefused() { return std::exchange(m_nRefused, 0); }

bool TxQueue::QueueCommand(const std::string& line) {
    return QueueLine(line, TxLineObserver::Origin::kCommand);
}

bool TxQueue::QueueLine(const std::string& line, TxLineObserver::Origin origin) {
    if (!Fits(1)) return false;
    m_txQueue[m_nTxWrite] = line;
    m_nTxWrite = (m_nTxWrite + 1) % kSlots;
    ++m_nQueued;
    if (m_observer) m_observer->OnLineQueued(line, origin);
    return true;
}

void TxQueue::FlushTxQueue(const Hold& hold) {
    EchoGoneLines();
    // With no port open, and none of the lines before them still on their
    // way, the lines are lost here and now.
    bool lost = !m_writer.PortOpen() && m_writer.Held() == 0;
    while (m_nTxRead != m_nTxWrite) {
        const std::string& line = m_txQueue[m_nTxRead];
        if (hold && hold(line)) break;
        if (lost) {
            Echo({line, TxLineWriter::Fate::kNotSent});
        } else if (!m_writer.Hand(line)) {
            break;  // every slot of the writer is taken: the rest wait for the next tick
        }
        m_nTxRead = (m_nTxRead + 1) % kSlots;
    }
    EchoGoneLines();
}

void TxQueue::GiveUpWaiting() {
    m_writer.GiveUpWaiting();
    EchoGoneLines();
    for (; m_nTxRead != m_nTxWrite; m_nTxRead = (m_nTxRead + 1) % kSlots) {
        Echo({m_txQueue[m_nTxRead], TxLineWriter::Fate::kNotSent});
    }
}

void TxQueue::EchoGoneLines() {
    for (TxLineWriter::Gone gone; m_writer.TakeGone(gone);) Echo(gone);
}

void TxQueue::Echo(TxLineWriter::Gone gone) {
    ++m_nGone;
    if (m_goneListener) m_goneListener->OnLineGone(gone);
    // A line given up while the port is open (refused, interrupted) did not
    // go out and is not shown as sent; lines lost with no port open are
    // echoed, as they always were.
    if (gone.fate == TxLineWriter::Fate::kNotSent && m_writer.PortOpen()) return;
    std::string& line = gone.line;
    if (!line.empty()) line.pop_back();
    m_txEcho.Add(line);
}

std::string TxQueue::CommandLine(int32_t station, const char* code, const std::string& args) {
    std::string line = "#" + std::to_string(station) + "." + code;
    if (!args.empty()) line += " " + args;
    return line + "\r";
}

int TxQueue::QueueParamWrite(int32_t station, int32_t number, int32_t value) {
    QueueCommand(CommandLine(station, "PWR", std::to_string(number) + " " + std::to_string(value)));
    return 0;
}

void TxQueue::QueueCop(int32_t station) { QueueCommand(CommandLine(station, "COP")); }

void TxQueue::QueuePsv(int32_t station) { QueueCommand(CommandLine(station, "PSV")); }

void TxQueue::QueueReadAll(int32_t station) { QueueCommand(CommandLine(station, "PRA")); }

void TxQueue::QueueReadVersion(int32_t station) {
    if (!Fits(2)) return;
    QueueLine(CommandLine(station, "FRD", "0"), TxLineObserver::Origin::kVersion);
    QueueLine(CommandLine(station, "FRD", "1"), TxLineObserver::Origin::kVersion);
}

void TxQueue::QueueParamInit(int32_t station) { QueueCommand(CommandLine(station, "PDF", "ALL")); }

void TxQueue::QueueManual(const std::string& text) {
    QueueLine(text + "\r", TxLineObserver::Origin::kManual);
}

void TxQueue::QueueWriteGroup(int32_t station,
                              const std::vector<std::pair<int32_t, int32_t>>& writes) {
    if (!Fits(static_cast<int>(writes.size()) + 2)) return;
    for (const auto& [number, value] : writes) QueueParamWrite(station, number, value);
    QueueSaveLines(station);
}

void TxQueue::QueueSendAll(int32_t station, const ParamTable& table) {
    std::vector<int32_t> listed = table.ListedNumbers();
    if (!Fits(static_cast<int>(listed.size()) + 2)) return;
    for (int32_t number : listed) {
        QueueParamWrite(station, number, table.GetParamValue(number));
    }
    QueueSaveLines(station);
}

void TxQueue::QueueSetupApply(int32_t station, const ParamTable& table) {
    if (!Fits(static_cast<int>(std::size(SetupParams::kWriteOrder)) + 2)) return;
    for (int32_t number : SetupParams::kWriteOrder) {
        QueueParamWrite(station, number, table.GetParamValue(number));
    }
    QueueSaveLines(station);
}

void TxQueue::QueueSaveLines(int32_t station) {
    QueueCop(station);
    QueuePsv(station);
}

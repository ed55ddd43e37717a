#include "protocol/TxQueue.h"

#include <chrono>
#include <thread>

#include "params/SetupParams.h"

void TxQueue::QueueCommand(const std::string& line) {
    m_txQueue[m_nTxWrite] = line;
    m_nTxWrite = (m_nTxWrite + 1) % kSlots;
    if (m_observer) m_observer->OnLineQueued(line);
}

void TxQueue::FlushTxQueue(CTtyPort& port) {
    while (HasPending()) FlushTxLine(port);
}

void TxQueue::FlushTxLine(CTtyPort& port) {
    if (!HasPending()) return;
    std::string line = m_txQueue[m_nTxRead];
    m_nTxRead = (m_nTxRead + 1) % kSlots;
    port.WriteBlock(line.data(), static_cast<uint32_t>(line.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(kLinePauseMs));
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
    QueueCommand(CommandLine(station, "FRD", "0"));
    QueueCommand(CommandLine(station, "FRD", "1"));
}

void TxQueue::QueueParamInit(int32_t station) { QueueCommand(CommandLine(station, "PDF", "ALL")); }

void TxQueue::QueueManual(const std::string& text) { QueueCommand(text + "\r"); }

void TxQueue::QueueWriteGroup(int32_t station,
                              const std::vector<std::pair<int32_t, int32_t>>& writes) {
    for (const auto& [number, value] : writes) QueueParamWrite(station, number, value);
    QueueSaveLines(station);
}

void TxQueue::QueueSendAll(int32_t station, const ParamTable& table) {
    for (int32_t number : table.ListedNumbers()) {
        QueueParamWrite(station, number, table.GetParamValue(number));
    }
    QueueSaveLines(station);
}

void TxQueue::QueueSetupApply(int32_t station, const ParamTable& table) {
    for (int32_t number : SetupParams::kWriteOrder) {
        QueueParamWrite(station, number, table.GetParamValue(number));
    }
    QueueSaveLines(station);
}

void TxQueue::QueueSaveLines(int32_t station) {
    QueueCop(station);
    QueuePsv(station);
}

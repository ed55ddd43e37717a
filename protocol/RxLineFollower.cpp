#include "protocol/RxLineFollower.h"

bool RxLineFollower::Next(std::string& line) {
    if (m_nRxEchoRead == m_port.RxReadIndex()) return false;
    char bytes[CTtyPort::kRxSlotSize];
    size_t length = m_port.CopyRxLine(m_nRxEchoRead, bytes, sizeof bytes);
    line.assign(bytes, length);
    m_nRxEchoRead = (m_nRxEchoRead + 1) % CTtyPort::kRxSlots;
    return true;
}

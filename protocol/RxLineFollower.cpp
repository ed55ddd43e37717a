#include "protocol/RxLineFollower.h"

bool RxLineFollower::Next(std::string& line) {
    if (m_nRxEchoRead == m_ring.ReadIndex()) return false;
    char bytes[RxLineRing::kSlotSize];
    size_t length = m_ring.CopyLine(m_nRxEchoRead, bytes, sizeof bytes);
    line.assign(bytes, length);
    m_nRxEchoRead = RxLineRing::Next(m_nRxEchoRead);
    return true;
}

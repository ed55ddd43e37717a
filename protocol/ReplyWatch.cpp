#include "protocol/ReplyWatch.h"

void ReplyWatch::Arm(int32_t readIndex, Clock::time_point now) {
    m_bArmed = true;
    m_nReadIndex = readIndex;
    m_deadline = now + ReplyWaits::kFormSilence;
}

bool ReplyWatch::Silent(int32_t readIndex, Clock::time_point now) {
    if (!m_bArmed) return false;
    if (readIndex != m_nReadIndex) {
        m_bArmed = false;
        return false;
    }
    if (now < m_deadline) return false;
    m_bArmed = false;
    return true;
}

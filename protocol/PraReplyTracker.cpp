#include "protocol/PraReplyTracker.h"

#include <string>

#include "protocol/ReplyParser.h"
#include "serial/CTtyPort.h"

void PraReplyTracker::Take(std::string_view line) {
    if (!ReplyParser::TakeReplyLine(line) || line.substr(3, 3) != "PRA") return;
    // As the dispatcher takes it: one slot's bytes at most, then the carriage
    // return its parser stops at.
    std::string text(line.substr(0, CTtyPort::kRxSlotSize));
    text += '\r';
    const char* pos = text.c_str() + 3;
    int32_t values[ReplyParser::kMaxValues];
    int32_t count = 0;
    ReplyParser::ParseValues16(pos, values, count);
    bool badNumber = false;
    int32_t pairs = ReplyParser::ValidPraPairs(values, count, badNumber);
    for (int32_t i = 0; i < pairs; ++i) m_carried.Set(values[2 * i], values[2 * i + 1]);
    m_bReplied = true;
    m_bBadNumber = m_bBadNumber || badNumber;
}

std::vector<int32_t> PraReplyTracker::Missing(const std::vector<int32_t>& numbers) const {
    std::vector<int32_t> missing;
    for (int32_t number : numbers) {
        if (!m_carried.Has(number)) missing.push_back(number);
    }
    return missing;
}

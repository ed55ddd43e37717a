#include "protocol/PraReplyTracker.h"

#include <optional>

#include "protocol/ReplyParser.h"
#include "protocol/ReplyStation.h"

void PraReplyTracker::Take(std::string_view line) {
    std::optional<ReplyParser::ReplyLine> reply = ReplyParser::ParseLine(line);
    if (!reply || reply->kind != ReplyParser::Kind::kPra) return;
    // Another drive on the same line answers for itself, not for this one.
    if (ReplyStation::StationOf(reply->station) != m_nStation) return;
    const std::vector<int32_t>& values = reply->values;
    bool badNumber = false;
    int32_t pairs =
        ReplyParser::ValidPraPairs(values.data(), static_cast<int32_t>(values.size()), badNumber);
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

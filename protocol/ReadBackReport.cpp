#include "protocol/ReadBackReport.h"

ReadBackReport::ReadBackReport(const ParamSet& sent, const PraReplyTracker& read,
                               uint64_t lastGroup)
    : m_comparison(sent, read.Carried(), sent.Numbers()),
      m_missing(read.Missing(sent.Numbers())),
      m_bBadNumber(read.BadNumberSeen()),
      m_nLastGroup(lastGroup) {
    if (!m_missing.empty()) {
        m_outcome = Outcome::kNoCompleteReply;
    } else {
        m_outcome = m_comparison.Differences() == 0 ? Outcome::kConfirmed : Outcome::kMismatch;
    }
}

const char* ReadBackReport::ResultName(Outcome outcome) {
    switch (outcome) {
        case ReadBackReport::Outcome::kConfirmed:
            return "confirmed";
        case ReadBackReport::Outcome::kMismatch:
            return "mismatch";
        case ReadBackReport::Outcome::kNoCompleteReply:
            break;
    }
    return "no complete reply";
}

// veld-para watch: the live monitor from a terminal.
#include <cstdio>

#include "JsonReport.h"
#include "ParaCommands.h"
#include "StdoutCheck.h"
#include "journal/JournalRecord.h"
#include "protocol/PollMonitor.h"
#include "protocol/PollRecorder.h"

namespace {

constexpr int32_t kUnansweredLimit = 3;
constexpr int kPollPauseMs = 5;

void Print(const std::string& line) {
    std::printf("%s\n", line.c_str());
    StdoutCheck::Flush();
}

// A reply as the GUI records it (--csv), as one JSON object (--json), or as
// text: "212 MVW 1500 -10 3100 300".
std::string RowText(const ParaArgs& args, const PollMonitor::Row& row) {
    const ReplyParser::ReplyLine& reply = row.reply;
    if (args.csv) return PollRecorder::CsvRow(row);
    if (args.json) {
        nlohmann::ordered_json object = {
            {"ms", row.ms},
            {"time", PollRecorder::IsoTime(row.wall)},
            {"station", std::string(1, reply.station)},
            {"code", reply.code},
            {"fields", reply.values},
        };
        return JsonReport::Dump(object, -1);
    }
    std::string line = std::to_string(row.ms) + " " + reply.code;
    for (int32_t value : reply.values) line += " " + std::to_string(value);
    return line;
}

}  // namespace

int ParaCommands::Watch() {
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    if (m_args.csv) Print(PollRecorder::kCsvHeader);
    PollMonitor monitor(m_session.Port(), m_nStationId, m_args.pollCommands, m_args.intervalMs,
                        PollMonitor::Clock::now());
    const PollSchedule& schedule = monitor.Schedule();
    SessionJournal& journal = m_session.Session().Journal();
    journal.Record(JournalRecord::MonitorStart(m_nStationId, schedule));
    int result = kDone;
    // A signal is how a watch without a count ends; rows that cannot be written
    // end it too: nobody sees them.
    while (ParaSession::StopSignal() == 0 && StdoutCheck::Flush()) {
        PollMonitor::Clock::time_point now = PollMonitor::Clock::now();
        for (const PollMonitor::Row& row : monitor.TakeReplies(now)) Print(RowText(m_args, row));
        // A round given up is counted before the next one could go.
        bool settled = monitor.Settle(now);
        if (schedule.UnansweredInRow() >= kUnansweredLimit) {
            std::fprintf(stderr, "veld-para: no reply from the drive (%d rounds in a row)\n",
                         kUnansweredLimit);
            result = kNoReply;
            break;
        }
        if (m_args.count > 0 && schedule.RoundsSent() >= m_args.count) {
            if (settled) break;
        } else if (monitor.Tick(now, m_session.Queue()) == PollSchedule::Slot::kSent) {
            ParaSession::Outcome sent = m_session.Flush();
            if (sent == ParaSession::Outcome::kInterrupted) break;
            if (sent != ParaSession::Outcome::kDone) {
                result = m_context.ExitCode(sent);
                break;
            }
            continue;
        }
        // Echoes what came, on stderr, while it waits.
        ParaSession::Outcome waited = m_session.WaitReplies(kPollPauseMs, false);
        if (waited == ParaSession::Outcome::kLost) {
            result = m_context.ExitCode(waited);
            break;
        }
    }
    journal.Record(JournalRecord::MonitorStop(m_nStationId, schedule));
    if (!m_args.quiet) {
        std::fprintf(stderr,
                     "veld-para: %lld rounds: %lld answered, %lld unanswered; %lld slots skipped "
                     "while a round was outstanding\n",
                     static_cast<long long>(schedule.RoundsSent()),
                     static_cast<long long>(schedule.RoundsAnswered()),
                     static_cast<long long>(schedule.RoundsUnanswered()),
                     static_cast<long long>(schedule.SlotsSkipped()));
    }
    if (result != kDone) return result;
    // The rows could not be written: that ended it (main says why).
    if (!StdoutCheck::Flush()) return kOutputLost;
    // Stopped, not finished: the rows are those until the signal.
    if (int signal = ParaSession::StopSignal(); signal != 0) {
        std::fprintf(stderr, "veld-para: stopped by signal %d\n", signal);
        return kSignalBase + signal;
    }
    // A watch that got no reply, or lost rounds it was asked to count, is no success.
    if (schedule.RoundsAnswered() == 0) {
        std::fprintf(stderr, "veld-para: no reply from the drive\n");
        return kNoReply;
    }
    if (m_args.count > 0 && schedule.RoundsUnanswered() > 0) {
        std::fprintf(stderr, "veld-para: %lld of the %d rounds got no complete reply\n",
                     static_cast<long long>(schedule.RoundsUnanswered()), m_args.count);
        return kNoReply;
    }
    return kDone;
}

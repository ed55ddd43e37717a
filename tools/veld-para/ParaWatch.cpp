// veld-para watch: the live monitor from a terminal.
#include <cstdio>
#include <optional>

#include "ParaCommands.h"
#include "StdoutCheck.h"
#include "WatchRowFormat.h"
#include "common/NumberArg.h"
#include "protocol/PollMonitor.h"

namespace {

constexpr int kDefaultIntervalMs = 1000;
constexpr int32_t kUnansweredLimit = 3;
constexpr int kPollPauseMs = 5;

struct WatchArgs {
    std::vector<PollCommand> commands;
    int32_t intervalMs = kDefaultIntervalMs;
    int32_t count = 0;  // 0: until interrupted
    WatchRowFormat::Kind format = WatchRowFormat::Kind::kText;
};

// The arguments of watch; the reason in `error` when they are wrong.
std::optional<WatchArgs> ParseWatchArgs(const std::vector<std::string>& args, std::string& error) {
    WatchArgs parsed;
    bool formatGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--interval" || arg == "--count") {
            int32_t& value = arg == "--interval" ? parsed.intervalMs : parsed.count;
            int32_t low = arg == "--interval" ? PollSchedule::kMinIntervalMs : 1;
            int32_t high = arg == "--interval" ? PollSchedule::kMaxIntervalMs : INT32_MAX;
            if (!hasValue || !NumberArg::Parse(args[++i], low, high, value)) {
                error = "watch: " + arg + " needs a number from " + std::to_string(low) + " to " +
                        std::to_string(high);
                return std::nullopt;
            }
        } else if (arg == "--csv" || arg == "--json") {
            if (formatGiven) {
                error = "watch: one of --csv and --json";
                return std::nullopt;
            }
            formatGiven = true;
            parsed.format =
                arg == "--csv" ? WatchRowFormat::Kind::kCsv : WatchRowFormat::Kind::kJson;
        } else {
            // "PRD 20" as one argument or as two.
            std::string text = arg;
            if (arg == PollCommand::kReadOne && hasValue) text += " " + args[++i];
            std::optional<PollCommand> command = PollCommand::Parse(text);
            if (!command) {
                error = "watch: not a read command: " + text +
                        " (STA, MTP, MIO, MIE, MAL, MVW or PRD 0 to 109)";
                return std::nullopt;
            }
            parsed.commands.push_back(*command);
        }
    }
    if (parsed.commands.empty()) {
        error = "watch: CMD expected";
        return std::nullopt;
    }
    return parsed;
}

void Print(const std::string& line) {
    if (line.empty()) return;
    std::printf("%s\n", line.c_str());
    StdoutCheck::Flush();
}

}  // namespace

int ParaCommands::Watch() {
    std::string error;
    std::optional<WatchArgs> args = ParseWatchArgs(m_options.args, error);
    if (!args) return UsageError(error);
    if (int opened = OpenPort(); opened != kDone) return opened;

    WatchRowFormat format(args->format);
    Print(format.Header());
    PollMonitor monitor(m_session.Port(), m_nStationId, args->commands, args->intervalMs,
                        PollMonitor::Clock::now());
    const PollSchedule& schedule = monitor.Schedule();
    int result = kDone;
    // A signal is how a watch without a count ends; rows that cannot be written
    // end it too: nobody sees them.
    while (ParaSession::StopSignal() == 0 && StdoutCheck::Flush()) {
        PollMonitor::Clock::time_point now = PollMonitor::Clock::now();
        for (const PollMonitor::Row& row : monitor.TakeReplies(now)) Print(format.Row(row));
        // A round given up is counted before the next one could go.
        bool settled = monitor.Settle(now);
        if (schedule.UnansweredInRow() >= kUnansweredLimit) {
            std::fprintf(stderr, "veld-para: no reply from the drive (%d rounds in a row)\n",
                         kUnansweredLimit);
            result = kNoReply;
            break;
        }
        if (args->count > 0 && schedule.RoundsSent() >= args->count) {
            if (settled) break;
        } else if (monitor.Tick(now, m_session.Queue()) == PollSchedule::Slot::kSent) {
            ParaSession::Outcome sent = m_session.Flush();
            if (sent == ParaSession::Outcome::kInterrupted) break;
            if (sent != ParaSession::Outcome::kDone) return ExitCode(sent);
            continue;
        }
        // Echoes what came, on stderr, while it waits.
        ParaSession::Outcome waited = m_session.WaitReplies(kPollPauseMs, false);
        if (waited == ParaSession::Outcome::kLost) return ExitCode(waited);
    }
    if (!m_options.quiet) {
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
    // A watch that got no reply, or lost rounds it was asked to count, is no success.
    if (schedule.RoundsAnswered() == 0) {
        std::fprintf(stderr, "veld-para: no reply from the drive\n");
        return kNoReply;
    }
    if (args->count > 0 && schedule.RoundsUnanswered() > 0) {
        std::fprintf(stderr, "veld-para: %lld of the %d rounds got no complete reply\n",
                     static_cast<long long>(schedule.RoundsUnanswered()), args->count);
        return kNoReply;
    }
    return kDone;
}

#include "ParaCommands.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "ComparisonText.h"
#include "FileProblemText.h"
#include "JsonReport.h"
#include "SafeWriteCommands.h"
#include "SentLinesText.h"
#include "common/NumberArg.h"
#include "params/DecimalText.h"
#include "params/ParamComparison.h"
#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"
#include "params/ParamPreset.h"
#include "params/SetupParams.h"

namespace {

// "SET로 모드변경" writes 1 into ConFlag.
constexpr int32_t kConFlag = 100;

}  // namespace

ParaCommands::ParaCommands(const ParaOptions& options)
    : m_options(options),
      m_table(ParamTable::Instance()),
      m_session(m_table, options.quiet),
      m_nStationId(DecimalText::Parse(options.id)) {}

int ParaCommands::Run() {
    using Command = int (ParaCommands::*)();
    const std::pair<const char*, Command> commands[] = {
        {"read", &ParaCommands::Read},       {"write", &ParaCommands::Write},
        {"set", &ParaCommands::Set},         {"setup", &ParaCommands::Setup},
        {"setmode", &ParaCommands::SetMode}, {"version", &ParaCommands::Version},
        {"init", &ParaCommands::Init},       {"send", &ParaCommands::Send},
        {"verify", &ParaCommands::Verify},   {"monitor", &ParaCommands::Monitor},
        {"diff", &ParaCommands::Diff},       {"restore", &ParaCommands::Restore},
        {"watch", &ParaCommands::Watch},     {"ports", &ParaCommands::Ports},
        {"doctor", &ParaCommands::Doctor},   {"scan", &ParaCommands::Scan},
        {"commission", &ParaCommands::Commission},
    };
    m_args = m_options.args;
    std::string error;
    if (!m_flags.Take(m_args, CommandFlags::AcceptedBy(m_options.command), error)) {
        return UsageError(m_options.command + ": " + error);
    }
    for (const auto& [name, command] : commands) {
        if (m_options.command == name) return (this->*command)();
    }
    return UsageError("unknown command: " + m_options.command);
}

int ParaCommands::UsageError(const std::string& why) const {
    std::fprintf(stderr, "veld-para: %s\n%s", why.c_str(), ParaOptions::Usage());
    return kUsage;
}

int ParaCommands::OpenPort() {
    ParaSession::StopOnSignals();
    // A slow line may want a longer silence before a read gives up.
    std::chrono::milliseconds wait(m_options.waitMs);
    if (wait > DriveReads::kSilence) m_session.Session().SetReadSilence(wait);
    if (m_session.Open(m_options.port, m_options.baud)) return kDone;
    std::fprintf(stderr, "포트를 열수가 없습니다.\n%s",
                 OpenFailure(m_options.port, m_session.LastOpenError()).c_str());
    return kNoPort;
}

int ParaCommands::ExitCode(ParaSession::Outcome outcome) const {
    // Lines that did not go out are told one by one, whatever stopped them.
    SentLinesText lines(m_session.Lines());
    if (outcome != ParaSession::Outcome::kDone && lines.Incomplete()) lines.Print();
    switch (outcome) {
        case ParaSession::Outcome::kDone:
            return kDone;
        case ParaSession::Outcome::kLost:
            std::fprintf(stderr, "veld-para: the port was lost (device gone)\n");
            return kNoReply;
        case ParaSession::Outcome::kWriteFailed:
            std::fprintf(stderr,
                         "veld-para: a line could not be written to the port (TTY Error!); "
                         "nothing more was sent\n");
            return kWriteFailed;
        case ParaSession::Outcome::kInterrupted:
            std::fprintf(stderr, "veld-para: stopped by signal %d\n", ParaSession::StopSignal());
            return kSignalBase + ParaSession::StopSignal();
        case ParaSession::Outcome::kSilent:
            break;
    }
    std::fprintf(stderr, "veld-para: no reply from the drive\n");
    return kNoReply;
}

int ParaCommands::SendQueued(bool printReplies) {
    ParaSession::Outcome sent = m_session.Flush(printReplies);
    return sent == ParaSession::Outcome::kDone ? AwaitReplies(printReplies) : ExitCode(sent);
}

int ParaCommands::AwaitReplies(bool printReplies) {
    return ExitCode(m_session.WaitReplies(m_options.waitMs, printReplies));
}

int ParaCommands::ReadDrive(const std::vector<int32_t>& wanted) {
    if (int opened = OpenPort(); opened != kDone) return opened;
    return ReadOpenDrive(wanted);
}

int ParaCommands::ReadOpenDrive(const std::vector<int32_t>& wanted) {
    ParaSession::Outcome outcome = m_session.Read(m_nStationId, wanted);
    return outcome == ParaSession::Outcome::kDone ? CheckReadComplete(wanted) : ExitCode(outcome);
}

int ParaCommands::CheckReadComplete(const std::vector<int32_t>& wanted) const {
    const PraReplyTracker& replies = m_session.ReadReplies();
    if (replies.BadNumberSeen()) {
        std::fprintf(stderr,
                     "veld-para: the drive's reply named a parameter outside 0 to 109 "
                     "(통신처리에러); the read is incomplete\n");
        return kReplyError;
    }
    std::vector<int32_t> missing = replies.Missing(wanted);
    if (missing.empty()) return kDone;
    std::string numbers;
    for (int32_t number : missing) numbers += " " + std::to_string(number);
    std::fprintf(stderr,
                 "veld-para: the drive's reply lacks %zu of the %zu parameters asked for:%s\n",
                 missing.size(), wanted.size(), numbers.c_str());
    return kNoReply;
}

bool ParaCommands::LoadFile(const std::string& path, ParamSet& values,
                            const char* consequence) const {
    std::optional<ParamFileCheck> check = ParamFileCheck::Read(path);
    if (!check) {
        std::fprintf(stderr, "File Error\n%s\nveld-para: %s\n", path.c_str(), consequence);
        return false;
    }
    if (!check->Sendable()) {
        std::fprintf(stderr, "veld-para: %s is not a complete parameter file; %s:\n%s",
                     path.c_str(), consequence, FileProblemText::Lines(*check, true).c_str());
        return false;
    }
    values = check->Values();
    return true;
}

void ParaCommands::PrintParam(int32_t number, int32_t value) const {
    std::printf("%d\t%s\t%d\n", number, m_table.Entry(number).name, value);
}

int ParaCommands::Read() {
    std::optional<std::string> outPath;
    bool all = false;
    const std::vector<std::string>& args = m_args;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--all") {
            all = true;
        } else if (args[i] == "-o") {
            if (i + 1 == args.size() || args[i + 1].empty()) {
                return UsageError("read: -o needs a FILE name");
            }
            outPath = args[++i];
        } else {
            return UsageError("read: unexpected argument " + args[i]);
        }
    }
    std::vector<int32_t> wanted = m_table.ListedNumbers();
    if (all) {
        wanted.resize(ParamTable::kCount);
        std::iota(wanted.begin(), wanted.end(), 0);
    }
    if (int result = ReadDrive(wanted); result != kDone) return result;
    // What the station asked reported; the table also takes other stations' replies.
    ParamSet values;
    for (int32_t n : wanted) values.Set(n, DriveValues().Value(n));
    if (outPath) {
        ParamSet listed;
        for (int32_t n : m_table.ListedNumbers()) listed.Set(n, values.Value(n));
        if (ParamFile::Write(*outPath, listed)) return kDone;
        std::fprintf(stderr, "File Error\n%s\n", outPath->c_str());
        return kFileError;
    }
    if (m_flags.json) {
        JsonReport json("read");
        json.Add("station", m_nStationId);
        json.AddValues(values);
        json.Print();
        return kDone;
    }
    for (int32_t n : wanted) PrintParam(n, values.Value(n));
    return kDone;
}

int ParaCommands::Write() {
    if (m_args.size() != 1) return UsageError("write: one FILE expected");
    ParamSet values;
    if (!LoadFile(m_args[0], values, "nothing was sent")) return kFileError;
    // Apart from the table, which a backup's read fills with the drive's values.
    ParamTable file;
    for (int32_t number : values.Numbers()) file.SetParamValue(number, values.Value(number));
    SafeWriteCommands safe(*this);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    safe.BeforeWriteGroup();
    m_session.Queue().QueueSendAll(m_nStationId, file);
    return safe.SendWriteGroup(ParamSet::Listed(file));
}

int ParaCommands::Set() {
    const std::vector<std::string>& args = m_args;
    if (args.empty() || args.size() % 2 != 0) return UsageError("set: pairs N V expected");
    // With COP and PSV they stay below the queue's 200 slots.
    if (args.size() / 2 > ParamTable::kCount) return UsageError("set: at most 110 pairs");
    std::vector<std::pair<int32_t, int32_t>> writes;
    ParamSet sent;
    for (size_t i = 0; i < args.size(); i += 2) {
        int32_t number = 0;
        int32_t value = 0;
        if (!NumberArg::Parse(args[i], 0, ParamTable::kCount - 1, number) ||
            !NumberArg::Parse(args[i + 1], INT32_MIN, INT32_MAX, value)) {
            return UsageError("set: bad pair " + args[i] + " " + args[i + 1]);
        }
        writes.emplace_back(number, value);
        sent.Set(number, value);
    }
    SafeWriteCommands safe(*this);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    // As a grid edit: the table takes the value, then the write group goes out.
    for (const auto& [number, value] : writes) m_table.SetParamValue(number, value);
    safe.BeforeWriteGroup();
    m_session.Queue().QueueWriteGroup(m_nStationId, writes);
    return safe.SendWriteGroup(sent);
}

int ParaCommands::Setup() {
    int32_t mode = 0;
    if (m_args.size() != 1 || !NumberArg::Parse(m_args[0], 0, ParamPreset::kModes - 1, mode)) {
        return UsageError("setup: MODE 0 to 3 expected");
    }
    SafeWriteCommands safe(*this);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    SetupParams::Store(m_table, SetupParams::FromPreset(mode));
    safe.BeforeWriteGroup();
    m_session.Queue().QueueSetupApply(m_nStationId, m_table);
    ParamSet sent;
    for (int32_t number : SetupParams::kWriteOrder) sent.Set(number, m_table.GetParamValue(number));
    return safe.SendWriteGroup(sent);
}

int ParaCommands::SetMode() {
    if (!m_args.empty()) return UsageError("setmode takes no arguments");
    SafeWriteCommands safe(*this);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    safe.BeforeWriteGroup();
    m_session.Queue().QueueParamWrite(m_nStationId, kConFlag, 1);
    // A group of its own without COP and PSV, read back all the same.
    m_session.Session().EndWriteGroup(m_nStationId);
    ParamSet sent;
    sent.Set(kConFlag, 1);
    return safe.SendWriteGroup(sent);
}

int ParaCommands::Version() {
    if (!m_options.args.empty()) return UsageError("version takes no arguments");
    if (int opened = OpenPort(); opened != kDone) return opened;
    m_session.Queue().QueueReadVersion(m_nStationId);
    return SendQueued(true);
}

int ParaCommands::Init() {
    if (!m_args.empty()) return UsageError("init takes no arguments");
    if (int opened = SafeWriteCommands(*this).OpenForWriting(); opened != kDone) return opened;
    m_session.Queue().QueueParamInit(m_nStationId);
    // The drive acknowledges nothing defined: a complete read after it is the answer.
    if (ParaSession::Outcome sent = m_session.Flush(); sent != ParaSession::Outcome::kDone) {
        return ExitCode(sent);
    }
    return ReadOpenDrive(m_table.ListedNumbers());
}

int ParaCommands::Send() {
    if (m_options.args.empty()) return UsageError("send: LINE expected");
    if (int opened = OpenPort(); opened != kDone) return opened;
    // Each line goes out before the next is queued: however many are given,
    // the 200-slot queue never wraps over lines not yet sent.
    for (const std::string& line : m_options.args) {
        m_session.Queue().QueueManual(line);
        ParaSession::Outcome sent = m_session.Flush(true);
        if (sent != ParaSession::Outcome::kDone) return ExitCode(sent);
    }
    return AwaitReplies(true);
}

int ParaCommands::Verify() {
    if (m_args.size() != 1) return UsageError("verify: one FILE expected");
    ParamSet file;
    if (!LoadFile(m_args[0], file, "the drive was not read")) return kFileError;
    if (int result = ReadDrive(m_table.ListedNumbers()); result != kDone) return result;
    ParamComparison comparison(file, DriveValues(), m_table.ListedNumbers());
    if (m_flags.json) {
        JsonReport json("verify");
        json.Add("station", m_nStationId);
        json.Add("file", m_args[0]);
        json.AddComparison(comparison, "file", "drive");
        json.Print();
    } else {
        ComparisonText::PrintDiffering(comparison);
    }
    return comparison.Differences() == 0 ? kDone : kDiffer;
}

int ParaCommands::Diff() { return SafeWriteCommands(*this).Diff(); }

int ParaCommands::Restore() { return SafeWriteCommands(*this).Restore(); }

int ParaCommands::Monitor() {
    if (!m_options.args.empty()) return UsageError("monitor takes no arguments");
    if (int opened = OpenPort(); opened != kDone) return opened;
    return ExitCode(m_session.Monitor());
}

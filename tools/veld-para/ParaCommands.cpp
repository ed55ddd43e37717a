#include "ParaCommands.h"

#include <cstdio>
#include <numeric>
#include <vector>

#include "HistoryCommands.h"
#include "JsonReport.h"
#include "SafeWriteCommands.h"
#include "journal/JournalRecord.h"
#include "params/ParamComparison.h"
#include "params/ParamFile.h"
#include "params/SetupParams.h"
#include "protocol/SentCommand.h"

namespace {

// "SET로 모드변경" writes 1 into ConFlag.
constexpr int32_t kConFlag = 100;

}  // namespace

ParaCommands::ParaCommands(const ParaArgs& args)
    : m_context(args),
      m_args(args),
      m_table(m_context.Table()),
      m_session(m_context.Session()),
      m_nStationId(m_context.StationId()) {}

int ParaCommands::Read() {
    std::vector<int32_t> wanted = m_table.ListedNumbers();
    if (m_args.all) {
        wanted.resize(ParamTable::kCount);
        std::iota(wanted.begin(), wanted.end(), 0);
    }
    if (int result = m_context.ReadDrive(wanted); result != kDone) return result;
    // What the station asked reported; the table also takes other stations' replies.
    ParamSet values;
    for (int32_t n : wanted) values.Set(n, m_context.DriveValues().Value(n));
    if (!m_args.outPath.empty()) {
        ParamSet listed;
        for (int32_t n : m_table.ListedNumbers()) listed.Set(n, values.Value(n));
        if (ParamFile::Write(m_args.outPath, listed)) return kDone;
        return ParaContext::FileError(m_args.outPath);
    }
    if (m_args.json) {
        JsonReport json("read", {{"station", m_nStationId}});
        json.AddValues(values);
        json.Print();
        return kDone;
    }
    for (int32_t n : wanted) std::printf("%d\t%s\t%d\n", n, m_table.Entry(n).name, values.Value(n));
    return kDone;
}

int ParaCommands::Write() {
    ParamSet values;
    if (!ParaContext::LoadFile(m_args.values[0], values, "nothing was sent")) return kFileError;
    // Apart from the table, which a backup's read fills with the drive's values.
    ParamTable file;
    for (int32_t number : values.Numbers()) file.SetParamValue(number, values.Value(number));
    SafeWriteCommands safe(m_context);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    m_session.Session().Journal().Record(JournalRecord::File("sent from", m_args.values[0]));
    safe.BeforeWriteGroup();
    m_session.Queue().QueueSendAll(m_nStationId, file);
    return safe.SendWriteGroup(ParamSet::Listed(file));
}

int ParaCommands::Set() {
    ParamSet sent;
    for (const auto& [number, value] : m_args.pairs) sent.Set(number, value);
    SafeWriteCommands safe(m_context);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    // As a grid edit: the table takes the value, then the write group goes out.
    for (const auto& [number, value] : m_args.pairs) m_table.SetParamValue(number, value);
    safe.BeforeWriteGroup();
    m_session.Queue().QueueWriteGroup(m_nStationId, m_args.pairs);
    return safe.SendWriteGroup(sent);
}

int ParaCommands::Setup() {
    SafeWriteCommands safe(m_context);
    if (int opened = safe.OpenForWriting(); opened != kDone) return opened;
    SetupParams::Store(m_table, SetupParams::FromPreset(m_args.mode));
    safe.BeforeWriteGroup();
    m_session.Queue().QueueSetupApply(m_nStationId, m_table);
    ParamSet sent;
    for (int32_t number : SetupParams::kWriteOrder) sent.Set(number, m_table.GetParamValue(number));
    return safe.SendWriteGroup(sent);
}

int ParaCommands::SetMode() {
    SafeWriteCommands safe(m_context);
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
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    m_session.Queue().QueueReadVersion(m_nStationId);
    // The replies are the result: on stdout too.
    ParaSession::Outcome outcome = m_session.Flush(true);
    if (outcome == ParaSession::Outcome::kDone) {
        outcome = m_session.WaitReplies(m_args.waitMs, true);
    }
    return m_context.ExitCode(outcome);
}

int ParaCommands::Init() {
    if (int opened = SafeWriteCommands(m_context).OpenForWriting(); opened != kDone) {
        return opened;
    }
    m_session.Queue().QueueParamInit(m_nStationId);
    // The drive acknowledges nothing defined: a complete read after it is the answer.
    if (ParaSession::Outcome sent = m_session.Flush(); sent != ParaSession::Outcome::kDone) {
        return m_context.ExitCode(sent);
    }
    return m_context.ExitCode(m_session.Read(m_nStationId, m_table.ListedNumbers()));
}

int ParaCommands::Send() {
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    // Each line goes out before the next is queued: however many are given,
    // the 200-slot queue never wraps over lines not yet sent.
    bool answerAwaited = false;
    for (const std::string& line : m_args.values) {
        m_session.Queue().QueueManual(line);
        ParaSession::Outcome sent = m_session.Flush(true);
        if (sent != ParaSession::Outcome::kDone) return m_context.ExitCode(sent);
        SentCommand command;
        answerAwaited |= !SentCommand::Parse(line, command) || !command.Unanswered();
    }
    // Replies are shown as they come; silence fails only a line the drive answers.
    ParaSession::Outcome replies = m_session.WaitReplies(m_args.waitMs, true);
    if (replies == ParaSession::Outcome::kSilent && !answerAwaited) return kDone;
    return m_context.ExitCode(replies);
}

int ParaCommands::Verify() {
    const std::string& path = m_args.values[0];
    ParamSet file;
    if (!ParaContext::LoadFile(path, file, "the drive was not read")) return kFileError;
    if (int result = m_context.ReadDrive(m_table.ListedNumbers()); result != kDone) return result;
    ParamComparison comparison(file, m_context.DriveValues(), m_table.ListedNumbers());
    JsonReport json("verify", {{"station", m_nStationId}, {"file", path}});
    JsonReport::PrintComparison(comparison, m_args.json ? &json : nullptr, "file", "drive");
    return comparison.Differences() == 0 ? kDone : kDiffer;
}

int ParaCommands::Diff() { return SafeWriteCommands(m_context).Diff(); }

int ParaCommands::Restore() { return SafeWriteCommands(m_context).Restore(); }

int ParaCommands::History() { return HistoryCommands(m_context).Run(); }

int ParaCommands::Monitor() {
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    return m_context.ExitCode(m_session.Monitor());
}

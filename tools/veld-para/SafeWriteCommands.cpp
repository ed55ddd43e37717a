#include "SafeWriteCommands.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

#include "ComparisonText.h"
#include "SentLinesText.h"
#include "journal/JournalRecord.h"
#include "params/BackupStore.h"
#include "params/ParamComparison.h"
#include "params/ParamFile.h"
#include "params/ParamFileCheck.h"

SafeWriteCommands::SafeWriteCommands(ParaContext& context)
    : m_context(context), m_args(context.Args()) {}

int SafeWriteCommands::Diff() {
    const std::vector<std::string>& paths = m_args.values;
    std::vector<ParamFileCheck> files;
    for (const std::string& path : paths) {
        std::optional<ParamFileCheck> file = ParamFileCheck::Read(path);
        if (!file) return ParaContext::FileError(path);
        files.push_back(*file);
    }
    ParamComparison comparison(
        files[0].Values(), files[1].Values(),
        ParamComparison::NumbersOfEither(files[0].Values(), files[1].Values()));
    JsonReport json("diff", {{"file_a", paths[0]}, {"file_b", paths[1]}});
    JsonReport::PrintComparison(comparison, m_args.json ? &json : nullptr, "a", "b");
    // With records left out, neither "equal" nor "different" would be true.
    bool skippedA = ParaContext::ReportSkipped(paths[0], files[0]);
    bool skippedB = ParaContext::ReportSkipped(paths[1], files[1]);
    if (skippedA || skippedB) return kFileError;
    return comparison.Differences() == 0 ? kDone : kDiffer;
}

int SafeWriteCommands::Restore() {
    const std::string& path = m_args.values[0];
    ParamSet file;
    if (!ParaContext::LoadFile(path, file, "nothing was sent")) return kFileError;
    return Restore(file, "the file's", path);
}

int SafeWriteCommands::Restore(const ParamSet& values, const std::string& whose,
                               const std::string& filePath) {
    if (int target = CheckBackupTarget(); target != kDone) return target;
    if (int read = m_context.ReadDrive(values.Numbers()); read != kDone) return read;
    const ParamSet& drive = m_context.DriveValues();
    if (int saved = SaveBackup(); saved != kDone) return saved;
    ParamSet differing;
    ParamComparison comparison(values, drive, values.Numbers());
    for (const ParamComparison::Row& row : comparison.Rows()) {
        if (row.differ) differing.Set(row.number, row.a);
    }
    if (differing.Empty()) {
        if (!m_args.quiet) {
            std::fprintf(stderr, "veld-para: the drive holds %s values; nothing was sent\n",
                         whose.c_str());
        }
        ReportSent("nothing to send", differing);
        return kDone;
    }
    std::vector<std::pair<int32_t, int32_t>> writes;
    for (int32_t number : differing.Numbers()) writes.emplace_back(number, differing.Value(number));
    if (!filePath.empty()) {
        m_context.Session().Session().Journal().Record(JournalRecord::File("sent from", filePath));
    }
    BeforeWriteGroup();
    m_context.Session().Queue().QueueWriteGroup(m_context.StationId(), writes);
    return SendWriteGroup(differing);
}

int SafeWriteCommands::OpenForWriting() {
    if (m_args.backupPath.empty()) return m_context.OpenPort();
    if (int target = CheckBackupTarget(); target != kDone) return target;
    int read = m_context.ReadDrive(m_context.Table().ListedNumbers());
    if (read != kDone) {
        std::fprintf(stderr, "veld-para: no backup could be taken; nothing was written\n");
        return read;
    }
    return SaveBackup();
}

int SafeWriteCommands::CheckBackupTarget() const {
    const std::string& path = m_args.backupPath;
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error) ||
        !std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        return kDone;
    }
    std::fprintf(stderr,
                 "veld-para: --backup %s: the file exists, and a backup never replaces one; "
                 "nothing was read or written\n",
                 path.c_str());
    return kFileError;
}

int SafeWriteCommands::SaveBackup() {
    std::string path = m_args.backupPath;
    if (path.empty()) return kDone;
    // The session's rule: the last complete read, saved once
    // before anything is written; here to the operator's file or folder.
    DriveSession& session = m_context.Session().Session();
    session.SetBackupSaver(
        [path, port = m_args.port](const ParamSet& set, int32_t station) -> std::string {
            std::error_code error;
            if (std::filesystem::is_directory(path, error)) {
                return BackupStore(path).Save(set, station, port, std::time(nullptr));
            }
            return ParamFile::Create(path, set) ? path : std::string();
        });
    m_backupPath = session.BackUpLastRead();
    if (m_backupPath.empty()) return ParaContext::FileError(path, "nothing was written");
    if (!m_args.quiet) {
        std::fprintf(stderr, "veld-para: the drive's parameters were saved to %s\n",
                     m_backupPath.c_str());
    }
    return kDone;
}

void SafeWriteCommands::BeforeWriteGroup() {
    if (!m_args.noVerify) m_context.Session().Session().ReadBackNextGroup();
}

int SafeWriteCommands::SendWriteGroup(const ParamSet& sent) {
    bool readBack = !m_args.noVerify;
    ParaSession::Outcome outcome = m_context.Session().SendWriteGroup(readBack);
    if (outcome != ParaSession::Outcome::kDone) {
        ReportStopped(outcome);
        return m_context.ExitCode(outcome);
    }
    if (readBack) return Report(*m_context.Session().LastReadBack());
    ReportSent("sent, not read back", sent);
    return kDone;
}

int SafeWriteCommands::Report(const ReadBackReport& report) const {
    if (m_args.json) {
        JsonReport json = Document(nullptr);
        json.AddReadBack(report);
        json.Print();
    } else {
        ComparisonText::PrintDiffering(report.Comparison());
    }
    int sent = report.SentCount();
    switch (report.Result()) {
        case ReadBackReport::Outcome::kConfirmed:
            if (!m_args.quiet) {
                std::fprintf(stderr, "veld-para: read back: the drive holds all %d values sent\n",
                             sent);
            }
            return kDone;
        case ReadBackReport::Outcome::kMismatch:
            std::fprintf(stderr, "veld-para: read back: the drive holds %d of the %d values sent\n",
                         report.ConfirmedCount(), sent);
            return kDiffer;
        case ReadBackReport::Outcome::kNoCompleteReply:
            break;
    }
    std::fprintf(stderr,
                 "veld-para: read back: no complete reply; %zu of the %d values sent did not come "
                 "back:%s\n",
                 report.Missing().size(), sent, ParaContext::NumberList(report.Missing()).c_str());
    if (report.BadNumberSeen()) {
        std::fprintf(stderr,
                     "veld-para: the drive's reply named a parameter outside 0 to 109 "
                     "(통신처리에러)\n");
        return kReplyError;
    }
    return kNoReply;
}

void SafeWriteCommands::ReportStopped(ParaSession::Outcome outcome) const {
    SentLinesText lines(m_context.Session().Lines());
    if (!m_args.json || !lines.Incomplete()) return;
    const char* result = outcome == ParaSession::Outcome::kInterrupted   ? "interrupted"
                         : outcome == ParaSession::Outcome::kWriteFailed ? "write failed"
                                                                         : "port lost";
    JsonReport json = Document(result);
    json.Add("lines", lines.LinesJson());
    json.Add("unsaved", lines.Unsaved());
    json.Print();
}

void SafeWriteCommands::ReportSent(const char* result, const ParamSet& sent) const {
    if (!m_args.json) return;
    JsonReport json = Document(result);
    json.Add("sent", sent.Size());
    json.AddValues(sent);
    json.Print();
}

JsonReport SafeWriteCommands::Document(const char* result) const {
    JsonReport json(m_args.command, {{"station", m_context.StationId()}});
    if (!m_backupPath.empty()) json.Add("backup", m_backupPath);
    if (result) json.Add("result", result);
    return json;
}

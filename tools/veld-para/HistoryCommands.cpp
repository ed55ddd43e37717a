#include "HistoryCommands.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <vector>

#include "HistoryText.h"
#include "JsonReport.h"
#include "SafeWriteCommands.h"
#include "StdoutCheck.h"
#include "common/NumberArg.h"
#include "common/OptionKinds.h"
#include "journal/BackupImport.h"
#include "journal/JournalPath.h"
#include "journal/JournalRecord.h"
#include "journal/JournalTime.h"
#include "params/BackupStore.h"
#include "params/ParamComparison.h"
#include "params/ParamFileCheck.h"

namespace {

// How many values each action takes after its name.
struct Action {
    const char* name;
    size_t values;
};
constexpr Action kActions[] = {{"", 0},        {"show", 1},   {"diff", 2},
                               {"restore", 1}, {"export", 0}, {"verify", 0}};

// An entry's id: digits only, from 1 up.
std::optional<int64_t> ParseId(const std::string& text) {
    int64_t id = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || id < 1) {
        return std::nullopt;
    }
    return id;
}

void CheckValues(const ParaArgs& args) {
    std::string action = args.values.empty() ? "" : args.values[0];
    size_t given = args.values.empty() ? 0 : args.values.size() - 1;
    for (const Action& each : kActions) {
        if (action != each.name) continue;
        if (given != each.values) {
            throw CLI::ValidationError("ACTION", "history " + action + " takes " +
                                                     std::to_string(each.values) + " value(s)");
        }
        if (each.values > 0 && !ParseId(args.values[1])) {
            throw CLI::ValidationError("ID", "an entry's number expected, not " + args.values[1]);
        }
        if (action != "restore" && (args.noVerify || !args.backupPath.empty())) {
            throw CLI::ValidationError("--no-verify/--backup", "only history restore writes");
        }
        return;
    }
    throw CLI::ValidationError("ACTION",
                               "show, diff, restore, export or verify expected, not " + action);
}

}  // namespace

void HistoryCommands::Define(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "ACTION", args.values, 0, 3,
                        "nothing: the entries; show ID; diff ID ID|FILE (a FILE named by digits "
                        "alone as ./NAME); restore ID; export; verify")
        ->required(false);
    OptionKinds::Number(
        app, "--station", "S", INT32_MIN, INT32_MAX, [&args](int32_t s) { args.station = s; },
        "only the entries of station S");
    app.add_option_function<std::string>(
           "--since",
           [&args](const std::string& text) { args.since = *JournalTime::FromLocalText(text); },
           "only the entries from DATE on, local time: 2026-12-09 or \"2026-12-09 17:10\"")
        ->type_name("DATE")
        ->check([](const std::string& text) {
            return JournalTime::FromLocalText(text) ? ""
                                                    : "a date YYYY-MM-DD expected, not " + text;
        });
    OptionKinds::Number(
        app, "--last", "N", 1, INT32_MAX, [&args](int32_t n) { args.last = n; },
        "only the last N entries (still oldest first)");
    OptionKinds::Flag(app, "--json", args.json,
                      "the entries as one JSON document (restore: its read-back report)");
    app.footer(
        "--port, --station, --since and --last filter the list and export (--port, --since); "
        "diff exits 5 when the two differ; restore ID reads the drive (-p, -i), sends the values "
        "of the recorded read ID that differ, COP and PSV, reads back, and exits as restore FILE; "
        "verify exits 5 when the file is damaged or naming "
        "the first entry that does not match its hash; 4 when the journal cannot be opened or has "
        "no such entry.");
    app.callback([&args] {
        if (args.noJournal) {
            throw CLI::ValidationError("--no-journal", "history reads the journal");
        }
        CheckValues(args);
    });
}

HistoryCommands::HistoryCommands(ParaContext& context)
    : m_context(context), m_args(context.Args()) {}

int HistoryCommands::Run() {
    if (!OpenJournal()) return kFileError;
    const std::vector<std::string>& values = m_args.values;
    std::string action = values.empty() ? "" : values[0];
    if (action == "show") return Show(*ParseId(values[1]));
    if (action == "diff") return Diff(*ParseId(values[1]), values[2]);
    if (action == "restore") return Restore(*ParseId(values[1]));
    if (action == "export") return Export();
    if (action == "verify") return Verify();
    return List();
}

bool HistoryCommands::OpenJournal() {
    std::string path = m_args.journalPath.empty() ? JournalPath::Default() : m_args.journalPath;
    std::string error;
    m_journal = Journal::Open(path, error);
    if (!m_journal) {
        std::fprintf(stderr, "veld-para: %s\n", error.c_str());
        return false;
    }
    if (std::optional<Journal::Notice> notice = m_journal->TakeNotice()) {
        std::fprintf(stderr, "veld-para: %s\n", notice->english.c_str());
    }
    JournalOrigin origin = JournalOrigin::Current("veld-para");
    if (BackupImport::Run(*m_journal, BackupStore::DefaultFolder(), origin) < 0) {
        std::fprintf(stderr, "veld-para: the old backups were not taken into the journal: %s\n",
                     m_journal->Error().c_str());
    }
    return true;
}

int HistoryCommands::JournalFailed() const {
    std::fprintf(stderr, "veld-para: %s\n", m_journal->Error().c_str());
    return kFileError;
}

int HistoryCommands::List() {
    JournalFilter filter;
    if (m_args.portGiven) filter.port = m_args.port;
    filter.station = m_args.station;
    filter.since = m_args.since;
    filter.last = static_cast<size_t>(m_args.last);
    std::vector<JournalEntry> entries;
    if (!m_journal->Entries(filter, entries)) return JournalFailed();
    if (m_args.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const JournalEntry& entry : entries) list.push_back(entry.ToJson());
        JsonReport("history", {{"entries", std::move(list)}}).Print();
        return kDone;
    }
    for (const JournalEntry& entry : entries) std::printf("%s\n", HistoryText::Line(entry).c_str());
    return kDone;
}

int HistoryCommands::Show(int64_t id) {
    std::optional<JournalEntry> entry = m_journal->Entry(id);
    if (!entry) {
        std::fprintf(stderr, "veld-para: the journal %s has no entry %lld\n",
                     m_journal->Path().c_str(), static_cast<long long>(id));
        return kFileError;
    }
    if (m_args.json) {
        JsonReport("history show", {{"entry", entry->ToJson()}}).Print();
    } else {
        std::printf("%s", HistoryText::Details(*entry).c_str());
    }
    return kDone;
}

std::optional<ParamSet> HistoryCommands::RecordedRead(int64_t id) {
    std::optional<JournalEntry> entry = m_journal->Entry(id);
    std::optional<ParamSet> values;
    if (entry && entry->kind == JournalEntry::Kind::kRead) {
        values = JournalRecord::ReadValues(entry->payload);
    }
    if (!values) {
        std::fprintf(stderr, "veld-para: the journal %s has no recorded read %lld\n",
                     m_journal->Path().c_str(), static_cast<long long>(id));
    }
    return values;
}

int HistoryCommands::Diff(int64_t id, const std::string& other) {
    std::optional<ParamSet> a = RecordedRead(id);
    if (!a) return kFileError;
    std::optional<ParamSet> b;
    std::optional<ParamFileCheck> file;
    if (std::optional<int64_t> otherId = ParseId(other)) {
        b = RecordedRead(*otherId);
    } else if ((file = ParamFileCheck::Read(other))) {
        b = file->Values();
    } else {
        ParaContext::FileError(other);
    }
    if (!b) return kFileError;
    ParamComparison comparison(*a, *b, ParamComparison::NumbersOfEither(*a, *b));
    JsonReport json("history diff", {{"a", id}, {"b", other}});
    JsonReport::PrintComparison(comparison, m_args.json ? &json : nullptr, "a", "b");
    // With records left out, neither "equal" nor "different" would be true.
    if (file && ParaContext::ReportSkipped(other, *file)) return kFileError;
    return comparison.Differences() == 0 ? kDone : kDiffer;
}

int HistoryCommands::Restore(int64_t id) {
    std::optional<ParamSet> values = RecordedRead(id);
    if (!values) return kFileError;
    return SafeWriteCommands(m_context).Restore(*values, "the recorded read's");
}

int HistoryCommands::Export() {
    JournalFilter filter;
    if (m_args.portGiven) filter.port = m_args.port;
    filter.since = m_args.since;
    bool written = true;
    bool read = m_journal->ForEach(filter, [&written](const JournalEntry& entry) {
        std::printf("%s\n", JsonReport::Dump(entry.ToJson(), -1).c_str());
        // A reader gone stops the export, not only its end.
        written = entry.id % 256 != 0 || StdoutCheck::Flush();
        return written;
    });
    if (!read) return JournalFailed();
    return written ? kDone : kOutputLost;
}

int HistoryCommands::Verify() {
    Journal::Verification result;
    if (!m_journal->Verify(result)) return JournalFailed();
    if (!result.damage.empty()) {
        std::printf("the journal file is damaged: %s\n", result.damage.c_str());
        return kDiffer;
    }
    if (result.firstMismatch) {
        std::printf(
            "entry %lld does not match its hash: it was changed, or an entry before it was "
            "removed or inserted (%lld entries checked)\n",
            static_cast<long long>(*result.firstMismatch), static_cast<long long>(result.checked));
        return kDiffer;
    }
    std::printf("all %lld entries intact\n", static_cast<long long>(result.checked));
    return kDone;
}

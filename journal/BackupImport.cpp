#include "journal/BackupImport.h"

#include <ctime>
#include <optional>
#include <vector>

#include "journal/JournalRecord.h"
#include "journal/JournalSession.h"
#include "journal/JournalTime.h"
#include "params/BackupStore.h"
#include "params/ParamFileCheck.h"

namespace {

constexpr const char* kMark = "backups imported";

// The local time of a backup's name, "20261207-143015", as a journal time.
std::string TimeOf(const BackupStore::Entry& backup) {
    std::tm local{};
    if (!::strptime(backup.stamp.c_str(), "%Y%m%d-%H%M%S", &local)) return "";
    local.tm_isdst = -1;
    return JournalTime::FromUnix(std::mktime(&local), 0);
}

}  // namespace

int BackupImport::Run(Journal& journal, const std::string& folder, const JournalOrigin& origin) {
    std::vector<BackupStore::Entry> backups = BackupStore(folder).List();
    std::vector<JournalEntry> entries;
    JournalOrigin importer = origin;
    importer.program = kProgram;
    // Oldest first, as they were taken.
    for (auto it = backups.rbegin(); it != backups.rend(); ++it) {
        std::optional<ParamFileCheck> file = ParamFileCheck::Read(it->path);
        if (!file) continue;
        JournalSession session(importer, it->port);
        entries.push_back(
            session.Entry(JournalRecord::Read(it->station, file->Values(), file->Sendable())));
        entries.back().time = TimeOf(*it);
    }
    bool appended = false;
    if (!journal.AppendOnce(kMark, entries, appended)) return -1;
    return appended ? static_cast<int>(entries.size()) : 0;
}

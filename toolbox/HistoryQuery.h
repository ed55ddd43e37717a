#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalEntry.h"
#include "journal/JournalFilter.h"

using JournalSessions = std::vector<Journal::SessionInfo>;
using JournalEntries = std::vector<JournalEntry>;

// The history window's queries, run on the thread this object is moved to,
// so that the window goes on working while a large journal is searched. Its
// own connection to the journal: WAL lets it read beside those that write.
// Each answer carries the number of the request it answers.
class HistoryQuery : public QObject {
    Q_OBJECT
  public:
    explicit HistoryQuery(std::string path);
    ~HistoryQuery() override;

    void FindSessions(const JournalFilter& filter, size_t offset, size_t limit, quint64 request);
    void FindEntries(int64_t session, quint64 request);
    void FindEntry(int64_t id, quint64 request);
    // Writes the service report of `sessions` to `path`.
    void SaveReport(const JournalSessions& sessions, const QString& path, quint64 request);

  signals:
    void SessionsFound(quint64 request, const JournalSessions& sessions, bool more);
    void EntriesFound(quint64 request, const JournalEntries& entries);
    // Empty when there is no such entry.
    void EntryFound(quint64 request, const JournalEntries& entry);
    void ReportSaved(quint64 request, const QString& path);
    void Failed(quint64 request, const QString& reason);
    // Opening found the journal damaged, put it aside and began a new one.
    void PutAside(const QString& text);

  private:
    // The journal, opened on first use; nullptr (Failed told) when it cannot
    // be, or when there is no journal file yet (`missing`: nothing to show).
    Journal* Open(quint64 request, bool& missing);
    void Fail(quint64 request, const std::string& reason);

    std::string m_path;
    std::unique_ptr<Journal> m_journal;
};

#include "toolbox/HistoryQuery.h"

#include <filesystem>

#include "form/Utf8Text.h"
#include "journal/ServiceReportHtml.h"
#include "params/SafeFile.h"

HistoryQuery::HistoryQuery(std::string path) : m_path(std::move(path)) {}

HistoryQuery::~HistoryQuery() = default;

Journal* HistoryQuery::Open(quint64 request, bool& missing) {
    missing = false;
    if (m_journal) return m_journal.get();
    // A viewer makes no journal: one that is not there has nothing to show.
    std::error_code error;
    if (!std::filesystem::exists(m_path, error)) {
        missing = true;
        return nullptr;
    }
    std::string reason;
    m_journal = Journal::Open(m_path, reason);
    if (!m_journal) {
        Fail(request, reason);
        return nullptr;
    }
    if (std::optional<Journal::Notice> notice = m_journal->TakeNotice()) {
        emit PutAside(QString::fromStdString(notice->korean));
    }
    return m_journal.get();
}

void HistoryQuery::Fail(quint64 request, const std::string& reason) {
    emit Failed(request, Text("작업 기록을 읽지 못했습니다: %1 (%2)")
                             .arg(QString::fromStdString(m_path), QString::fromStdString(reason)));
}

void HistoryQuery::FindSessions(const JournalFilter& filter, size_t offset, size_t limit,
                                quint64 request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    JournalSessions sessions;
    if (journal && !journal->Sessions(filter, limit + 1, offset, sessions)) {
        Fail(request, journal->Error());
        return;
    }
    if (!journal && !missing) return;
    // One more than asked for tells whether another page follows.
    bool more = sessions.size() > limit;
    if (more) sessions.pop_back();
    emit SessionsFound(request, sessions, more);
}

void HistoryQuery::FindEntries(int64_t session, quint64 request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    JournalFilter filter;
    filter.session = session;
    JournalEntries entries;
    if (!journal->Entries(filter, entries)) {
        Fail(request, journal->Error());
        return;
    }
    emit EntriesFound(request, entries);
}

void HistoryQuery::FindEntry(int64_t id, quint64 request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    std::optional<JournalEntry> entry = journal->Entry(id);
    emit EntryFound(request, entry ? JournalEntries{*entry} : JournalEntries{});
}

void HistoryQuery::SaveReport(const JournalSessions& sessions, const QString& path,
                              quint64 request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    std::vector<ServiceReportHtml::Session> parts;
    for (const Journal::SessionInfo& info : sessions) {
        JournalFilter filter;
        filter.session = info.id;
        ServiceReportHtml::Session part{info, {}};
        if (!journal->Entries(filter, part.entries)) {
            Fail(request, journal->Error());
            return;
        }
        parts.push_back(std::move(part));
    }
    if (!SafeFile::Replace(path.toStdString(), ServiceReportHtml::Page(parts))) {
        emit Failed(request, Text("보고서를 저장하지 못했습니다: %1").arg(path));
        return;
    }
    emit ReportSaved(request, path);
}

#include "toolbox/HistoryQuery.h"

#include <filesystem>

#include "form/Utf8Text.h"
#include "journal/ServiceReportHtml.h"
#include "params/SafeFile.h"

using Kind = HistoryQuery::Answer::Kind;

namespace {

// Queries ask for one more than `limit`: whether it came tells whether more follow.
template <typename Rows>
bool TrimToLimit(Rows& rows, size_t limit) {
    bool more = rows.size() > limit;
    if (more) rows.pop_back();
    return more;
}

}  // namespace

HistoryQuery::HistoryQuery(std::string path)
    : m_path(std::move(path)), m_thread(&HistoryQuery::Run, this) {}

HistoryQuery::~HistoryQuery() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_posted.notify_one();
    m_thread.join();
}

void HistoryQuery::Post(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_posted.notify_one();
}

std::vector<HistoryQuery::Answer> HistoryQuery::TakeAnswers() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_answers, {});
}

void HistoryQuery::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        // A report asked for is written before the thread ends.
        if (m_jobs.empty()) return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job(*this);
        lock.lock();
    }
}

void HistoryQuery::Add(Answer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(answer));
}

Journal* HistoryQuery::Open(uint64_t request, bool& missing) {
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
        Fail(request, QString::fromStdString(reason));
        return nullptr;
    }
    if (std::optional<Journal::Notice> notice = m_journal->TakeNotice()) {
        Add({.kind = Kind::kPutAside,
             .request = request,
             .text = QString::fromStdString(notice->korean)});
    }
    return m_journal.get();
}

void HistoryQuery::Fail(uint64_t request, const QString& reason) {
    Add({.kind = Kind::kFailed,
         .request = request,
         .text = Text("작업 기록을 읽지 못했습니다: %1 (%2)")
                     .arg(QString::fromStdString(m_path), reason)});
}

void HistoryQuery::FindSessions(const JournalFilter& filter, size_t offset, size_t limit,
                                uint64_t request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    JournalSessions sessions;
    if (journal && !journal->Sessions(filter, limit + 1, offset, sessions)) {
        Fail(request, QString::fromStdString(journal->Error()));
        return;
    }
    if (!journal && !missing) return;
    bool more = TrimToLimit(sessions, limit);
    Add({Kind::kSessions, request, std::move(sessions), more, {}, {}});
}

void HistoryQuery::FindEntries(int64_t session, uint64_t request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    JournalFilter filter;
    filter.session = session;
    JournalEntries entries;
    if (!journal->Entries(filter, entries)) {
        Fail(request, QString::fromStdString(journal->Error()));
        return;
    }
    Add({Kind::kEntries, request, {}, false, std::move(entries), {}});
}

void HistoryQuery::FindEntry(int64_t id, uint64_t request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    std::optional<JournalEntry> entry = journal->Entry(id);
    Add({Kind::kEntry, request, {}, false, entry ? JournalEntries{*entry} : JournalEntries{}, {}});
}

void HistoryQuery::FindCompleteReads(size_t limit, uint64_t request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    JournalEntries reads;
    if (journal && !journal->CompleteReads(limit + 1, reads)) {
        Fail(request, QString::fromStdString(journal->Error()));
        return;
    }
    if (!journal && !missing) return;
    bool more = TrimToLimit(reads, limit);
    Add({Kind::kEntries, request, {}, more, std::move(reads), {}});
}

void HistoryQuery::SaveReport(const JournalSessions& sessions, const QString& path,
                              uint64_t request) {
    bool missing = false;
    Journal* journal = Open(request, missing);
    if (!journal) return;
    std::vector<ServiceReportHtml::Session> parts;
    for (const Journal::SessionInfo& info : sessions) {
        JournalFilter filter;
        filter.session = info.id;
        ServiceReportHtml::Session part{info, {}};
        if (!journal->Entries(filter, part.entries)) {
            Fail(request, QString::fromStdString(journal->Error()));
            return;
        }
        parts.push_back(std::move(part));
    }
    if (!SafeFile::Replace(path.toStdString(), ServiceReportHtml::Page(parts))) {
        Add({.kind = Kind::kFailed,
             .request = request,
             .text = Text("보고서를 저장하지 못했습니다: %1").arg(path)});
        return;
    }
    Add({.kind = Kind::kReportSaved, .request = request, .text = path});
}

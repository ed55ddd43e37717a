#pragma once

#include <QString>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalEntry.h"
#include "journal/JournalFilter.h"

using JournalSessions = std::vector<Journal::SessionInfo>;
using JournalEntries = std::vector<JournalEntry>;

// The history window's queries, run on a thread of their own so that the
// window goes on working while a large journal is searched. Its own
// connection to the journal: WAL lets it read beside those that write. Jobs
// and answers pass under a mutex; the window collects the answers at its
// pace. Each answer carries the number of the request it answers.
class HistoryQuery {
  public:
    struct Answer {
        enum class Kind { kSessions, kEntries, kEntry, kReportSaved, kFailed, kPutAside };
        Kind kind = Kind::kFailed;
        uint64_t request = 0;
        JournalSessions sessions{};
        bool more = false;         // kSessions, kEntries: more were left out
        JournalEntries entries{};  // kEntries; kEntry: the one, or none
        QString text;              // kReportSaved: the path; kFailed, kPutAside: what to say
    };
    using Job = std::function<void(HistoryQuery&)>;

    explicit HistoryQuery(std::string path);
    // Runs the jobs posted before, then ends the thread.
    ~HistoryQuery();
    HistoryQuery(const HistoryQuery&) = delete;
    HistoryQuery& operator=(const HistoryQuery&) = delete;

    void Post(Job job);
    // The answers come since the last call, in order.
    std::vector<Answer> TakeAnswers();

    // The jobs: each runs on the query thread and adds its answer.
    void FindSessions(const JournalFilter& filter, size_t offset, size_t limit, uint64_t request);
    void FindEntries(int64_t session, uint64_t request);
    void FindEntry(int64_t id, uint64_t request);
    // The newest `limit` complete reads (kEntries), newest first.
    void FindCompleteReads(size_t limit, uint64_t request);
    // Writes the service report of `sessions` to `path`.
    void SaveReport(const JournalSessions& sessions, const QString& path, uint64_t request);

  private:
    void Run();
    void Add(Answer answer);
    // The journal, opened on first use; nullptr (a failure answered) when it
    // cannot be, or when there is no journal file yet (`missing`: nothing to show).
    Journal* Open(uint64_t request, bool& missing);
    void Fail(uint64_t request, const QString& reason);

    std::string m_path;
    std::unique_ptr<Journal> m_journal;  // the query thread's alone
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Job> m_jobs;
    std::vector<Answer> m_answers;
    bool m_stop = false;
    std::thread m_thread;
};

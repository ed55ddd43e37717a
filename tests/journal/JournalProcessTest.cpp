#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "journal/JournalFixture.h"
#include "journal/JournalRecord.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process; its exit code (128 + a signal that ended it).
pid_t Start(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

int ExitOf(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Appends `count` reads of `station` in a journal of its own connection; 0 when all went in.
int AppendReads(const std::string& path, int32_t station, int count) {
    std::string error;
    std::unique_ptr<Journal> journal = Journal::Open(path, error);
    if (!journal) return 10;
    JournalSession session(JournalOrigin::Current("veld-para"), "COM15");
    ParamSet values;
    for (int i = 0; count < 0 || i < count; ++i) {
        values.Set(20, i);
        JournalEntry entry = session.Entry(JournalRecord::Read(station, values, true));
        if (!journal->Append(entry)) return 11;
    }
    return 0;
}

class JournalProcessTest : public JournalFixture {
  protected:
    // The entries' count, and whether the chain is intact.
    void ExpectIntact(size_t count) {
        std::unique_ptr<Journal> journal = OpenOrFail();
        ASSERT_TRUE(journal);
        EXPECT_EQ(Ids(*journal, {}).size(), count);
        Journal::Verification result;
        ASSERT_TRUE(journal->Verify(result)) << journal->Error();
        EXPECT_FALSE(result.firstMismatch);
        EXPECT_EQ(result.checked, static_cast<int64_t>(count));
    }
};

TEST_F(JournalProcessTest, TwoProcessesAppendingAtOnceFormOneChain) {
    OpenOrFail();
    pid_t one = Start([this] { return AppendReads(path, 1, 300); });
    pid_t two = Start([this] { return AppendReads(path, 2, 300); });
    EXPECT_EQ(ExitOf(one), 0);
    EXPECT_EQ(ExitOf(two), 0);
    ExpectIntact(600);
    std::unique_ptr<Journal> journal = OpenOrFail();
    JournalFilter first;
    first.station = 1;
    EXPECT_EQ(Ids(*journal, first).size(), 300u);
}

// A second connection in one process (the history window beside the GUI's
// session) leaves the first its locks: another program that ends meanwhile
// does not take itself for the last one and delete the write-ahead log under them.
TEST_F(JournalProcessTest, ASecondConnectionInAProcessLeavesTheFirstItsLocks) {
    std::unique_ptr<Journal> first = OpenOrFail();
    JournalSession session(JournalOrigin::Current("VELD_Host_Para"), "COM15");
    JournalEntry entry = ReadEntry(session, 0, 1);
    ASSERT_TRUE(first->Append(entry));
    std::unique_ptr<Journal> second = OpenOrFail();
    // The sqlite3 shell: a process that shares no memory with this one.
    EditByHand("INSERT INTO marks(name, time) VALUES('another program', 'now')");
    EXPECT_TRUE(fs::exists(path + "-wal"));
    EXPECT_TRUE(fs::exists(path + "-shm"));
    entry = ReadEntry(session, 0, 2);
    ASSERT_TRUE(first->Append(entry));
    EXPECT_EQ(Ids(*second, {}).size(), 2u);
    first.reset();
    second.reset();
    ExpectIntact(2);
}

TEST_F(JournalProcessTest, KilledMidAppendLosesNothingCommitted) {
    OpenOrFail();
    pid_t child = Start([this] { return AppendReads(path, 0, -1); });
    std::unique_ptr<Journal> watcher = OpenOrFail();
    size_t seen = 0;
    while (seen < 200) seen = Ids(*watcher, {}).size();
    ::kill(child, SIGKILL);
    EXPECT_EQ(ExitOf(child), 128 + SIGKILL);
    watcher.reset();
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    size_t count = Ids(*journal, {}).size();
    EXPECT_GE(count, seen);
    journal.reset();
    ExpectIntact(count);
}

TEST_F(JournalProcessTest, AFullDiskFailsTheAppendAndKeepsWhatCameBefore) {
    OpenOrFail();
    ASSERT_EQ(AppendReads(path, 0, 20), 0);
    // A child whose files may not grow past a few pages more: the disk is full for it.
    pid_t child = Start([this] {
        ::signal(SIGXFSZ, SIG_IGN);
        std::string error;
        std::unique_ptr<Journal> journal = Journal::Open(path, error);
        if (!journal) return 10;
        rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        JournalSession session(JournalOrigin::Current("veld-para"), "COM15");
        for (int i = 0; i < 100000; ++i) {
            JournalEntry entry = session.Entry(JournalRecord::Other(
                JournalEntry::Kind::kSend, 0, {{"line", std::string(4000, 'x')}}));
            if (!journal->Append(entry)) {
                bool told = !journal->Error().empty() && entry.id == 0;
                return told ? 100 + std::min(i, 100) : 12;
            }
        }
        return 13;
    });
    int code = ExitOf(child);
    ASSERT_GT(code, 100) << "the append failed, with a reason";
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    std::vector<int64_t> ids = Ids(*journal, {});
    ASSERT_GE(ids.size(), 20u);
    journal.reset();
    ExpectIntact(ids.size());
}

TEST_F(JournalProcessTest, AReadOnlyFolderIsAClearFailureForAnOrdinaryUser) {
    // The folder belongs to the user who runs the child; when that is root, to nobody.
    fs::create_directories(dir / "data");
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
    bool root = ::geteuid() == 0;
    ASSERT_EQ(AppendReads(path, 0, 3), 0);
    std::string moved = (dir / "data" / "other.sqlite3").string();
    if (root) {
        for (const std::string& file : {path, (dir / "data").string()}) {
            ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        }
    }
    ::chmod((dir / "data").c_str(), 0500);
    struct Case {
        const char* what;
        std::string path;
        const char* reason;
    } cases[] = {
        {"a new journal", moved, "Permission denied"},
        {"the journal that is there", path, "writ"},
    };
    for (const Case& c : cases) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t child = Start([&] {
            ::close(fds[0]);
            if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) return 20;
            std::string error;
            std::unique_ptr<Journal> journal = Journal::Open(c.path, error);
            if (journal) {
                JournalEntry entry =
                    JournalSession({}, "COM1")
                        .Entry(JournalRecord::Other(JournalEntry::Kind::kConnect, 0, {}));
                if (journal->Append(entry)) return 21;
                error = journal->Error();
            }
            (void)!::write(fds[1], error.data(), error.size());
            return 0;
        });
        ::close(fds[1]);
        std::string reason;
        char buffer[512];
        for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) reason.append(buffer, n);
        ::close(fds[0]);
        EXPECT_EQ(ExitOf(child), 0) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
    }
    ::chmod((dir / "data").c_str(), 0700);
    ExpectIntact(3);
}

}  // namespace

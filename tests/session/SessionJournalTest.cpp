#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "protocol/ReplyWaits.h"
#include "session/DriveSession.h"
#include "support/DispatchedPortTest.h"
#include "support/Eventually.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = DriveSession::Clock;
using Json = nlohmann::ordered_json;

class Refusals : public DriveSession::Listener {
  public:
    void OnJournalRefused(const std::string& reason) override { reasons.push_back(reason); }
    std::vector<std::string> reasons;
};

// The session on a pseudo-terminal, recording into a journal of its own.
class SessionJournalTest : public DispatchedPortTest {
  protected:
    void SetUp() override {
        fs::remove_all(dir);
        DispatchedPortTest::SetUp();
        // Connected again with the journal open, so that the connection is recorded.
        session.Close();
        ASSERT_TRUE(session.Journal().Open("test", path.string()));
        session.AddListener(&refusals);
        ASSERT_TRUE(session.OpenFromText(DriveSession::PortText(pty.SlavePath(), "115200")));
        consumed = 0;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Send() {
        EXPECT_TRUE(Eventually([&] {
            session.Tick(Clock::now());
            return !session.LinesWaiting();
        }));
        return pty.Read(1 << 16, 50ms);
    }
    // The replies taken, then the line quiet long enough to end a read.
    void Quiet(Clock::duration quiet = ReplyWaits::kReadQuiet) {
        session.Tick(Clock::now());
        session.Tick(Clock::now() + quiet);
    }
    // What the journal holds once everything posted is in it.
    std::vector<JournalEntry> Recorded() {
        EXPECT_TRUE(session.Journal().WaitRecorded());
        std::vector<JournalEntry> entries;
        std::string error;
        std::unique_ptr<Journal> journal = Journal::Open(path.string(), error);
        EXPECT_TRUE(journal) << error;
        if (journal) journal->Entries({}, entries);
        return entries;
    }
    static std::vector<std::string> Kinds(const std::vector<JournalEntry>& entries) {
        std::vector<std::string> kinds;
        for (const JournalEntry& entry : entries)
            kinds.push_back(JournalEntry::KindName(entry.kind));
        return kinds;
    }

    fs::path dir =
        fs::temp_directory_path() / ("veld-sessionjournal-" + std::to_string(::getpid()));
    fs::path path = dir / "journal.sqlite3";
    // No backups of the user's are taken into the journal.
    ScopedEnv dataHome{"XDG_DATA_HOME", dir.c_str()};
    Refusals refusals;
};

TEST_F(SessionJournalTest, RecordsWhatWentOutAndWhatCameBackAsItHappened) {
    session.QueueRead(0, {20, 21});
    ASSERT_EQ(Send(), "#0.PRA\r");
    Answer({"#0.PRA 14 1F4 15 64"});
    Quiet();

    session.ReadBackNextGroup();
    session.Queue().QueueWriteGroup(0, {{20, 300}, {22, 7}});
    ASSERT_EQ(Send(), "#0.PWR 20 300\r#0.PWR 22 7\r#0.COP\r#0.PSV\r#0.PRA\r");
    Answer({"#0.PRA 14 12C 15 64 16 7"});
    Quiet();

    session.Queue().QueueParamWrite(0, 100, 1);
    session.EndWriteGroup(0);
    session.Queue().QueueReadVersion(0);
    session.Queue().QueueManual("#0.STA");
    ASSERT_EQ(Send(), "#0.PWR 100 1\r#0.FRD 0\r#0.FRD 1\r#0.STA\r");
    Answer({"#0.STA 0 1"});
    Quiet(ReplyWaits::kRecordedReplies);
    session.Queue().QueueParamInit(0);
    Send();
    session.Close();

    std::vector<JournalEntry> entries = Recorded();
    ASSERT_EQ(Kinds(entries),
              (std::vector<std::string>{"connect", "read", "write", "read-back", "setmode",
                                        "version", "send", "init", "disconnect"}));
    EXPECT_EQ(entries[1].payload,
              Json::parse(R"({"complete": true, "values": {"20": 500, "21": 100}})"));
    EXPECT_EQ(entries[2].payload["parameters"],
              Json::parse(R"([{"number": 20, "before": 500, "sent": 300},
                              {"number": 22, "before": null, "sent": 7}])"));
    EXPECT_EQ(entries[2].payload["lines"].size(), 4u);
    EXPECT_EQ(entries[2].payload["lines"][3], Json::parse(R"({"line": "#0.PSV", "fate": "sent"})"));
    EXPECT_TRUE(entries[2].payload["saved"]);
    EXPECT_EQ(entries[3].payload["result"], "confirmed");
    EXPECT_FALSE(entries[4].payload["saved"]);
    EXPECT_EQ(entries[5].payload["lines"].size(), 2u);
    // The manual line keeps its replies; the version got none.
    EXPECT_EQ(entries[6].payload["replies"], Json::parse(R"(["#0.STA 0 1"])"));
    EXPECT_TRUE(entries[5].payload["replies"].empty());
    for (const JournalEntry& entry : entries) {
        EXPECT_EQ(entry.port, pty.SlavePath());
        EXPECT_EQ(entry.session, entries[0].session);
    }

    // A port that goes away ends the session with the failure recorded.
    ASSERT_TRUE(session.OpenFromText(DriveSession::PortText(pty.SlavePath(), "115200")));
    pty.CloseMaster();
    ASSERT_TRUE(Eventually([&] { return session.TakePortLost(); }));
    entries = Recorded();
    EXPECT_EQ(Kinds(entries).back(), "disconnect");
    EXPECT_EQ(entries[entries.size() - 2].payload["what"], "port lost");
}

// A version asked last, as veld-para's version asks it, is recorded with its
// replies when the session ends.
TEST_F(SessionJournalTest, AVersionAskedLastIsRecordedWithItsReplies) {
    session.Queue().QueueReadVersion(0);
    ASSERT_EQ(Send(), "#0.FRD 0\r#0.FRD 1\r");
    Answer({"#0.FRD 0 0105", "#0.FRD 1 0003"});
    Quiet();
    session.Close();
    std::vector<JournalEntry> entries = Recorded();
    ASSERT_EQ(Kinds(entries), (std::vector<std::string>{"connect", "version", "disconnect"}));
    EXPECT_EQ(entries[1].payload["replies"], Json::parse(R"(["#0.FRD 0 0105", "#0.FRD 1 0003"])"));
}

// A write goes out only once the journal holds everything recorded before
// it; when the journal cannot take it (here: another program keeps it
// locked past the wait), nothing of the write is sent.
TEST_F(SessionJournalTest, AWriteIsRefusedWhenTheJournalCannotRecordWhatCameBeforeIt) {
    ASSERT_TRUE(session.Journal().WaitRecorded());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    session.QueueRead(0, {20});
    ASSERT_EQ(Send(), "#0.PRA\r");
    Answer({"#0.PRA 14 1F4"});
    Quiet();
    session.Queue().QueueWriteGroup(0, {{20, 300}});
    // Held while the read's entry waits for the lock.
    session.Tick(Clock::now());
    EXPECT_EQ(pty.Read(1 << 16, 50ms), "");
    ASSERT_TRUE(Eventually(
        [&] {
            session.Tick(Clock::now());
            return !refusals.reasons.empty();
        },
        20s));
    EXPECT_FALSE(session.LinesWaiting());
    EXPECT_EQ(pty.Read(1 << 16, 50ms), "");
    // Nor are they echoed as sent.
    EXPECT_EQ(sent.lines, std::vector<std::string>{"#0.PRA"});

    // Once the journal takes entries again, the read is recorded and the next write goes.
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    session.Queue().QueueWriteGroup(0, {{20, 300}});
    EXPECT_EQ(Send(), "#0.PWR 20 300\r#0.COP\r#0.PSV\r");
    session.Close();
    std::vector<std::string> kinds = Kinds(Recorded());
    EXPECT_EQ(kinds.front(), "connect");
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "read"), 1);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "write"), 2);
}

}  // namespace

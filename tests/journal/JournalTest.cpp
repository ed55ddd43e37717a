#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "journal/BackupImport.h"
#include "journal/JournalFixture.h"
#include "journal/JournalRecord.h"
#include "journal/JournalTime.h"
#include "journal/JournalWriter.h"
#include "params/ParamFile.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

using JournalTest = JournalFixture;

TEST_F(JournalTest, FiltersEntriesAndListsSessionsNewestFirst) {
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    JournalSession com15(JournalOrigin::Current("veld-para"), "COM15");
    JournalSession usb(JournalOrigin::Current("VELD_Host_Para"), "/dev/ttyUSB0");
    std::vector<JournalEntry> entries = {
        ReadEntry(com15, 1, 500),
        ReadEntry(com15, 2, 600),
        ReadEntry(usb, 1, 700),
        com15.Entry(
            JournalRecord::Other(JournalEntry::Kind::kSend, std::nullopt, {{"line", "PRD 20"}})),
    };
    const char* times[] = {"2026-12-01T08:00:00.000Z", "2026-12-02T08:00:00.000Z",
                           "2026-12-03T08:00:00.000Z", "2026-12-04T08:00:00.000Z"};
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].time = times[i];
        ASSERT_TRUE(journal->Append(entries[i])) << journal->Error();
        EXPECT_EQ(entries[i].id, static_cast<int64_t>(i + 1));
    }

    struct Case {
        const char* what;
        std::function<void(JournalFilter&)> set;
        std::vector<int64_t> ids;
    } cases[] = {
        {"all", [](JournalFilter&) {}, {1, 2, 3, 4}},
        {"port", [](JournalFilter& f) { f.port = "COM15"; }, {1, 2, 4}},
        {"station", [](JournalFilter& f) { f.station = 1; }, {1, 3}},
        {"since", [](JournalFilter& f) { f.since = "2026-12-02T00:00:00.000Z"; }, {2, 3, 4}},
        {"text in the document, any case", [](JournalFilter& f) { f.text = "prd 20"; }, {4}},
        {"text in the program", [](JournalFilter& f) { f.text = "host_para"; }, {3}},
        {"session", [&](JournalFilter& f) { f.session = usb.Id(); }, {3}},
        {"last two, oldest first", [](JournalFilter& f) { f.last = 2; }, {3, 4}},
        {"last of a port", [](JournalFilter& f) { f.port = "COM15", f.last = 1; }, {4}},
        {"nothing", [](JournalFilter& f) { f.port = "COM9"; }, {}},
    };
    for (const Case& c : cases) {
        JournalFilter filter;
        c.set(filter);
        EXPECT_EQ(Ids(*journal, filter), c.ids) << c.what;
    }

    std::optional<JournalEntry> third = journal->Entry(3);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->ToJson(), entries[2].ToJson());
    EXPECT_FALSE(journal->Entry(99));

    std::vector<Journal::SessionInfo> sessions;
    ASSERT_TRUE(journal->Sessions({}, 10, 0, sessions)) << journal->Error();
    ASSERT_EQ(sessions.size(), 2u);
    // The newest begun first.
    EXPECT_EQ(sessions[0].id, usb.Id());
    EXPECT_EQ(sessions[0].port, "/dev/ttyUSB0");
    EXPECT_EQ(sessions[1].id, com15.Id());
    EXPECT_EQ(sessions[1].started, times[0]);
    EXPECT_EQ(sessions[1].ended, times[3]);
    EXPECT_EQ(sessions[1].entries, 3);
    EXPECT_EQ(sessions[1].stations, (std::vector<int32_t>{1, 2}));
    JournalFilter second;
    second.station = 2;
    ASSERT_TRUE(journal->Sessions(second, 10, 0, sessions));
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].id, com15.Id());
    ASSERT_TRUE(journal->Sessions({}, 1, 1, sessions));
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].id, com15.Id());
}

TEST_F(JournalTest, RecordsKeepTheShapesHistoryPrints) {
    ParamSet sent;
    sent.Set(20, 500);
    sent.Set(21, 70000);
    ParamSet before;
    before.Set(20, 400);
    std::vector<TxLineWriter::Gone> lines = {{"PWR 0 20 500\r", TxLineWriter::Fate::kWritten},
                                             {"PWR 0 21 70000\r", TxLineWriter::Fate::kFailed},
                                             {"COP 0\r", TxLineWriter::Fate::kNotSent}};
    EXPECT_EQ(JournalRecord::Write(0, sent, before, lines, false).payload,
              Json::parse(R"({"parameters": [{"number": 20, "before": 400, "sent": 500},
                                             {"number": 21, "before": null, "sent": 70000}],
                              "lines": [{"line": "PWR 0 20 500", "fate": "sent"},
                                        {"line": "PWR 0 21 70000", "fate": "failed"},
                                        {"line": "COP 0", "fate": "not sent"}],
                              "saved": false})"));
    EXPECT_EQ(JournalRecord::Read(3, sent, false).payload,
              Json::parse(R"({"complete": false, "values": {"20": 500, "21": 70000}})"));
    EXPECT_EQ(JournalRecord::ReadValues(JournalRecord::Read(3, sent, true).payload), sent);
    EXPECT_FALSE(JournalRecord::ReadValues(Json::parse(R"({"values": {"110": 1}})")));
    EXPECT_FALSE(JournalRecord::ReadValues(Json::parse(R"({"values": {"20": 4294967296}})")));
}

TEST_F(JournalTest, VerifyFindsEntriesChangedRemovedOrInsertedByHand) {
    struct Case {
        const char* what;
        const char* sql;
        std::optional<int64_t> first;
    } cases[] = {
        {"untouched", "SELECT 1 WHERE 0", std::nullopt},
        {"a value", "UPDATE entries SET payload = replace(payload, '501', '999') WHERE id = 2", 2},
        {"a port", "UPDATE entries SET port = 'COM1' WHERE id = 3", 3},
        {"the kind", "UPDATE entries SET kind = 'write' WHERE id = 1", 1},
        {"one removed", "DELETE FROM entries WHERE id = 2", 3},
        {"one inserted",
         "INSERT INTO entries SELECT 5, time, program, version, user, host, port, "
         "station, kind, session, payload, hash FROM entries WHERE id = 4",
         5},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir / "data");
        {
            std::unique_ptr<Journal> journal = OpenOrFail();
            ASSERT_TRUE(journal);
            JournalSession session(JournalOrigin::Current("veld-para"), "COM15");
            for (int32_t value : {500, 501, 502, 503}) {
                JournalEntry entry = ReadEntry(session, 0, value);
                ASSERT_TRUE(journal->Append(entry)) << journal->Error();
            }
        }
        EditByHand(c.sql);
        std::unique_ptr<Journal> journal = OpenOrFail();
        ASSERT_TRUE(journal);
        Journal::Verification result;
        ASSERT_TRUE(journal->Verify(result)) << journal->Error();
        EXPECT_EQ(result.firstMismatch, c.first) << c.what;
    }
}

TEST_F(JournalTest, DamagedFilesArePutAsideAndANewJournalBegun) {
    std::string truncated;
    {
        std::unique_ptr<Journal> journal = OpenOrFail();
        ASSERT_TRUE(journal);
        JournalSession session(JournalOrigin::Current("veld-para"), "COM15");
        for (int32_t i = 0; i < 300; ++i) {
            JournalEntry entry = ReadEntry(session, 0, i);
            ASSERT_TRUE(journal->Append(entry));
        }
    }
    std::string whole = Bytes(path);
    ASSERT_GT(whole.size(), 8192u);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"garbage", std::string(5000, '\x5a')},
        {"an HTML page", "<!DOCTYPE html><html><body>journal</body></html>\n"},
        {"a truncated copy", whole.substr(0, whole.size() / 2)},
        {"a header alone", whole.substr(0, 60)},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir / "data");
        fs::create_directories(dir / "data");
        Write(path, c.bytes);
        Write(path + "-wal", "stale");
        std::unique_ptr<Journal> journal = OpenOrFail();
        ASSERT_TRUE(journal) << c.what;
        std::optional<Journal::Notice> notice = journal->TakeNotice();
        ASSERT_TRUE(notice) << c.what;
        EXPECT_FALSE(journal->TakeNotice()) << "told once";
        EXPECT_NE(notice->korean.find("손상"), std::string::npos);
        std::vector<fs::path> aside;
        for (const auto& file : fs::directory_iterator(dir / "data")) {
            if (file.path().filename().string().starts_with("journal.sqlite3.damaged-")) {
                aside.push_back(file.path());
            }
        }
        ASSERT_EQ(aside.size(), 2u) << c.what << ": the file and its -wal";
        std::sort(aside.begin(), aside.end());
        EXPECT_EQ(Bytes(aside[0]), c.bytes) << c.what;
        EXPECT_NE(notice->english.find(aside[0].string()), std::string::npos);
        EXPECT_EQ(Ids(*journal, {}), std::vector<int64_t>{}) << c.what;
        JournalEntry entry = ReadEntry(JournalSession({}, "COM1"), 0, 1);
        EXPECT_TRUE(journal->Append(entry)) << c.what;
    }

    // Damage deeper in the file is not looked for at each open; the check finds it.
    fs::remove_all(dir / "data");
    fs::create_directories(dir / "data");
    std::string inner = whole;
    std::fill(inner.begin() + 4 * 4096, inner.begin() + 6 * 4096, '\xff');
    Write(path, inner);
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    EXPECT_FALSE(journal->TakeNotice());
    Journal::Verification result;
    ASSERT_TRUE(journal->Verify(result)) << journal->Error();
    EXPECT_FALSE(result.damage.empty());
}

TEST_F(JournalTest, MigratesAnEmptyFileAndLeavesALaterVersionAlone) {
    fs::create_directories(dir / "data");
    Write(path, "");
    ::umask(0);
    std::unique_ptr<Journal> journal = OpenOrFail();
    ::umask(022);
    ASSERT_TRUE(journal);
    EXPECT_FALSE(journal->TakeNotice());
    JournalEntry entry = ReadEntry(JournalSession({}, "COM1"), 0, 1);
    EXPECT_TRUE(journal->Append(entry)) << journal->Error();
    journal.reset();

    // A version-0 file that SQLite made: no tables of ours yet.
    std::string other = (dir / "other" / "journal.sqlite3").string();
    fs::create_directories(dir / "other");
    ASSERT_EQ(std::system(("sqlite3 '" + other + "' 'PRAGMA user_version = 0; VACUUM'").c_str()),
              0);
    journal = OpenOrFail(other);
    ASSERT_TRUE(journal);
    EXPECT_TRUE(journal->Append(entry)) << journal->Error();
    journal.reset();

    // Made by a later program: refused, untouched.
    EditByHand("PRAGMA user_version = 99");
    std::string error;
    EXPECT_FALSE(Journal::Open(path, error));
    EXPECT_NE(error.find("later version"), std::string::npos) << error;
    journal = OpenOrFail(other);
    ASSERT_TRUE(journal);
    EXPECT_EQ(Ids(*journal, {}), std::vector<int64_t>{1});

    // Made for its user alone, whatever the umask.
    std::string fresh = (dir / "new" / "deeper" / "journal.sqlite3").string();
    ::umask(0);
    journal = OpenOrFail(fresh);
    ::umask(022);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(dir / "new").permissions(), fs::perms::owner_all);
}

TEST_F(JournalTest, WriterAppendsOffThePostersThreadAndFlushesAtItsEnd) {
    std::unique_ptr<Journal> opened = OpenOrFail();
    ASSERT_TRUE(opened);
    JournalSession session(JournalOrigin::Current("VELD_Host_Para"), "COM15");
    std::vector<uint64_t> tickets;
    {
        JournalWriter writer(std::move(opened));
        for (int32_t i = 0; i < 50; ++i) tickets.push_back(writer.Post(ReadEntry(session, 0, i)));
        JournalWriter::Outcome waited = writer.Wait(tickets[10]);
        EXPECT_TRUE(waited.recorded) << waited.reason;
        EXPECT_EQ(waited.id, 11);
        std::vector<JournalWriter::Outcome> outcomes;
        while (outcomes.size() < 10) {
            for (auto& outcome : writer.TakeOutcomes()) outcomes.push_back(outcome);
        }
        for (size_t i = 0; i < outcomes.size(); ++i) EXPECT_EQ(outcomes[i].ticket, tickets[i]);
        for (int32_t i = 50; i < 200; ++i) writer.Post(ReadEntry(session, 0, i));
    }
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    EXPECT_EQ(Ids(*journal, {}).size(), 200u);
    Journal::Verification result;
    ASSERT_TRUE(journal->Verify(result));
    EXPECT_FALSE(result.firstMismatch);
}

// The backups undo offers: the imported files among the reads recorded since.
TEST_F(JournalTest, OldBackupsAreImportedOnceAndListedWithTheCompleteReadsNewestFirst) {
    fs::path backups = dir / "backups";
    fs::create_directories(backups);
    ParamSet set;
    for (int32_t n : ParamTable::Instance().ListedNumbers()) set.Set(n, n * 2);
    ASSERT_TRUE(ParamFile::Create((backups / "20261201-101500-id3.par").string(), set));
    Write(backups / "20261201-101500-id3.port", "/dev/ttyUSB0\n");
    ASSERT_TRUE(ParamFile::Create((backups / "20261130-090000-id0.par").string(), set));
    // Cut short: kept as a read that is not complete.
    Write(backups / "20261202-080000-id3.par", ParamFile::Format(set).substr(0, 100));
    Write(backups / "notes.par", "not a backup's name");
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    JournalOrigin origin = JournalOrigin::Current("veld-para");
    EXPECT_EQ(BackupImport::Run(*journal, backups.string(), origin), 3);
    EXPECT_EQ(BackupImport::Run(*journal, backups.string(), origin), 0);
    std::vector<JournalEntry> entries;
    ASSERT_TRUE(journal->Entries({}, entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].time, "2026-11-30T09:00:00.000Z");
    EXPECT_EQ(entries[1].time, "2026-12-01T10:15:00.000Z");
    EXPECT_EQ(entries[1].port, "/dev/ttyUSB0");
    EXPECT_EQ(entries[1].station, 3);
    EXPECT_EQ(entries[1].program, "import");
    EXPECT_EQ(entries[1].kind, JournalEntry::Kind::kRead);
    EXPECT_EQ(JournalRecord::CompleteReadValues(entries[1]), set);
    EXPECT_FALSE(JournalRecord::CompleteReadValues(entries[2]));
    EXPECT_TRUE(fs::exists(backups / "20261201-101500-id3.par")) << "left in place";

    // Recorded since: a complete read, one given up, another kind, and a
    // complete read whose time lies before the imported ones.
    JournalSession com15(origin, "COM15");
    std::vector<JournalEntry> later = {
        ReadEntry(com15, 0, 500),
        com15.Entry(JournalRecord::Read(0, set, false)),
        com15.Entry(JournalRecord::File("saved", "/nowhere.par")),
        ReadEntry(com15, 0, 600),
    };
    const char* times[] = {"2026-12-03T08:00:00.000Z", "2026-12-04T08:00:00.000Z",
                           "2026-12-05T08:00:00.000Z", "2026-11-29T08:00:00.000Z"};
    for (size_t i = 0; i < later.size(); ++i) {
        later[i].time = times[i];
        ASSERT_TRUE(journal->Append(later[i])) << journal->Error();
    }
    const std::pair<size_t, std::vector<std::string>> cases[] = {
        {10,
         {"2026-12-03T08:00:00.000Z", "2026-12-01T10:15:00.000Z", "2026-11-30T09:00:00.000Z",
          "2026-11-29T08:00:00.000Z"}},
        {2, {"2026-12-03T08:00:00.000Z", "2026-12-01T10:15:00.000Z"}},
        {0, {}},
    };
    for (const auto& [limit, wanted] : cases) {
        std::vector<JournalEntry> reads;
        ASSERT_TRUE(journal->CompleteReads(limit, reads)) << journal->Error();
        std::vector<std::string> found;
        for (const JournalEntry& read : reads) found.push_back(read.time);
        EXPECT_EQ(found, wanted) << limit;
    }
}

TEST_F(JournalTest, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    std::unique_ptr<Journal> journal = OpenOrFail();
    ASSERT_TRUE(journal);
    // "가" in CP949, and a lone continuation byte.
    JournalSession session(JournalOrigin::Current("veld-para"), "/dev/\xb0\xa1");
    JournalEntry entry = session.Entry(JournalRecord::Other(
        JournalEntry::Kind::kFile, std::nullopt, {{"path", "/home/kim/\xb0\xa1\x80.par"}}));
    ASSERT_TRUE(journal->Append(entry)) << journal->Error();
    std::optional<JournalEntry> stored = journal->Entry(entry.id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->port, "/dev/\xb0\xa1") << "kept as named";
    EXPECT_EQ(stored->payload["path"], "/home/kim/\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd.par");
    Journal::Verification result;
    ASSERT_TRUE(journal->Verify(result));
    EXPECT_FALSE(result.firstMismatch);
}

TEST(JournalTimeTest, ReadsLocalDatesAndShowsUtcInLocalTime) {
    ScopedEnv zone("TZ", "KST-9");
    EXPECT_EQ(JournalTime::FromUnix(1796653800, 7), "2026-12-07T14:30:00.007Z");
    EXPECT_EQ(JournalTime::Local("2026-12-07T14:30:00.007Z"), "2026-12-07 23:30:00.007");
    EXPECT_EQ(JournalTime::FromLocalText("2026-12-08"), "2026-12-07T15:00:00.000Z");
    EXPECT_EQ(JournalTime::FromLocalText("2026-12-08 09:30"), "2026-12-08T00:30:00.000Z");
    EXPECT_EQ(JournalTime::FromLocalText("2026-12-08T09:30:15"), "2026-12-08T00:30:15.000Z");
    for (const char* bad : {"", "yesterday", "2026-13-01", "2026-12-08x", "2026-12-08 25:00"}) {
        EXPECT_FALSE(JournalTime::FromLocalText(bad)) << bad;
    }
}

}  // namespace

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "ToolsFixture.h"
#include "journal/Journal.h"
#include "journal/JournalRecord.h"
#include "journal/JournalSession.h"
#include "params/ParamFile.h"
#include "params/ParamTable.h"
#include "support/ScopedEnv.h"

namespace {

using Json = nlohmann::json;

class HistoryTest : public ToolsTest {
  protected:
    void SetUp() override {
        ToolsTest::SetUp();
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", dir.c_str());
        journal = (dir / "journal.sqlite3").string();
    }

    // Entries 1 to 5: two reads of station 0 on COM15 (20 = 500, then 600), a
    // write and its read-back, and a read of station 1 on a port named in CP949.
    void Record() {
        std::string error;
        std::unique_ptr<Journal> opened = Journal::Open(journal, error);
        ASSERT_TRUE(opened) << error;
        JournalSession com15(JournalOrigin::Current("veld-para"), "COM15");
        JournalSession cp949(JournalOrigin::Current("veld-para"), "/dev/\xb0\xa1");
        ParamSet first;
        first.Set(20, 500);
        first.Set(21, 7);
        ParamSet second = first;
        second.Set(20, 600);
        PraReplyTracker none;
        std::vector<JournalEntry> entries = {
            com15.Entry(JournalRecord::Read(0, first, true)),
            com15.Entry(JournalRecord::Read(0, second, true)),
            com15.Entry(JournalRecord::Write(0, second, first, {}, true)),
            com15.Entry(JournalRecord::ReadBack(0, ReadBackReport(second, none))),
            cp949.Entry(JournalRecord::Read(1, first, false)),
        };
        entries[0].time = "2026-12-01T08:00:00.000Z";
        for (JournalEntry& entry : entries) ASSERT_TRUE(opened->Append(entry));
    }

    ParaRun History(std::vector<std::string> args,
                    ToolProcess::Output out = ToolProcess::Output::kFile) {
        std::vector<std::string> argv = {VELD_PARA_PATH, "--journal", journal, "history"};
        argv.insert(argv.end(), args.begin(), args.end());
        ToolProcess para(argv, (dir / ("para" + std::to_string(runs++))).string(), out);
        int code = para.Wait(kRunLimit);
        return {code, para.Stdout(), para.Stderr()};
    }

    // The ids of the JSON list's entries.
    static std::vector<int> Ids(const std::string& out) {
        std::vector<int> ids;
        Json document = Json::parse(out);
        for (const Json& entry : document["entries"]) ids.push_back(entry["id"]);
        return ids;
    }

    std::unique_ptr<ScopedEnv> data;
    std::string journal;
};

// What veld-para does to the drive is recorded as it happened: a write sent
// from a file with its fingerprint, each line's fate, the read-back; a write
// the journal cannot record first is not sent at all.
TEST_F(HistoryTest, RecordsWhatACommandDidToTheDrive) {
    StartSim();
    std::string file = (dir / "target.par").string();
    ParamSet values;
    for (int32_t number : ParamTable::Instance().ListedNumbers()) values.Set(number, 0);
    values.Set(20, 300);
    ASSERT_TRUE(ParamFile::Write(file, values));
    ASSERT_EQ(Para({"--journal", journal, "write", file}).code, 0);
    ParaRun listed = History({"--json"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    Json entries = Json::parse(listed.out)["entries"];
    std::vector<std::string> kinds;
    for (const Json& entry : entries) kinds.push_back(entry["kind"]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"connect", "file", "write", "read", "read-back",
                                               "disconnect"}));
    EXPECT_EQ(entries[1]["action"], "sent from");
    EXPECT_EQ(entries[1]["sha256"].get<std::string>().size(), 64u);
    EXPECT_EQ(entries[2]["lines"].size(), 31u);
    EXPECT_EQ(entries[2]["lines"][30], Json::parse(R"({"line": "#0.PSV", "fate": "sent"})"));
    EXPECT_TRUE(entries[2]["saved"]);
    EXPECT_EQ(entries[4]["result"], "confirmed");
    EXPECT_EQ(History({"verify"}).code, 0);

    // A journal in a folder that cannot take it: nothing goes to the drive.
    std::filesystem::path folder = dir / "not-a-folder";
    std::ofstream(folder.string()) << "a file where the journal's folder would be";
    size_t wireBefore = WireTexts().size();
    ParaRun refused = Para({"--journal", (folder / "journal.sqlite3").string(), "set", "20", "5"});
    EXPECT_EQ(refused.code, 4) << refused.err;
    EXPECT_NE(refused.err.find("nothing was sent"), std::string::npos) << refused.err;
    EXPECT_EQ(WireTexts().size(), wireBefore);
    EXPECT_EQ(Para({"--no-journal", "set", "20", "5"}).code, 0);
}

// A scan, a watch, a commissioning run and a line that could not be written
// are recorded with what came of them, and listed in words.
TEST_F(HistoryTest, RecordsWhatTheToolsDid) {
    StartSim();
    std::string target = (dir / "target.par").string();
    std::string reports = (dir / "reports").string();
    ASSERT_EQ(Para({"--journal", journal, "read", "-o", target}).code, 0);
    ASSERT_EQ(Para({"--journal", journal, "scan", "--ids", "0-1", "-w", "300"}).code, 0);
    ASSERT_EQ(Para({"--journal", journal, "watch", "STA", "--count", "2"}).code, 0);
    ParaRun run =
        Para({"--journal", journal, "commission", target, "--ids", "0", "--report", reports});
    ASSERT_EQ(run.code, 0) << run.err;
    std::map<std::string, std::vector<Json>> byKind;
    Json entries = Json::parse(History({"--json"}).out)["entries"];
    for (const Json& entry : entries) {
        byKind[entry["kind"].get<std::string>()].push_back(entry);
    }
    ASSERT_EQ(byKind["scan"].size(), 1u);
    EXPECT_EQ(byKind["scan"][0]["result"], "finished");
    EXPECT_EQ(byKind["scan"][0]["answers"].size(), 1u);
    ASSERT_EQ(byKind["monitor"].size(), 2u);
    EXPECT_EQ(byKind["monitor"][0]["commands"], Json::parse(R"(["STA"])"));
    EXPECT_EQ(byKind["monitor"][1]["rounds_answered"], 2);
    ASSERT_EQ(byKind["commission"].size(), 1u);
    EXPECT_EQ(byKind["commission"][0]["stations"][0]["result"], "verified");
    EXPECT_TRUE(std::filesystem::exists(byKind["commission"][0]["report"].get<std::string>()));

    ParaRun failed = ParaAgainst(
        {"--no-read"}, {"--journal", journal, "send", "#0.STA", std::string(100000, 'x')});
    EXPECT_EQ(failed.code, 7) << failed.err;
    Json session = Json::parse(History({"--json", "--last", "3"}).out)["entries"];
    EXPECT_EQ(session[0]["kind"], "failure");
    EXPECT_EQ(session[0]["what"], "write failed");
    EXPECT_EQ(session[1]["lines"][0]["fate"], "failed");
    for (const std::string& line : Lines(History({}).out)) {
        EXPECT_EQ(line.find('{'), std::string::npos) << "a summary in words: " << line;
    }
}

// A recorded read put back: the drive is read, what differs is sent and read
// back, and that write is recorded with the values it replaced.
TEST_F(HistoryTest, RestorePutsARecordedReadBackOnTheDrive) {
    StartSim();
    ASSERT_EQ(Para({"--journal", journal, "read"}).code, 0);  // entries 1 to 3, the read 2
    ASSERT_EQ(Para({"--journal", journal, "set", "20", "777", "21", "5"}).code, 0);
    size_t wireBefore = WireTexts().size();
    EXPECT_EQ(Para({"--journal", journal, "history", "restore", "1"}).code, 4) << "not a read";
    EXPECT_EQ(WireTexts().size(), wireBefore);
    ParaRun restored = Para({"--journal", journal, "history", "restore", "2"});
    ASSERT_EQ(restored.code, 0) << restored.err;
    std::vector<std::string> drive = Lines(Para({"read"}).out);
    EXPECT_EQ(drive[6], "20\t가속시간\t500");
    EXPECT_EQ(drive[7], "21\t감속시간\t500");
    Json entries = Json::parse(History({"--json", "--last", "4"}).out)["entries"];
    EXPECT_EQ(entries[0]["kind"], "write");
    EXPECT_EQ(entries[0]["parameters"], Json::parse(R"([{"number": 20, "before": 777, "sent": 500},
        {"number": 21, "before": 5, "sent": 500}])"));
    EXPECT_EQ(entries[2]["result"], "confirmed");
    ParaRun again = Para({"--journal", journal, "history", "restore", "2"});
    EXPECT_EQ(again.code, 0);
    EXPECT_NE(again.err.find("holds the recorded read's values; nothing was sent"),
              std::string::npos)
        << again.err;

    // A file put back is recorded as the file its values were sent from.
    std::string file = (dir / "back.par").string();
    ParamSet values;
    for (int32_t number : ParamTable::Instance().ListedNumbers()) values.Set(number, 0);
    ASSERT_TRUE(ParamFile::Write(file, values));
    ASSERT_EQ(Para({"--journal", journal, "restore", file}).code, 0);
    Json sent = Json::parse(History({"--json", "--last", "5"}).out)["entries"];
    EXPECT_EQ(sent[0]["action"], "sent from");
    EXPECT_EQ(sent[0]["path"], file);
    EXPECT_EQ(sent[1]["kind"], "write");
}

TEST_F(HistoryTest, ListsFiltersAndShowsEntries) {
    Record();
    struct Case {
        std::vector<std::string> args;
        std::vector<int> ids;
    } cases[] = {
        {{}, {1, 2, 3, 4, 5}},
        {{"--port", "COM15", "--last", "2"}, {3, 4}},
        {{"--station", "1"}, {5}},
        {{"--since", "2026-12-02"}, {2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        ParaRun run = History(args);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(Ids(run.out), c.ids) << run.out;
        EXPECT_EQ(Lines(History(c.args).out).size(), c.ids.size());
    }

    Json fifth = Json::parse(History({"show", "5", "--json"}).out)["entry"];
    EXPECT_EQ(fifth["port"], "/dev/\xef\xbf\xbd\xef\xbf\xbd") << "CP949 bytes as U+FFFD";
    EXPECT_EQ(fifth["kind"], "read");
    EXPECT_EQ(fifth["complete"], false);
    EXPECT_EQ(fifth["values"]["20"], 500);
    Json write = Json::parse(History({"show", "3", "--json"}).out)["entry"];
    EXPECT_EQ(write["parameters"][0], Json::parse(R"({"number": 20, "before": 500, "sent": 600})"));
    EXPECT_EQ(write["saved"], true);
    ParaRun shown = History({"show", "4"});
    EXPECT_EQ(shown.code, 0);
    EXPECT_NE(shown.out.find("result\tno complete reply"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("20\t"), std::string::npos) << shown.out;

    std::vector<std::string> exported = Lines(History({"export", "--since", "2026-12-02"}).out);
    ASSERT_EQ(exported.size(), 4u);
    EXPECT_EQ(Json::parse(exported[0])["id"], 2);
    EXPECT_EQ(Json::parse(exported[3])["hash"].get<std::string>().size(), 64u);
}

TEST_F(HistoryTest, DiffComparesARecordedReadWithAnotherOrAFile) {
    Record();
    std::string same = (dir / "same.par").string();
    std::string broken = (dir / "broken.par").string();
    ParamSet first;
    first.Set(20, 500);
    first.Set(21, 7);
    ASSERT_TRUE(ParamFile::Create(same, first));
    WriteBytes(broken, ReadBytes(same) + "20,Again,1\n");
    struct Case {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"diff", "1", "2"}, 5},    {{"diff", "2", "2"}, 0},
        {{"diff", "1", same}, 0},   {{"diff", "2", same}, 5},
        {{"diff", "1", broken}, 4}, {{"diff", "1", "3"}, 4},
        {{"diff", "9", "1"}, 4},    {{"diff", "1", "/no/such.par"}, 4},
    };
    for (const Case& c : cases) {
        ParaRun run = History(c.args);
        EXPECT_EQ(run.code, c.code) << c.args[2] << ": " << run.err;
    }
    ParaRun differ = History({"diff", "1", "2", "--json"});
    EXPECT_EQ(Json::parse(differ.out)["differences"], 1);
}

TEST_F(HistoryTest, VerifyNamesTheFirstEntryChangedByHand) {
    Record();
    ParaRun intact = History({"verify"});
    EXPECT_EQ(intact.code, 0) << intact.err;
    EXPECT_EQ(intact.out, "all 5 entries intact\n");
    std::string edit = "sqlite3 '" + journal +
                       "' \"UPDATE entries SET payload = replace(payload, '600', '650') WHERE id = "
                       "2\"";
    ASSERT_EQ(std::system(edit.c_str()), 0);
    ParaRun changed = History({"verify"});
    EXPECT_EQ(changed.code, 5);
    EXPECT_TRUE(changed.out.starts_with("entry 2 does not match")) << changed.out;

    // A document given another shape by hand is shown as it stands.
    std::string reshape = "sqlite3 '" + journal +
                          "' \"UPDATE entries SET payload = '{\\\"complete\\\": \\\"yes\\\", "
                          "\\\"values\\\": [1]}' WHERE id = 1\"";
    ASSERT_EQ(std::system(reshape.c_str()), 0);
    EXPECT_EQ(History({}).code, 0);
    EXPECT_EQ(History({"show", "1"}).code, 0);
}

TEST_F(HistoryTest, RefusesWhatItCannotDoTruly) {
    Record();
    struct Case {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"--no-journal"}, 2}, {{"show"}, 2},        {{"show", "0"}, 2},
        {{"frobnicate"}, 2},   {{"verify", "1"}, 2}, {{"--since", "last week"}, 2},
        {{"show", "99"}, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(History(c.args).code, c.code) << c.args[0];
    journal = "/proc/veld/journal.sqlite3";
    ParaRun unopened = History({});
    EXPECT_EQ(unopened.code, 4);
    EXPECT_NE(unopened.err.find("/proc/veld"), std::string::npos) << unopened.err;
    journal = (dir / "journal.sqlite3").string();
    EXPECT_EQ(History({"export"}, ToolProcess::Output::kFull).code, 8);
    EXPECT_EQ(History({}, ToolProcess::Output::kFull).code, 8);
}

}  // namespace

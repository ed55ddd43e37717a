// veld-para's safe writes end to end against veld-drive-sim: backups before
// writing, restore, diff, JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "SilentServer.h"
#include "ToolsFixture.h"
#include "params/BackupStore.h"
#include "params/ParamFile.h"
#include "support/Eventually.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using namespace std::chrono_literals;

TEST_F(ToolsTest, ABackupIsTakenBeforeAnythingIsWrittenAndRestoreUndoesTheWrites) {
    StartSim();
    fs::path backup = dir / "before.par";
    ParaRun set = Para({"-q", "set", "--backup", backup.string(), "20", "999", "--no-verify"});
    ASSERT_EQ(set.code, 0) << set.err;
    // The read, then the write: the file holds every parameter as it was.
    EXPECT_EQ(WireTexts(),
              (std::vector<std::string>{"#0.PRA", "#0.PWR 20 999", "#0.COP", "#0.PSV"}));

    // Setup and setmode change what a saved file does not hold; a folder gets a dated file.
    fs::path folder = dir / "backups";
    fs::create_directories(folder);
    ASSERT_EQ(Para({"-q", "setup", "0", "--backup", folder.string()}).code, 0);
    ASSERT_EQ(Para({"-q", "setmode", "--backup", folder.string()}).code, 0);

    size_t sentBefore = WireTexts().size();
    ParaRun restore = Para({"-q", "restore", backup.string()});
    ASSERT_EQ(restore.code, 0) << restore.err;
    // Only what differed went out, then the read-back.
    std::vector<std::string> wire = WireTexts();
    EXPECT_EQ(std::vector<std::string>(wire.begin() + static_cast<long>(sentBefore), wire.end()),
              (std::vector<std::string>{"#0.PRA", "#0.PWR 20 500", "#0.PWR 42 1", "#0.PWR 43 1",
                                        "#0.PWR 44 2", "#0.PWR 45 5", "#0.PWR 100 0", "#0.COP",
                                        "#0.PSV", "#0.PRA"}));
    // Now the drive holds the file's values: the read, and nothing more.
    ASSERT_EQ(Para({"-q", "restore", backup.string()}).code, 0);
    EXPECT_EQ(WireTexts().size(), wire.size() + 1);

    // The drive acknowledges nothing defined to PDF: a complete read after it is the answer.
    ASSERT_EQ(Para({"-q", "init", "--backup", folder.string()}).code, 0);
    wire = WireTexts();
    EXPECT_EQ(std::vector<std::string>(wire.end() - 2, wire.end()),
              (std::vector<std::string>{"#0.PDF ALL", "#0.PRA"}));
    // Three backups, each with the port it was read on beside it.
    std::vector<BackupStore::Entry> taken = BackupStore(folder).List();
    ASSERT_EQ(taken.size(), 3u);
    for (const BackupStore::Entry& entry : taken) EXPECT_EQ(entry.port, port);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
}

TEST_F(ToolsTest, WithoutACompleteReadNothingIsWritten) {
    StartSim({"--omit", "20"});
    std::string backup = (dir / "before.par").string();
    EXPECT_EQ(Para(Words("-q -w 1000 set 21 1 --backup " + backup)).code, 3);
    // The file to write is loaded first: it is not there, and nothing is read.
    EXPECT_EQ(Para(Words("-q -w 1000 write " + backup + " --backup " + backup)).code, 4);
    EXPECT_EQ(Para(Words("-q -w 1000 init --backup " + backup)).code, 3);
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(WireTexts(), (std::vector<std::string>{"#0.PRA", "#0.PRA"}));
}

// Where an earlier backup would be lost, nothing is read or written.
TEST_F(ToolsTest, ABackupNeverReplacesAFile) {
    StartSim();
    fs::path file = dir / "drive.par";
    ASSERT_TRUE(ParamFile::Write(file.string(), ParamTable()));
    fs::path earlier = dir / "earlier.par";
    ASSERT_TRUE(ParamFile::Write(earlier.string(), ParamSet()));
    fs::path dangling = dir / "dangling.par";
    fs::create_symlink(dir / "nowhere.par", dangling);
    for (const fs::path& taken : {earlier, dangling}) {
        for (const std::string& command :
             std::vector<std::string>{"set 20 1", "setmode", "init", "write " + file.string(),
                                      "restore " + file.string()}) {
            SCOPED_TRACE(command + " --backup " + taken.filename().string());
            ParaRun run = Para(Words("-q " + command + " --backup " + taken.string()));
            EXPECT_EQ(run.code, 4);
            EXPECT_NE(run.err.find("the file exists"), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(ReadBytes(earlier.string()), ParamFile::Format(ParamSet()));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_FALSE(fs::exists(dir / "nowhere.par"));
    EXPECT_TRUE(WireTexts().empty());
}

// A file that lacks values or holds records that are not well-formed sends
// nothing: each command that sends or compares its values says what is wrong.
TEST_F(ToolsTest, AFileThatDoesNotYieldEveryValueOnceSendsNothing) {
    StartSim();
    ParamTable table;
    const std::string saved = ParamFile::Format(table);
    std::string word = saved;
    word.replace(word.find("    0 \r\n", 6 * 42), 6, " fast ");
    struct FileCase {
        const char* name;
        std::string content;
        std::string says;
    };
    const FileCase files[] = {
        {"empty.par", "", "not set by any record: 10 11 13 14 15 16 20 21 22 23 25 26"},
        {"only20.par", "   20,   가속시간,   300 \r\n\r\n",
         "not set by any record: 10 11 13 14 15 16 21 22 23 25 26"},
        {"cut.par", saved.substr(0, 500), "line 12: the file ends inside this record\n"},
        {"word.par", word, "line 7: the value of parameter 20 is not a decimal number"},
        {"shifted.par", saved.substr(0, 84) + "\r\n" + saved.substr(84),
         "line 3: a blank line before the last line"},
    };
    for (const FileCase& f : files) {
        fs::path path = dir / f.name;
        WriteBytes(path, f.content);
        for (const char* command : {"write", "restore", "verify"}) {
            SCOPED_TRACE(std::string(command) + " " + f.name);
            ParaRun run = Para({"-q", command, path.string()});
            EXPECT_EQ(run.code, 4);
            EXPECT_EQ(run.out, "");
            EXPECT_NE(run.err.find(path.string() + " is not a complete parameter file"),
                      std::string::npos)
                << run.err;
            EXPECT_NE(run.err.find(f.says), std::string::npos) << run.err;
        }
    }
    EXPECT_TRUE(WireTexts().empty());

    // Diff compares what it could read and names what it left out.
    fs::path good = dir / "good.par";
    WriteBytes(good, saved);
    fs::path after = dir / "after.par";
    WriteBytes(after, saved + "   20,   가속시간,  9999 \r\n");
    port = "/nonexistent";
    ParaRun diff = Para({"diff", good.string(), after.string()});
    EXPECT_EQ(diff.code, 4);
    EXPECT_EQ(diff.out, "20\t가속시간\t0\t9999\n");
    EXPECT_NE(diff.err.find(after.string() +
                            ": records left out of the comparison:\n"
                            "  line 30: a blank line before the last line (it shifts the fields of "
                            "the lines after it)\n"
                            "  line 31: parameter 20 again (first on line 7)\n"),
              std::string::npos)
        << diff.err;
}

TEST_F(ToolsTest, DiffComparesTwoFilesWithoutAPort) {
    ParamTable a;
    a.SetParamValue(37, 5);
    fs::path fileA = dir / "a.par";
    ASSERT_TRUE(ParamFile::Write(fileA.string(), a));
    fs::path fileB = dir / "b.par";
    ParamSet b = ParamSet::Listed(a);
    b.Set(20, 70000);
    b.Set(37, 6);
    b.Set(101, 4);  // a backup holds parameters a saved file does not
    ASSERT_TRUE(ParamFile::Write(fileB.string(), b));
    port = "/nonexistent";
    EXPECT_EQ(Para({"diff", fileA.string(), fileA.string()}).code, 0);
    ParaRun differ = Para({"diff", fileA.string(), fileB.string()});
    EXPECT_EQ(differ.code, 5) << differ.err;
    EXPECT_EQ(differ.out,
              "20\t가속시간\t0\t70000\t70000 does not fit in 16 bits: the drive keeps 4464\n"
              "37\t모니터링종류\t5\t6\tbits 0, 1 differ\n"
              "101\t모터극수\t-\t4\n");
    EXPECT_EQ(Para({"diff", fileA.string(), (dir / "absent.par").string()}).code, 4);
}

TEST_F(ToolsTest, JsonReportsParseAndCarryTheResults) {
    StartSim({"--read-only", "21"});
    ParaRun read = Para({"-q", "read", "--json"});
    ASSERT_EQ(read.code, 0) << read.err;
    Json doc = Json::parse(read.out);
    ASSERT_EQ(doc["parameters"].size(), 29u);
    EXPECT_EQ(doc["parameters"][6], Json({{"number", 20}, {"name", "가속시간"}, {"value", 500}}));

    ParaRun set = Para({"-q", "set", "21", "400", "22", "70000", "--json"});
    EXPECT_EQ(set.code, 5);
    EXPECT_EQ(Json::parse(set.out), Json::parse(R"({"command": "set", "station": 0,
        "result": "mismatch", "sent": 2, "confirmed": 0, "missing": [], "parameters": [
        {"number": 21, "name": "감속시간", "sent": 400, "drive": 500, "differ": true},
        {"number": 22, "name": "최저속도", "sent": 70000, "drive": 4464, "differ": true,
         "fits_16_bits": false, "note": "70000 does not fit in 16 bits: the drive keeps 4464"}]})"));

    ParaRun silent = ParaAgainst({"--silent"}, {"-q", "setmode", "--json"});
    EXPECT_EQ(silent.code, 3);
    doc = Json::parse(silent.out);
    EXPECT_EQ(doc["result"], "no complete reply");
    EXPECT_EQ(doc["missing"], Json({100}));
    EXPECT_TRUE(doc["parameters"][0]["drive"].is_null());
}

}  // namespace

namespace {

// A write group stopped half way, by a signal to veld-para or by the drive's line
// going away: the report says which lines went out and that nothing was saved.
TEST_F(ToolsTest, AWriteStoppedHalfWaySaysWhatWentOutAndThatNothingWasSaved) {
    struct Case {
        int signal;  // to veld-para; 0: the drive goes
        int code;
    };
    for (Case c : {Case{SIGINT, 128 + SIGINT}, Case{SIGTERM, 128 + SIGTERM}, Case{0, 3}}) {
        sim.reset();
        StartSim();
        std::vector<std::string> argv = {VELD_PARA_PATH, "-q", "-p", port, "set", "--json"};
        // A long group: 110 PWR lines take more than a second to go out.
        for (int n = 0; n < 110; ++n) argv.insert(argv.end(), {std::to_string(n), "1"});
        ToolProcess para(argv, (dir / ("stopped" + std::to_string(runs++))).string());
        ASSERT_TRUE(Eventually([&] { return WireTexts().size() >= 3; }, 20s));
        if (c.signal) {
            para.Signal(c.signal);
        } else {
            sim->Signal(SIGKILL);
        }
        ASSERT_EQ(para.Wait(kRunLimit), c.code) << para.Stderr();
        Json doc = Json::parse(para.Stdout());
        EXPECT_EQ(doc["result"], c.signal ? "interrupted" : "port lost");
        EXPECT_TRUE(doc["unsaved"].get<bool>());
        const Json& lines = doc["lines"];
        // The group, then its read-back.
        ASSERT_EQ(lines.size(), 113u);
        EXPECT_EQ(lines[0], Json({{"line", "#0.PWR 0 1"}, {"fate", "sent"}}));
        EXPECT_EQ(lines[111], Json({{"line", "#0.PSV"}, {"fate", "not sent"}}));
        EXPECT_EQ(lines[112], Json({{"line", "#0.PRA"}, {"fate", "not sent"}}));
        size_t sent = 0;
        for (const Json& line : lines) sent += line["fate"] == "sent" ? 1 : 0;
        EXPECT_LT(sent, 110u);
        // Each line told as sent arrived.
        if (c.signal) {
            EXPECT_EQ(WireTexts().size(), sent);
        }
        EXPECT_NE(para.Stderr().find("not saved"), std::string::npos) << para.Stderr();
    }
}

// A peer that hangs up part way through a write group and its read-back:
// each line echoed as sent went out, the note names what of COP and PSV did
// not, and a read-back that came whole before the hang-up is the verdict,
// with the loss said after it.
TEST_F(ToolsTest, APeerThatHangsUpGetsOnlyTrueWords) {
    struct Case {
        const char* trigger;  // what the peer waits for before it hangs up
        const char* answer;
        int code;
        std::string says;
    };
    const Case cases[] = {
        {"#0.PWR 20 300\r", "", 3, "the port was lost"},
        {"#0.COP\r", "", 3, "the port was lost"},
        {"#0.PRA\r", "#0.PRA 0014 012C\r", 0,
         "holds all 1 values sent\nveld-para: the port was lost after the drive's last reply"},
    };
    // The last reply and the hang-up race the dispatcher: five rounds let a lost reply show.
    for (size_t n = 0; n < 5 * std::size(cases); ++n) {
        const Case& c = cases[n % std::size(cases)];
        SCOPED_TRACE(::testing::PrintToString(c.trigger));
        SilentServer peer;
        peer.HangUpAfter(c.trigger, c.answer);
        port = peer.Name("tcp");
        ParaRun run = Para({"-w", "1000", "set", "20", "300"});
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        std::vector<std::string> echoed;
        std::vector<std::string> sent;
        for (const std::string& line : Lines(run.err)) {
            if (line.starts_with("> ")) echoed.push_back(line.substr(2));
            if (line.starts_with("  sent     ")) sent.push_back(line.substr(11));
        }
        if (c.code != 0) {
            EXPECT_EQ(echoed, sent) << run.err;
        }
        bool copSent = std::find(sent.begin(), sent.end(), "#0.COP") != sent.end();
        if (run.err.find("not saved") != std::string::npos) {
            const char* note = copSent ? "(PSV was not sent)" : "(COP and PSV were not sent)";
            EXPECT_NE(run.err.find(note), std::string::npos) << run.err;
        }
        // A reply comes after the line it answers.
        size_t reply = run.err.find("< #0.PRA");
        if (reply != std::string::npos) {
            EXPECT_LT(run.err.find("> #0.PRA\n"), reply) << run.err;
        }
    }
}

}  // namespace

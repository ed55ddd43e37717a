// veld-para's safe writes end to end against veld-drive-sim: read-back
// without acknowledgements, backups before writing, restore, diff, JSON.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ToolsFixture.h"
#include "params/ParamFile.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST_F(ToolsTest, WritesAreReadBackAndNeedNoAcknowledgement) {
    struct ReadBackCase {
        const char* fault;  // of the simulator
        const char* args;
        int code;
        std::string out;   // exactly
        std::string says;  // on stderr
        bool readBack;     // a PRA follows the group
    };
    const ReadBackCase cases[] = {
        {"--no-ack", "set 20 300 21 -5", 0, "", "holds all 2 values sent", true},
        {"--no-ack", "setup 3", 0, "", "holds all 10 values sent", true},
        // A drive that takes no write to 21 acknowledges it all the same.
        {"--read-only 21", "set 20 300 21 400", 5, "21\t감속시간\t400\t500\n",
         "holds 1 of the 2 values sent", true},
        // What did not come back shows as "-".
        {"--silent", "set 20 1", 3, "20\t가속시간\t1\t-\n", "no complete reply; 1 of the 1 values",
         true},
        {"--silent", "set 20 1 --no-verify", 0, "", "", false},
        {"--omit 20", "set 20 1 21 2", 3, "20\t가속시간\t1\t-\n", "did not come back: 20\n", true},
        {"--misnumber 20", "set 20 1", 6, "20\t가속시간\t1\t-\n", "통신처리에러", true},
    };
    for (const ReadBackCase& c : cases) {
        std::string shown = std::string(c.fault) + " / " + c.args;
        ParaRun run = ParaAgainst(Words(c.fault), Words(c.args));
        EXPECT_EQ(run.code, c.code) << shown << "\n" << run.err;
        EXPECT_EQ(run.out, c.out) << shown;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << shown << "\n" << run.err;
        std::vector<std::string> wire = WireTexts();
        EXPECT_EQ(!wire.empty() && wire.back() == "#0.PRA", c.readBack) << shown;
    }
}

TEST_F(ToolsTest, ABackupIsTakenBeforeAnythingIsWrittenAndRestoreUndoesTheWrites) {
    StartSim();
    std::map<int32_t, int32_t> before = DriveValues();
    fs::path backup = dir / "before.par";
    ParaRun set = Para({"-q", "set", "--backup", backup.string(), "20", "999", "--no-verify"});
    ASSERT_EQ(set.code, 0) << set.err;
    // The read, then the write: the file holds every parameter as it was.
    EXPECT_EQ(WireTexts(),
              (std::vector<std::string>{"#0.PRA", "#0.PRA", "#0.PWR 20 999", "#0.COP", "#0.PSV"}));

    // Setup and setmode change parameters a saved file does not hold; a
    // folder gets a dated file.
    fs::path folder = dir / "backups";
    fs::create_directories(folder);
    ASSERT_EQ(Para({"-q", "setup", "0", "--backup", folder.string()}).code, 0);
    ASSERT_EQ(Para({"-q", "setmode", "--backup", folder.string()}).code, 0);

    size_t sentBefore = WireTexts().size();
    ParaRun restore = Para({"-q", "restore", backup.string()});
    ASSERT_EQ(restore.code, 0) << restore.err;
    // Only what differed went out, then the read-back.
    std::vector<std::string> wire = WireTexts();
    std::vector<std::string> expected =
        ReadBackLines({{20, 500}, {42, 1}, {43, 1}, {44, 2}, {45, 5}, {100, 0}});
    expected.insert(expected.begin(), "#0.PRA");
    EXPECT_EQ(std::vector<std::string>(wire.begin() + static_cast<long>(sentBefore), wire.end()),
              expected);
    EXPECT_EQ(DriveValues(), before);
    ParaRun again = Para({"restore", backup.string()});
    EXPECT_EQ(again.code, 0);
    EXPECT_NE(again.err.find("nothing was sent"), std::string::npos) << again.err;

    ASSERT_EQ(Para({"-q", "init", "--backup", folder.string()}).code, 0);
    std::vector<fs::path> files{fs::directory_iterator(folder), fs::directory_iterator()};
    EXPECT_EQ(files.size(), 3u);
}

TEST_F(ToolsTest, WithoutACompleteReadNothingIsWritten) {
    StartSim({"--omit", "20"});
    fs::path backup = dir / "before.par";
    for (std::vector<std::string> args :
         {std::vector<std::string>{"set", "21", "1"}, {"write", backup.string()}, {"init"}}) {
        args.insert(args.begin(), {"-q", "-w", "1000"});
        args.insert(args.end(), {"--backup", backup.string()});
        ParaRun run = Para(args);
        EXPECT_EQ(run.code, args[3] == "write" ? 4 : 3) << args[3] << "\n" << run.err;
    }
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(WireTexts(), (std::vector<std::string>{"#0.PRA", "#0.PRA"}));
    // A backup that cannot be written stops the write as well.
    sim.reset();
    StartSim();
    ParaRun unwritable =
        Para({"-q", "set", "21", "1", "--backup", (dir / "no" / "x.par").string()});
    EXPECT_EQ(unwritable.code, 4);
    EXPECT_NE(unwritable.err.find("nothing was written"), std::string::npos) << unwritable.err;
    EXPECT_EQ(WireTexts(), std::vector<std::string>{"#0.PRA"});
}

TEST_F(ToolsTest, DiffComparesTwoFilesWithoutAPort) {
    ParamTable a;
    a.SetParamValue(20, 500);
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
              "20\t가속시간\t500\t70000\t70000 does not fit in 16 bits: the drive keeps 4464\n"
              "37\t모니터링종류\t5\t6\tbits 0, 1 differ\n"
              "101\t모터극수\t-\t4\n");
    EXPECT_EQ(Para({"diff", fileA.string(), (dir / "absent.par").string()}).code, 4);
}

TEST_F(ToolsTest, JsonReportsParseAndCarryTheResults) {
    StartSim({"--read-only", "21"});
    ParaRun read = Para({"-q", "read", "--json"});
    ASSERT_EQ(read.code, 0) << read.err;
    Json doc = Json::parse(read.out);
    EXPECT_EQ(doc["command"], "read");
    ASSERT_EQ(doc["parameters"].size(), 29u);
    EXPECT_EQ(doc["parameters"][6], Json({{"number", 20}, {"name", "가속시간"}, {"value", 500}}));

    ParaRun set = Para({"-q", "set", "21", "400", "22", "70000", "--json"});
    EXPECT_EQ(set.code, 5);
    EXPECT_EQ(Json::parse(set.out), Json::parse(R"({"command": "set", "station": 0,
        "result": "mismatch", "sent": 2, "confirmed": 0, "missing": [], "parameters": [
        {"number": 21, "name": "감속시간", "sent": 400, "drive": 500, "differ": true},
        {"number": 22, "name": "최저속도", "sent": 70000, "drive": 4464, "differ": true,
         "fits_16_bits": false, "note": "70000 does not fit in 16 bits: the drive keeps 4464"}]})"));

    fs::path file = dir / "drive.par";
    ASSERT_EQ(Para({"-q", "read", "-o", file.string()}).code, 0);
    ASSERT_EQ(Para({"-q", "set", "37", "6"}).code, 0);
    ParaRun verify = Para({"-q", "verify", file.string(), "--json"});
    EXPECT_EQ(verify.code, 5);
    doc = Json::parse(verify.out);
    EXPECT_EQ(doc["compared"], 29);
    EXPECT_EQ(doc["differences"], 1);
    EXPECT_EQ(doc["parameters"][17], Json::parse(R"({"number": 37, "name": "모니터링종류",
        "file": 1, "drive": 6, "differ": true, "differing_bits": [0, 1, 2],
        "note": "bits 0, 1, 2 differ"})"));

    sim.reset();
    StartSim({"--silent"});
    ParaRun silent = Para({"-q", "-w", "200", "setmode", "--json"});
    EXPECT_EQ(silent.code, 3);
    doc = Json::parse(silent.out);
    EXPECT_EQ(doc["result"], "no complete reply");
    EXPECT_EQ(doc["missing"], Json({100}));
    EXPECT_TRUE(doc["parameters"][0]["drive"].is_null());
}

}  // namespace

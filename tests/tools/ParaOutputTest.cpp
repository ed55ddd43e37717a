// What veld-para writes on stdout is its result: output it cannot write is a
// failure, and JSON comes out whole whatever bytes the names and replies hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ToolsFixture.h"
#include "params/ParamFile.h"
#include "support/PtyPair.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;

// "가" in CP949: two bytes that are no UTF-8.
const std::string kCp949Name = "\xb0\xa1";
// How JSON shows them.
const std::string kReplaced = "\xef\xbf\xbd\xef\xbf\xbd";

TEST_F(ToolsTest, OutputThatCannotBeWrittenIsAFailureOfItsOwn) {
    StartSim();
    fs::path file = dir / "drive.par";
    ASSERT_TRUE(ParamFile::Write(file.string(), ParamTable()));
    const std::vector<std::string> commands[] = {
        {"read"},
        {"read", "--json"},
        {"version"},
        {"scan", "--ids", "0-1"},
        {"ports", "--json"},
        {"diff", file.string(), file.string(), "--json"},
        {"watch", "STA", "--interval", "100", "--count", "2", "--csv"},
        {"--help"},
    };
    for (ToolProcess::Output out : {ToolProcess::Output::kFull, ToolProcess::Output::kClosed}) {
        for (std::vector<std::string> args : commands) {
            SCOPED_TRACE(::testing::PrintToString(args));
            args.insert(args.begin(), "-q");
            ParaRun run = Para(args, out);
            EXPECT_EQ(run.code, 8) << run.err;
            EXPECT_NE(run.err.find("veld-para: the output could not be written"), std::string::npos)
                << run.err;
        }
    }
    // Differences are the result, and their listing was lost; a command that
    // failed otherwise keeps its code.
    fs::path other = dir / "other.par";
    ParamTable changed;
    changed.SetParamValue(20, 999);
    ASSERT_TRUE(ParamFile::Write(other.string(), changed));
    // A record again: left out of the comparison (exit 4).
    fs::path again = dir / "again.par";
    WriteBytes(again, ParamFile::Format(changed) + "   20,   가속시간,  9999 \r\n");
    struct LostCase {
        std::vector<std::string> args;
        int code;
    };
    const LostCase lost[] = {
        {{"-q", "verify", file.string()}, 8},
        {{"diff", file.string(), other.string()}, 8},
        {{"diff", file.string(), again.string()}, 4},
    };
    for (const LostCase& c : lost) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ParaRun run = Para(c.args, ToolProcess::Output::kFull);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find("could not be written"), std::string::npos) << run.err;
    }
}

TEST_F(ToolsTest, JsonReplacesBytesThatAreNoUtf8AndNeverAborts) {
    StartSim();
    fs::path named = dir / (kCp949Name + ".par");
    std::string shown = (dir / (kReplaced + ".par")).string();
    ASSERT_TRUE(ParamFile::Write(named.string(), ParamTable()));
    fs::path backup = dir / (kCp949Name + "-backup.par");
    std::string backupShown = (dir / (kReplaced + "-backup.par")).string();
    struct JsonCase {
        std::vector<std::string> args;
        int code;
        std::string key;
        std::string value;
    };
    const JsonCase cases[] = {
        {{"diff", named.string(), named.string(), "--json"}, 0, "file_a", shown},
        {{"verify", named.string(), "--json"}, 5, "file", shown},
        // The drive is written first: the report must come all the same.
        {{"set", "20", "300", "--json", "--backup", backup.string()}, 0, "backup", backupShown},
        {{"doctor", (dir / kCp949Name).string(), "--json"}, 1, "port", (dir / kReplaced).string()},
    };
    for (const JsonCase& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "-q");
        ParaRun run = Para(args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(Json::parse(run.out)[c.key], c.value);
    }
    EXPECT_EQ(WireTexts().back(), "#0.PRA");

    // A reply byte that is no UTF-8, from a drive this test plays.
    PtyPair line;
    ToolProcess scan({VELD_PARA_PATH, "-q", "-p", line.SlavePath(), "scan", "--ids", "0-0", "-w",
                      "3000", "--json"},
                     (dir / "scan").string());
    ASSERT_NE(line.ReadUntil("#0.FRD 0\r", 10s).find("#0.FRD 0\r"), std::string::npos);
    line.Write(
        "#0.FRD 0 01\xff"
        "5\r");
    ASSERT_EQ(scan.Wait(kRunLimit), 0) << scan.Stderr();
    Json station = Json::parse(scan.Stdout())["stations"][0];
    EXPECT_EQ(station["reply"],
              "#0.FRD 0 01\xef\xbf\xbd"
              "5");
}

}  // namespace

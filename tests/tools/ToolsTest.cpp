#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ToolProcess.h"
#include "ToolsFixture.h"
#include "params/ParamFile.h"
#include "params/ParamTable.h"
#include "support/PtyPair.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;

TEST_F(ToolsTest, ReadPrintsOrSavesTheDrivesParameters) {
    StartSim();
    ParaRun listed = Para({"read"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    std::vector<std::string> lines = Lines(listed.out);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[6], "20\t가속시간\t500");
    EXPECT_EQ(lines.back(), "61\tAD입력최소 \t10");

    ParaRun all = Para({"-q", "read", "--all"});
    ASSERT_EQ(all.code, 0) << all.err;
    lines = Lines(all.out);
    ASSERT_EQ(lines.size(), 110u);
    EXPECT_EQ(lines[101], "101\t모터극수\t4");
    EXPECT_EQ(all.err, "");

    fs::path file = dir / "drive.par";
    ParaRun saved = Para({"-q", "read", "-o", file.string()});
    ASSERT_EQ(saved.code, 0) << saved.err;
    EXPECT_EQ(saved.out, "");
    EXPECT_EQ(ReadBytes(file).size(), 1220u);
    EXPECT_EQ(WireTexts(), (std::vector<std::string>{"#0.PRA", "#0.PRA", "#0.PRA"}));
}

TEST_F(ToolsTest, WriteSendsTheSendAllLinesAndVerifyReportsEachDifference) {
    StartSim();
    ParamTable table;
    std::vector<std::pair<int, int>> writes;
    for (int32_t n : table.ListedNumbers()) {
        table.SetParamValue(n, n * 10 - 200);
        writes.emplace_back(n, n * 10 - 200);
    }
    table.SetParamValue(42, 3);  // not listed: not sent
    fs::path file = dir / "send.par";
    ASSERT_TRUE(ParamFile::Write(file, table));
    ParaRun run = Para({"-q", "write", file.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(WireTexts(), ReadBackLines(writes));

    ParaRun same = Para({"verify", file.string()});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "");
    ASSERT_EQ(Para({"-q", "set", "20", "999", "57", "-1"}).code, 0);
    ParaRun differ = Para({"verify", file.string()});
    EXPECT_EQ(differ.code, 5) << differ.err;
    EXPECT_EQ(differ.out, "20\t가속시간\t0\t999\n57\t속도인덱스8\t370\t-1\n");

    ASSERT_EQ(Para({"-q", "init"}).code, 0);
    EXPECT_EQ(WireTexts().back(), "#0.PDF ALL");
}

TEST_F(ToolsTest, VersionAndSendPrintTheRepliesOnStdout) {
    StartSim();
    ParaRun version = Para({"version"});
    ASSERT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "#0.FRD 0 0105\n#0.FRD 1 0003\n");
    // Replies are echoed as they come, between the lines sent: each kind keeps its order.
    std::vector<std::string> echoed = Lines(version.err);
    std::stable_sort(echoed.begin(), echoed.end(),
                     [](const std::string& a, const std::string& b) { return a[0] < b[0]; });
    EXPECT_EQ(echoed, (std::vector<std::string>{"< #0.FRD 0 0105", "< #0.FRD 1 0003", "> #0.FRD 0",
                                                "> #0.FRD 1"}));
    ParaRun send = Para({"-q", "send", "#0.PRD 101", "#0.MTP", "#0.XYZ"});
    ASSERT_EQ(send.code, 0) << send.err;
    EXPECT_EQ(send.out, "#0.PRD 00000065 00000004\n#0.MTP 0000012C\n#0.ERR XYZ\n");
    EXPECT_EQ(WireTexts(),
              (std::vector<std::string>{"#0.FRD 0", "#0.FRD 1", "#0.PRD 101", "#0.MTP", "#0.XYZ"}));

    // A COM name goes to the device its mapping names, from the option or the environment.
    std::string device = port;
    port = "COM7";
    EXPECT_EQ(Para({"-q", "--port-map", "COM7=" + device, "version"}).code, 0);
    ScopedEnv map("VELD_PORT_MAP", ("COM7=" + device).c_str());
    EXPECT_EQ(Para({"-q", "version"}).code, 0);
}

TEST_F(ToolsTest, FailuresGiveTheirExitCodeAndShowNothingAsIfRead) {
    fs::path file = dir / "defaults.par";
    ASSERT_TRUE(ParamFile::Write(file, ParamTable()));
    fs::path out = dir / "out.par";
    std::string absent = (dir / "absent.par").string();
    struct FailureCase {
        std::string fault;  // of the simulator
        std::string args;
        int code;
        std::string says;
    };
    const FailureCase cases[] = {
        {"--omit 20 --omit 57", "read -o " + out.string(), 3,
         "lacks 2 of the 29 parameters asked for: 20 57\n"},
        {"--omit 61", "verify " + file.string(), 3, "asked for: 61\n"},
        {"--omit 101", "read --all", 3, "lacks 1 of the 110 parameters asked for: 101"},
        // Parameter 101 is not listed: the listed read is complete.
        {"--omit 101", "read", 0, ""},
        // A pair numbered 110 raises "통신처리에러" and drops the rest of its line.
        {"--misnumber 20", "read", 6, "통신처리에러"},
        {"--silent", "version", 3, "no reply"},
        {"--silent", "watch STA --interval 100", 3, "no reply"},
        // The drive takes nothing: once the line's buffer is full, writes stall.
        {"--no-read", "send " + std::string(100000, 'x') + " #0.STA", 7, "TTY Error!: <CE-110>"},
        {"", "write " + absent, 4, "File Error"},
        {"", "read -o " + (dir / "no" / "such" / "x.par").string(), 4, "File Error"},
    };
    for (const FailureCase& c : cases) {
        std::string shown = c.fault + " / " + c.args.substr(0, 60);
        ParaRun run = ParaAgainst(Words(c.fault), Words(c.args));
        EXPECT_EQ(run.code, c.code) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << shown << "\n" << run.err;
        if (c.code == 0) {
            EXPECT_EQ(Lines(run.out).size(), 29u) << shown;
        } else {
            // Nothing shown or saved as if it had been read.
            EXPECT_TRUE(run.out.empty()) << shown;
            EXPECT_FALSE(fs::exists(out)) << shown;
        }
    }
}

TEST_F(ToolsTest, SendDeliversEveryLineInOrderHoweverMany) {
    StartSim();
    // More than the queue's 200 slots, and more replies than the ring's 100.
    std::vector<std::string> args = {"-q", "send"};
    std::vector<std::string> replies;
    for (int i = 1; i <= 450; ++i) {
        args.push_back("#0.T" + std::to_string(i));
        replies.push_back("#0.ERR T" + std::to_string(i));
    }
    ParaRun run = Para(args);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(WireTexts(), std::vector<std::string>(args.begin() + 2, args.end()));
    EXPECT_EQ(Lines(run.out), replies);
}

TEST_F(ToolsTest, MonitorPrintsReceivedLinesUntilInterrupted) {
    StartSim({"--reply-delay", "1500"});
    // The answer comes after the sender has gone; the monitor that holds the port then sees it.
    ASSERT_EQ(Para({"-q", "-w", "0", "send", "#0.MTP"}).code, 3);
    ToolProcess monitor({VELD_PARA_PATH, "-q", "-p", port, "monitor"}, (dir / "mon").string());
    EXPECT_TRUE(monitor.WaitForStdout("#0.MTP 0000012C\n", 20s));
    monitor.Signal(SIGINT);
    EXPECT_EQ(monitor.Wait(kRunLimit), 0);
}

// Two drives on one line, as on an RS-485 bus: the scan asks each station once,
// in order, and lists those that answered.
TEST_F(ToolsTest, ScanFindsTheStationsOnTheLine) {
    StartSim({"--ids", "3,7"});
    ParaRun scan = Para({"-q", "scan", "--ids", "0-9", "-w", "300"});
    ASSERT_EQ(scan.code, 0) << scan.err;
    EXPECT_EQ(scan.out, "3\t0105\n7\t0105\n");
    EXPECT_NE(scan.err.find("scan 10/10: station 9: no answer\n"), std::string::npos);

    ParaRun json = Para({"-q", "scan", "--ids", "6-8", "-w", "250", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(Json::parse(json.out),
              Json::parse(R"({"command": "scan", "from": 6, "to": 8, "waitMs": 250,
                  "complete": true, "stations": [{"id": 7, "reply": "#7.FRD 0 0105", "version": "0105"}]})"));

    ParaRun none = Para({"-q", "scan", "--ids", "4-5", "-w", "300"});
    EXPECT_EQ(none.code, 3);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no station answered"), std::string::npos);

    // Each drive keeps its own parameters; the station ID is read as the GUI reads it.
    ASSERT_EQ(Para({"-q", "-i", " 3x", "set", "20", "999"}).code, 0);
    EXPECT_EQ(Lines(Para({"-q", "-i", "3", "read"}).out)[6], "20\t가속시간\t999");
}

// The port this test holds (flock, as minicom does) keeps veld-para out, and
// the doctor names the holder.
TEST_F(ToolsTest, DoctorTellsWhatKeepsAPortClosed) {
    StartSim();
    int held = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ParaRun doctor = Para({"doctor", port, "--json"});
    ParaRun busy = Para({"version"});
    ::close(held);
    std::string self;
    std::getline(std::ifstream("/proc/self/comm"), self);
    std::string pid = std::to_string(::getpid());
    ASSERT_EQ(doctor.code, 1) << doctor.out;
    Json finding = Json::parse(doctor.out)["findings"][0];
    EXPECT_EQ(finding["kind"], "held-by");
    EXPECT_EQ(finding["remedy"], "end that program:\nkill " + pid);
    EXPECT_EQ(busy.code, 1);
    EXPECT_NE(busy.err.find("포트를 열수가 없습니다.\n" + port + "\n- in use by \"" + self +
                            "\" (PID " + pid + ")\n"),
              std::string::npos)
        << busy.err;
}

TEST_F(ToolsTest, WatchAsksEveryRoundPrintsARowPerReplyAndEndsWhenTheDriveGoes) {
    StartSim();
    ParaRun json =
        Para({"-q", "watch", "STA", "PRD", "20", "--interval", "100", "--count", "3", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    std::vector<std::string> rows = Lines(json.out);
    ASSERT_EQ(rows.size(), 6u) << json.out;
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i]);
        Json row = Json::parse(rows[i]);
        EXPECT_EQ(row["code"], i % 2 ? "PRD" : "STA");
        EXPECT_EQ(row["fields"], i % 2 ? Json({20, 500}) : Json({1}));
        EXPECT_EQ(row["station"], "0");
    }
    EXPECT_EQ(WireTexts().size(), 6u);

    ParaRun csv = Para({"-q", "watch", "MTP", "--interval", "100", "--count", "2", "--csv"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    rows = Lines(csv.out);
    ASSERT_EQ(rows.size(), 3u) << csv.out;
    EXPECT_EQ(rows[0], "ms,time,code,fields");
    EXPECT_EQ(rows[2].substr(rows[2].find(",MTP,")), ",MTP,300");

    ToolProcess watch({VELD_PARA_PATH, "-q", "-p", port, "watch", "MTP", "--interval", "100"},
                      (dir / "watch").string());
    ASSERT_TRUE(watch.WaitForStdout(" MTP 300\n", 10s));
    sim->Signal(SIGKILL);
    EXPECT_EQ(watch.Wait(kRunLimit), 3);
    EXPECT_NE(watch.Stderr().find("lost"), std::string::npos) << watch.Stderr();
}

TEST_F(ToolsTest, UsageErrorsGiveExitTwoAndSendNothing) {
    StartSim();
    std::vector<std::string> tooManyPairs = {"set"};
    for (int i = 0; i <= ParamTable::kCount; ++i) {
        tooManyPairs.insert(tooManyPairs.end(), {"20", std::to_string(i)});
    }
    struct UsageCase {
        std::vector<std::string> args;
        std::string says;
    };
    const UsageCase cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"--bogus", "read"}, "unknown option"},
        {{"set", "20"}, "pairs"},
        {{"set", "20", "x"}, "bad pair"},
        {{"set", "110", "1"}, "bad pair"},
        {{"set", "20", "2147483648"}, "bad pair"},
        {tooManyPairs, "at most 110 pairs"},
        {{"setup", "4"}, "MODE"},
        {{"read", "extra"}, "unexpected argument"},
        {{"read", "-o"}, "-o needs a FILE"},
        {{"write"}, "one FILE"},
        {{"diff", "a.par"}, "FILE_A FILE_B"},
        {{"set", "20", "1", "--backup"}, "--backup needs a PATH"},
        {{"read", "--no-verify"}, "unexpected argument --no-verify"},
        {{"version", "--json"}, "takes no arguments"},
        {{"-w", "soon", "read"}, "--wait"},
        {{"--port-map", "COM7", "read"}, "--port-map"},
        {{"-b", "-9600", "read"}, "--baud"},
        {{"-b", "9600xyz", "read"}, "--baud"},
        {{"-p", "/tmp/odd:name", "read"}, "--port-map COM1=PATH -p COM1"},
        {{"watch"}, "CMD expected"},
        {{"watch", "XYZ"}, "not a read command: XYZ"},
        {{"watch", "PRD", "110"}, "not a read command: PRD 110"},
        {{"watch", "MVW", "--interval", "99"}, "--interval"},
        {{"watch", "MVW", "--count"}, "--count"},
        {{"watch", "MVW", "--csv", "--json"}, "one of --csv and --json"},
        {{"scan", "--ids", "5-2"}, "within 0-35 expected, not 5-2"},
        {{"scan", "--ids", "0-36"}, "within 0-35"},
        {{"scan", "--ids"}, "--ids"},
        {{"scan", "-w", "0"}, "bad -w 0"},
        {{"doctor"}, "one PORT expected"},
    };
    for (const UsageCase& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) shown += "'" + arg + "' ";
        shown = shown.substr(0, 60);
        ParaRun run = Para(c.args);
        EXPECT_EQ(run.code, 2) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find("usage: veld-para"), std::string::npos) << shown;
    }
    EXPECT_TRUE(WireTexts().empty());
}

TEST_F(ToolsTest, SimulatorKeepsItsStateAndItsLinkAndServesASerialDevice) {
    fs::path state = dir / "drive.state";
    fs::path link = dir / "ttyVELD";
    StartSim({"--state", state.string(), "--link", link.string()});
    EXPECT_EQ(fs::read_symlink(link), port);
    port = link.string();
    ASSERT_EQ(Para({"-q", "set", "20", "777"}).code, 0);
    sim->Signal(SIGTERM);
    EXPECT_EQ(sim->Wait(kRunLimit), 0);
    EXPECT_FALSE(fs::is_symlink(link));
    StartSim({"--state", state.string()});
    EXPECT_EQ(DriveValues()[20], 777);

    // The terminal side of a pseudo-terminal stands in for the adapter.
    PtyPair line;
    StartSim({"--device", line.SlavePath(), "--baud", "9600", "--id", "12"});
    line.Write("#12.FRD 1\r#12.STA\r");
    EXPECT_EQ(line.ReadUntil("#C.STA 00000001\r", 10s), "#C.FRD 1 0003\r#C.STA 00000001\r");

    ToolProcess help({VELD_DRIVE_SIM_PATH, "--help"}, (dir / "help").string());
    ASSERT_EQ(help.Wait(kRunLimit), 0);
    ToolProcess bad({VELD_DRIVE_SIM_PATH, "--id", "99"}, (dir / "bad").string());
    EXPECT_EQ(bad.Wait(kRunLimit), 2);
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ToolsFixture.h"
#include "params/ParamFile.h"
#include "params/ParamTable.h"
#include "serial/UserIdentity.h"
#include "support/Eventually.h"
#include "support/PortLocked.h"
#include "support/PtyPair.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;

TEST_F(ToolsTest, ReadPrintsTheListedOrAllParameters) {
    StartSim();
    ParaRun listed = Para({"-q", "read"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    std::vector<std::string> lines = Lines(listed.out);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[6], "20\t가속시간\t500");
    EXPECT_EQ(Lines(Para({"-q", "read", "--all"}).out).size(), 110u);
}

TEST_F(ToolsTest, WriteSendsTheSendAllLinesAndVerifyReportsEachDifference) {
    StartSim();
    ParamTable table;
    std::vector<std::string> wire;
    for (int32_t n : table.ListedNumbers()) {
        table.SetParamValue(n, n * 10 - 200);
        wire.push_back("#0.PWR " + std::to_string(n) + " " + std::to_string(n * 10 - 200));
    }
    wire.insert(wire.end(), {"#0.COP", "#0.PSV", "#0.PRA"});
    table.SetParamValue(42, 3);  // not listed: not sent
    fs::path file = dir / "send.par";
    ASSERT_TRUE(ParamFile::Write(file, table));
    ParaRun run = Para({"-q", "write", file.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(WireTexts(), wire);

    EXPECT_EQ(Para({"verify", file.string()}).code, 0);
    ASSERT_EQ(Para({"-q", "set", "20", "999", "37", "6"}).code, 0);
    ParaRun differ = Para({"verify", file.string()});
    EXPECT_EQ(differ.code, 5) << differ.err;
    EXPECT_EQ(differ.out,
              "20\t가속시간\t0\t999\n37\t모니터링종류\t170\t6\tbits 2, 3, 5, 7 differ\n");
    ParaRun json = Para({"-q", "verify", file.string(), "--json"});
    EXPECT_EQ(json.code, 5);
    Json doc = Json::parse(json.out);
    EXPECT_EQ(doc["compared"], 29);
    EXPECT_EQ(doc["differences"], 2);
    EXPECT_EQ(doc["parameters"][17], Json::parse(R"({"number": 37, "name": "모니터링종류",
        "file": 170, "drive": 6, "differ": true, "differing_bits": [2, 3, 5, 7],
        "note": "bits 2, 3, 5, 7 differ"})"));
}

TEST_F(ToolsTest, VersionPrintsTheRepliesAndEchoesBothWaysOnStderr) {
    StartSim();
    ParaRun version = Para({"version"});
    ASSERT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "#0.FRD 0 0105\n#0.FRD 1 0003\n");
    // Replies are echoed as they come, between the lines sent: each kind keeps
    // its order, and a line sent comes before its reply.
    std::vector<std::string> echoed = Lines(version.err);
    auto at = [&echoed](const char* line) {
        return std::find(echoed.begin(), echoed.end(), line) - echoed.begin();
    };
    ASSERT_EQ(echoed.size(), 4u) << version.err;
    EXPECT_LT(at("> #0.FRD 0"), at("< #0.FRD 0 0105")) << version.err;
    EXPECT_LT(at("> #0.FRD 1"), at("< #0.FRD 1 0003")) << version.err;
    EXPECT_LT(at("> #0.FRD 0"), at("> #0.FRD 1")) << version.err;
    EXPECT_LT(at("< #0.FRD 0 0105"), at("< #0.FRD 1 0003")) << version.err;

    // A COM name goes to the device its mapping names, from the option or the environment.
    std::string device = port;
    port = "COM7";
    EXPECT_EQ(Para({"-q", "--port-map", "COM7=" + device, "version"}).code, 0);
    ScopedEnv map("VELD_PORT_MAP", ("COM7=" + device).c_str());
    EXPECT_EQ(Para({"-q", "version"}).code, 0);

    // A relative path is taken from the current folder, named or mapped, in any case.
    fs::create_directories(dir / "D");
    fs::create_symlink(device, dir / "D" / "tty");
    fs::path before = fs::current_path();
    fs::current_path(dir);
    const std::vector<std::string> relative[] = {
        {"-p", "D/tty"}, {"-p", "d/TTY"}, {"--port-map", "COM5=D/tty", "-p", "COM5"}};
    for (std::vector<std::string> args : relative) {
        SCOPED_TRACE(args.back());
        args.insert(args.end(), {"-q", "-w", "300", "version"});
        EXPECT_EQ(Para(args).code, 0);
    }
    fs::current_path(before);
}

// A client killed where it cannot clear its exclusive flag: the simulator,
// which holds the terminal too, clears it once the client is gone, so that
// the next ordinary user's open succeeds.
TEST_F(ToolsTest, AKilledClientLeavesThePortFree) {
    StartSim();
    ToolProcess monitor({VELD_PARA_PATH, "-q", "-p", port, "monitor"}, (dir / "monitor").string());
    ASSERT_TRUE(Eventually([&] { return PortLocked(port); }));
    monitor.Signal(SIGKILL);
    EXPECT_EQ(monitor.Wait(kRunLimit), 128 + SIGKILL);
    EXPECT_TRUE(Eventually([&] {
        int observer = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        int set = 1;
        if (observer >= 0) ::ioctl(observer, TIOCGEXCL, &set);
        if (observer >= 0) ::close(observer);
        return set == 0;
    }));
    EXPECT_EQ(Para({"-q", "-w", "300", "version"}).code, 0);
    EXPECT_NE(sim->Stderr().find("cleared the exclusive flag"), std::string::npos);
}

// A faulty or silent drive, a file that cannot be read or written, a read-back that
// finds other values: each gives its exit code, and stdout shows only what came back.
TEST_F(ToolsTest, FailuresGiveTheirExitCodeAndShowOnlyWhatCameBack) {
    std::string saved = (dir / "saved.par").string();
    fs::path out = dir / "out.par";
    std::string nowhere = (dir / "no" / "x.par").string();
    struct FailureCase {
        std::string fault;  // of the simulator
        std::string args;
        int code;
        std::string out;         // exactly
        std::string says;        // on stderr
        std::string never = {};  // on stderr
    };
    const FailureCase cases[] = {
        {"--omit 20 --omit 57", "read -o " + out.string(), 3, "",
         "lacks 2 of the 29 parameters asked for: 20 57\n"},
        // Parameter 101 is not listed: the listed read is complete.
        {"--omit 101", "read -o " + saved, 0, "", ""},
        {"", "verify " + saved, 0, "", ""},
        {"--omit 101", "read --all", 3, "", "lacks 1 of the 110 parameters asked for: 101"},
        {"--omit 61", "verify " + saved, 3, "", "asked for: 61\n"},
        // A pair numbered 110 raises "통신처리에러" and drops the rest of its line.
        {"--misnumber 20", "read", 6, "", "통신처리에러"},
        {"--silent", "watch STA --interval 100", 3, "", "no reply"},
        {"--silent", "watch STA --interval 100 --count 1", 3, "", "no reply"},
        {"--ids 3,7", "scan --ids 4-5 -w 300", 3, "", "no station answered"},
        // The drive takes nothing: once the line's buffer is full, writes stall,
        // and the report names the line that failed and what went out before it.
        // Only a line that went out is echoed.
        {"--no-read", "send #0.STA " + std::string(100000, 'x') + " #0.STA", 7, "",
         "1 of the 2 lines went out:\n  sent     #0.STA\n  "
         "failed   xxx",
         "> xxx"},
        // PWR, COP, PSV and PDF have no defined reply: sent is done; other codes are answered.
        {"--no-ack", "send #0.COP #0.PSV", 0, "", "> #0.PSV\n"},
        {"--silent", "send #0.COP #0.STA", 3, "", "no reply"},
        {"", "write " + (dir / "absent.par").string(), 4, "", "File Error"},
        {"", "read -o " + nowhere, 4, "", "File Error"},
        {"", "set 21 1 --backup " + nowhere, 4, "", "nothing was written"},
        // Writes are read back, and need no acknowledgement.
        {"--no-ack", "set 20 300 21 -5", 0, "", "holds all 2 values sent"},
        {"--no-ack", "setup 3", 0, "", "holds all 10 values sent"},
        // PDF has no defined answer: init sends it, then reads what the drive holds
        // (exit 0 only once that read is complete).
        {"--no-ack", "init", 0, "", "> #0.PDF ALL\n"},
        // A drive that takes no write to 21 acknowledges it all the same.
        {"--read-only 21", "set 20 300 21 400", 5, "21\t감속시간\t400\t500\n",
         "holds 1 of the 2 values sent"},
        {"--silent", "set 20 1 --no-verify", 0, "", ""},
        // What did not come back shows as "-".
        {"--omit 20", "set 20 1 21 2", 3, "20\t가속시간\t1\t-\n", "did not come back: 20\n"},
        {"--misnumber 20", "set 20 1", 6, "20\t가속시간\t1\t-\n", "통신처리에러"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.fault + " / " + c.args.substr(0, 60));
        ParaRun run = ParaAgainst(Words(c.fault), Words(c.args));
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        if (!c.never.empty()) {
            EXPECT_EQ(run.err.find(c.never), std::string::npos) << run.err;
        }
    }
    // Nothing saved as if it had been read.
    EXPECT_FALSE(fs::exists(out));
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
    std::string user = UserIdentity::OfThisProcess().name;
    ASSERT_EQ(doctor.code, 1) << doctor.out;
    Json finding = Json::parse(doctor.out)["findings"][0];
    EXPECT_EQ(finding["kind"], "held-by");
    EXPECT_EQ(finding["hold"], "lock");
    EXPECT_EQ(finding["user"], user);
    EXPECT_EQ(finding["otherUser"], false);
    EXPECT_EQ(finding["remedy"], "end that program:\nkill " + pid);
    EXPECT_EQ(busy.code, 1);
    EXPECT_NE(busy.err.find("포트를 열수가 없습니다.\n" + port + "\n- in use by \"" + self +
                            "\" (PID " + pid + ", user " + user +
                            "): it holds a lock on the port, so the open is refused\n"),
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

    ParaRun csv = Para({"-q", "watch", "MTP", "--interval", "100", "--count", "2", "--csv"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    rows = Lines(csv.out);
    ASSERT_EQ(rows.size(), 3u) << csv.out;
    EXPECT_EQ(rows[0], "ms,time,code,fields");
    EXPECT_EQ(rows[2].substr(rows[2].find(",MTP,")), ",MTP,300");

    // A signal stops a watch, counted or not, before its end: its exit says so.
    for (int signal : {SIGINT, SIGTERM}) {
        ToolProcess stopped({VELD_PARA_PATH, "-q", "-p", port, "watch", "MTP", "--interval", "100",
                             "--count", "30"},
                            (dir / ("stopped" + std::to_string(signal))).string());
        ASSERT_TRUE(stopped.WaitForStdout(" MTP 300\n", 10s));
        stopped.Signal(signal);
        EXPECT_EQ(stopped.Wait(kRunLimit), 128 + signal);
        EXPECT_NE(stopped.Stderr().find("stopped by signal"), std::string::npos);
    }

    ToolProcess watch({VELD_PARA_PATH, "-q", "-p", port, "watch", "MTP", "--interval", "100"},
                      (dir / "watch").string());
    ASSERT_TRUE(watch.WaitForStdout(" MTP 300\n", 10s));
    sim->Signal(SIGKILL);
    EXPECT_EQ(watch.Wait(kRunLimit), 3);
    EXPECT_NE(watch.Stderr().find("lost"), std::string::npos) << watch.Stderr();
}

TEST_F(ToolsTest, UsageErrorsGiveExitTwoAndSendNothing) {
    StartSim();
    // One pair more than a set may hold.
    std::vector<std::string> tooManyPairs(2 * ParamTable::kCount + 3, "20");
    tooManyPairs[0] = "set";
    struct UsageCase {
        std::vector<std::string> args;
        std::string says;
    };
    const UsageCase cases[] = {
        {{}, "no command"},
        {{"frobnicate"}, "unknown command"},
        {{"--bogus", "read"}, "unknown option: --bogus"},
        // "--" ends the options: what follows is the command.
        {{"--", "-q", "read"}, "unknown command: -q"},
        {{"set", "20"}, "N V: At least 2"},
        {{"set", "20", "1", "21"}, "pairs of number and value"},
        {{"set", "110", "1"}, "bad pair"},
        {{"set", "20", "2147483648"}, "bad pair"},
        {tooManyPairs, "at most 110 pairs"},
        // An option is never taken out of the middle of the values.
        {{"set", "20", "--no-verify", "300"}, "--no-verify: stands among the values"},
        {{"watch", "STA", "--count", "1", "MTP"}, "--count: stands among the values"},
        {{"setup", "4"}, "MODE"},
        {{"read", "-o"}, "-o: 1 required FILE missing"},
        {{"read", "-o", ""}, "FILE expected, not an empty word"},
        {{"write"}, "FILE is required"},
        {{"diff", "a.par"}, "FILE_A FILE_B"},
        {{"diff", "a.par", "b.par", "--json=2"}, "a flag takes 1, true, yes, on or 0"},
        {{"set", "20", "1", "--backup"}, "--backup: 1 required PATH missing"},
        {{"read", "--no-verify"}, "unexpected: --no-verify"},
        {{"version", "--json"}, "unexpected: --json"},
        {{"-w", "soon", "read"}, "--wait"},
        {{"read", "--wait=010x"}, "--wait"},
        {{"--port-map", "COM7", "read"}, "--port-map"},
        {{"-b", "+9600", "read"}, "--baud"},
        {{"-b", "9600xyz", "read"}, "--baud"},
        {{"watch"}, "CMD is required"},
        {{"watch", "PRD", "110"}, "not a read command: PRD 110"},
        {{"watch", "MVW", "--interval", "99"}, "--interval"},
        {{"watch", "MVW", "--count"}, "--count"},
        {{"watch", "MVW", "--csv", "--json"}, "one of --csv and --json"},
        {{"scan", "--ids", "5-2"}, "within 0-35 expected, not 5-2"},
        {{"scan", "--ids", "0-36"}, "within 0-35"},
        {{"scan", "--ids"}, "--ids"},
        {{"scan", "-w", "0"}, "--wait: scan waits 1 to 60000 ms"},
        {{"doctor"}, "PORT is required"},
        // One argument is one drive command; one parameter is written once.
        {{"send", "#0.STA\r#0.PWR 20 5"}, "a LINE holds a carriage return"},
        {{"set", "20", "5", "20", "6"}, "parameter 20 is given twice"},
        // An empty value after "=" is refused, never taken from the next word.
        {{"--port=", "read"}, "--port= gives no value"},
        {{"read", "--wait=", "100"}, "--wait= gives no value"},
        {{"-p", "", "read"}, "NAME expected, not an empty word"},
        {{"read", "--", "-q"}, "unexpected: -q"},
        {{"--", "read"}, "the command goes before \"--\""},
        {{"scan", "--ids", "3,7"}, "scan asks a run of stations"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ParaRun run = Para(c.args);
        EXPECT_EQ(run.code, 2) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("usage: veld-para"), std::string::npos);
    }
    // The port text puts ':' after the device name, so no name may hold one.
    ParaRun colon = Para({"-p", "/tmp/odd:name", "read"});
    EXPECT_EQ(colon.code, 2);
    EXPECT_NE(colon.err.find("--port-map COM1=PATH -p COM1"), std::string::npos) << colon.err;
    EXPECT_TRUE(WireTexts().empty());
}

// Each form of an option means the same: "--opt=value" and "--opt value",
// before the command or after it, and a flag's "=1" and "=0".
TEST_F(ToolsTest, EveryFormOfAnOptionMeansTheSame) {
    StartSim({"--ids", "0,1"});
    ParamTable table;
    fs::path fileA = dir / "a.par";
    fs::path fileB = dir / "b.par";
    ASSERT_TRUE(ParamFile::Write(fileA, table));
    table.SetParamValue(20, 999);
    ASSERT_TRUE(ParamFile::Write(fileB, table));
    const std::string a = fileA.string();
    const std::string b = fileB.string();
    struct FormCase {
        std::vector<std::string> args;
        int code;
        std::string out;  // a part of stdout
    };
    const FormCase cases[] = {
        {{"diff", a, b, "--json=1"}, 5, "\"differences\": 1"},
        {{"diff", "--json=yes", a, b}, 5, "\"differences\": 1"},
        {{"diff", a, b, "--json=0"}, 5, "20\t가속시간\t0\t999\n"},
        {{"diff", a, b, "--json", "--json=off"}, 5, "20\t가속시간\t0\t999\n"},
        {{"-q", "watch", "MTP", "--interval=100", "--count=1"}, 0, " MTP 300\n"},
        {{"-q", "watch", "--count", "1", "PRD", "20", "--interval", "100"}, 0, " PRD 20 500\n"},
        {{"-q", "scan", "--ids=1-1"}, 0, "1\t0105\n"},
        // -w is the one wait, before the command or after it; the last one given counts.
        {{"scan", "--ids", "0-0", "-q", "--wait=250", "--json"}, 0, "\"waitMs\": 250"},
        {{"--wait", "250", "scan", "--ids=0-0", "--quiet=true", "--json"}, 0, "\"waitMs\": 250"},
        {{"-p", "/nonexistent", "read", "--port=" + port, "-q"}, 0, "\n20\t가속시간\t500\n"},
        {{"set", "--no-verify=0", "--json", "20", "400", "--quiet"},
         0,
         "\"result\": \"confirmed\""},
        // "--" ends the options: what follows is a value, even one that looks like an option.
        {{"-q", "set", "--no-verify", "--json", "--", "21", "-5"},
         0,
         "\"result\": \"sent, not read back\""},
        // Also once the command's values are complete: the words after it stay values.
        {{"-q", "set", "--json", "20", "400", "--", "21", "-5"}, 0, "\"result\": \"confirmed\""},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ParaRun run = Para(c.args);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    }
    EXPECT_EQ(Lines(Para({"-q", "read", "--all"}).out)[21], "21\t감속시간\t-5");
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
    EXPECT_NE(Para({"-q", "read"}).out.find("\n20\t가속시간\t777\n"), std::string::npos);

    // The terminal side of a pseudo-terminal stands in for the adapter.
    PtyPair line;
    StartSim({"--device", line.SlavePath(), "--baud", "9600", "--id", "12"});
    line.Write("#12.FRD 1\r#12.STA\r");
    EXPECT_EQ(line.ReadUntil("#C.STA 00000001\r", 10s), "#C.FRD 1 0003\r#C.STA 00000001\r");

    const std::vector<std::string> badLines[] = {
        {"--id", "99"},
        {"--id", "3", "--ids", "1-3"},
        {"--silent", "x"},
        {"--device=", "/dev/null"},
        {"--listen", "127.0.0.1:0", "--link", link.string()},
        {"--ids", "1,2", "--state", state.string()},
    };
    for (std::vector<std::string> args : badLines) {
        SCOPED_TRACE(::testing::PrintToString(args));
        args.insert(args.begin(), VELD_DRIVE_SIM_PATH);
        ToolProcess bad(args, (dir / "bad").string());
        EXPECT_EQ(bad.Wait(kRunLimit), 2);
        EXPECT_NE(bad.Stderr().find("(see veld-drive-sim --help)"), std::string::npos);
    }
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ToolProcess.h"
#include "params/ParamFile.h"
#include "params/ParamTable.h"
#include "support/PtyPair.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kRunLimit = 30s;

struct LogLine {
    double ms;
    std::string text;
};

struct ParaRun {
    int code;
    std::string out;
    std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("veld-tools-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        sim.reset();
        fs::remove_all(dir);
    }

    // Starts the simulator with a log and waits for its terminal path.
    void StartSim(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv = {VELD_DRIVE_SIM_PATH, "--log", (dir / "wire.log").string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        sim = std::make_unique<ToolProcess>(argv, (dir / "sim").string());
        ASSERT_TRUE(sim->WaitForStdout("\n", 10s)) << sim->Stderr();
        port = Lines(sim->Stdout()).front();
    }

    ParaRun Para(std::vector<std::string> args) {
        std::vector<std::string> argv = {VELD_PARA_PATH, "-p", port};
        argv.insert(argv.end(), args.begin(), args.end());
        ToolProcess para(argv, (dir / ("para" + std::to_string(runs++))).string());
        int code = para.Wait(kRunLimit);
        return {code, para.Stdout(), para.Stderr()};
    }

    // Received lines as the simulator logged them.
    std::vector<LogLine> Wire() const {
        std::vector<LogLine> lines;
        for (const std::string& line : Lines(ReadBytes(dir / "wire.log"))) {
            size_t blank = line.find(' ');
            lines.push_back({std::stod(line.substr(0, blank)), line.substr(blank + 1)});
        }
        return lines;
    }
    std::vector<std::string> WireTexts() const {
        std::vector<std::string> texts;
        for (const LogLine& line : Wire()) texts.push_back(line.text);
        return texts;
    }

    fs::path dir;
    std::unique_ptr<ToolProcess> sim;
    std::string port;
    int runs = 0;
};

std::vector<std::string> PwrLines(const std::vector<std::pair<int, int>>& writes) {
    std::vector<std::string> lines;
    for (const auto& [n, v] : writes) {
        lines.push_back("#0.PWR " + std::to_string(n) + " " + std::to_string(v));
    }
    lines.push_back("#0.COP");
    lines.push_back("#0.PSV");
    return lines;
}

TEST_F(ToolsTest, ReadPrintsTheDrivesListedParametersOrAllOfThem) {
    StartSim();
    ParaRun listed = Para({"read"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    std::vector<std::string> lines = Lines(listed.out);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines.front(), "10\t전류루프사용\t1");
    EXPECT_EQ(lines[6], "20\t가속시간\t500");
    EXPECT_EQ(lines.back(), "61\tAD입력최소 \t10");
    EXPECT_NE(listed.err.find("> #0.PRA\n"), std::string::npos);
    EXPECT_NE(listed.err.find("< #0.PRA 0 0 1 0 2 0"), std::string::npos);

    ParaRun all = Para({"-q", "read", "--all"});
    ASSERT_EQ(all.code, 0) << all.err;
    lines = Lines(all.out);
    ASSERT_EQ(lines.size(), 110u);
    EXPECT_EQ(lines[42], "42\t운전모드선택\t1");
    EXPECT_EQ(lines[101], "101\t모터극수\t4");
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(WireTexts(), (std::vector<std::string>{"#0.PRA", "#0.PRA"}));
}

TEST_F(ToolsTest, ReadToAFileWritesWhatTheGuiSaves) {
    StartSim();
    fs::path file = dir / "drive.par";
    ParaRun run = Para({"-q", "read", "-o", file.string()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.size(), 1220u);
    // Parameter 23, highest speed: "최고속도" in CP949.
    EXPECT_NE(bytes.find("   23,             \xc3\xd6\xb0\xed\xbc\xd3\xb5\xb5,       3000 \r\n"),
              std::string::npos);
}

TEST_F(ToolsTest, WriteSendsTheSendAllLinesTenMillisecondsApart) {
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

    std::vector<LogLine> wire = Wire();
    EXPECT_EQ(WireTexts(), PwrLines(writes));
    // The queue pauses 10 ms after each line. A line the simulator reads late
    // shortens only the gap after it, so two gaps together still span 18 ms.
    for (size_t i = 1; i < wire.size(); ++i) {
        double gap = wire[i].ms - wire[i - 1].ms;
        bool madeUp = i >= 2 && wire[i].ms - wire[i - 2].ms >= 18.0;
        EXPECT_TRUE(gap >= 9.0 || madeUp) << wire[i].text << " after " << gap << " ms";
    }
    ParaRun check = Para({"-q", "verify", file.string()});
    EXPECT_EQ(check.code, 0) << check.out;
}

TEST_F(ToolsTest, SetWritesAGroupAndTheDriveKeepsSixteenBits) {
    StartSim();
    ParaRun run = Para({"-q", "set", "20", "300", "21", "-5", "22", "70000"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(WireTexts(), PwrLines({{20, 300}, {21, -5}, {22, 70000}}));
    std::vector<std::string> lines = Lines(Para({"-q", "read"}).out);
    EXPECT_EQ(lines[6], "20\t가속시간\t300");
    EXPECT_EQ(lines[7], "21\t감속시간\t-5");
    EXPECT_EQ(lines[8], "22\t최저속도\t4464");  // 70000 - 65536
}

TEST_F(ToolsTest, SetupModeAndSetModeSendTheFormsLines) {
    StartSim();
    ASSERT_EQ(Para({"-q", "setup", "3"}).code, 0);
    ASSERT_EQ(Para({"-q", "setmode"}).code, 0);
    std::vector<std::string> expected = PwrLines({{42, 3},
                                                  {43, 10},
                                                  {44, 7},
                                                  {45, 8},
                                                  {46, 6},
                                                  {47, 1},
                                                  {48, 2},
                                                  {49, 3},
                                                  {40, 7},
                                                  {41, 7}});
    expected.push_back("#0.PWR 100 1");
    EXPECT_EQ(WireTexts(), expected);
}

TEST_F(ToolsTest, VersionAndSendPrintTheRepliesOnStdout) {
    StartSim();
    ParaRun version = Para({"version"});
    ASSERT_EQ(version.code, 0) << version.err;
    EXPECT_EQ(version.out, "#0.FRD 0 0105\n#0.FRD 1 0003\n");
    EXPECT_EQ(version.err, "> #0.FRD 0\n> #0.FRD 1\n< #0.FRD 0 0105\n< #0.FRD 1 0003\n");
    ParaRun send = Para({"-q", "send", "#0.PRD 101", "#0.MTP", "#0.XYZ"});
    ASSERT_EQ(send.code, 0) << send.err;
    EXPECT_EQ(send.out, "#0.PRD 00000065 00000004\n#0.MTP 0000012C\n#0.ERR XYZ\n");
    EXPECT_EQ(WireTexts(),
              (std::vector<std::string>{"#0.FRD 0", "#0.FRD 1", "#0.PRD 101", "#0.MTP", "#0.XYZ"}));
}

TEST_F(ToolsTest, InitRestoresTheFactoryDefaults) {
    StartSim();
    ASSERT_EQ(Para({"-q", "set", "20", "999"}).code, 0);
    ParaRun init = Para({"-q", "init"});
    ASSERT_EQ(init.code, 0) << init.err;
    EXPECT_EQ(WireTexts().back(), "#0.PDF ALL");
    EXPECT_EQ(Lines(Para({"-q", "read"}).out)[6], "20\t가속시간\t500");
}

TEST_F(ToolsTest, VerifyReportsEachDifference) {
    StartSim();
    fs::path file = dir / "saved.par";
    ASSERT_EQ(Para({"-q", "read", "-o", file.string()}).code, 0);
    ParaRun same = Para({"-q", "verify", file.string()});
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(same.out, "");
    ASSERT_EQ(Para({"-q", "set", "20", "999", "57", "-1"}).code, 0);
    ParaRun differ = Para({"-q", "verify", file.string()});
    EXPECT_EQ(differ.code, 5);
    EXPECT_EQ(differ.out, "20\t가속시간\t500\t999\n57\t속도인덱스8\t2500\t-1\n");
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

TEST_F(ToolsTest, StationIdIsReadAsTheGuiReadsIt) {
    StartSim({"--id", "3"});
    ParaRun run = Para({"-q", "-i", " 3x", "read"});
    EXPECT_EQ(run.code, 0);
    // Station 0 is somebody else: no answer.
    ParaRun other = Para({"-q", "read"});
    EXPECT_EQ(other.code, 3);
    EXPECT_EQ(WireTexts(), (std::vector<std::string>{"#3.PRA", "#0.PRA"}));
}

TEST_F(ToolsTest, ComNamesResolveThroughPortMaps) {
    StartSim();
    ToolProcess mapped(
        {VELD_PARA_PATH, "-q", "-p", "COM7", "--port-map", "COM7=" + port, "version"},
        (dir / "mapped").string());
    EXPECT_EQ(mapped.Wait(kRunLimit), 0) << mapped.Stderr();
    ::setenv("VELD_PORT_MAP", ("COM15=" + port).c_str(), 1);
    ToolProcess fromEnvironment({VELD_PARA_PATH, "-q", "version"}, (dir / "env").string());
    EXPECT_EQ(fromEnvironment.Wait(kRunLimit), 0) << fromEnvironment.Stderr();
    ::unsetenv("VELD_PORT_MAP");
}

TEST_F(ToolsTest, RepliesInPiecesAndWithCrLfAreReadWhole) {
    for (std::vector<std::string> faults :
         {std::vector<std::string>{"--chunk", "3", "--chunk-delay", "2"},
          std::vector<std::string>{"--crlf"}}) {
        StartSim(faults);
        ParaRun run = Para({"-q", "-w", "5000", "read", "--all"});
        ASSERT_EQ(run.code, 0) << faults[0] << "\n" << run.err;
        std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 110u);
        EXPECT_EQ(lines[23], "23\t최고속도\t3000") << faults[0] << "\n" << run.err;
        EXPECT_EQ(lines[106], "106\t전류센서용량\t20") << faults[0];
        sim.reset();
    }
}

TEST_F(ToolsTest, ASilentDriveGivesExitThree) {
    StartSim({"--silent"});
    for (const char* command : {"read", "version"}) {
        ParaRun run = Para({"-q", command});
        EXPECT_EQ(run.code, 3) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_NE(run.err.find("no reply"), std::string::npos) << command;
    }
}

TEST_F(ToolsTest, ADriveThatGoesAwayMidReadEndsTheRead) {
    StartSim({"--reply-delay", "3000"});
    ToolProcess read({VELD_PARA_PATH, "-q", "-w", "20000", "-p", port, "read"},
                     (dir / "read").string());
    for (int i = 0; i < 2000 && WireTexts().empty(); ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(WireTexts(), std::vector<std::string>{"#0.PRA"});
    sim->Signal(SIGKILL);
    EXPECT_EQ(read.Wait(kRunLimit), 3);
    EXPECT_NE(read.Stderr().find("lost"), std::string::npos) << read.Stderr();
    EXPECT_EQ(read.Stdout(), "");
}

TEST_F(ToolsTest, PortThatCannotBeOpenedGivesExitOne) {
    StartSim();
    ParaRun missing = Para({"-p", (dir / "nothing").string(), "version"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("포트를 열수가 없습니다.\n"), std::string::npos);
    EXPECT_NE(missing.err.find("no such device"), std::string::npos);

    int held = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ParaRun busy = Para({"version"});
    ::close(held);
    EXPECT_EQ(busy.code, 1);
    EXPECT_NE(busy.err.find("in use"), std::string::npos) << busy.err;
    EXPECT_TRUE(WireTexts().empty());
}

TEST_F(ToolsTest, UsageErrorsGiveExitTwoAndSendNothing) {
    StartSim();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"--bogus", "read"},
        {"set", "20"},
        {"set", "20", "x"},
        {"set", "110", "1"},
        {"setup", "4"},
        {"read", "extra"},
        {"write"},
        {"-w", "soon", "read"},
        {"--port-map", "COM7", "read"},
    };
    for (const std::vector<std::string>& args : cases) {
        ParaRun run = Para(args);
        EXPECT_EQ(run.code, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(run.err.find("usage: veld-para"), std::string::npos);
    }
    EXPECT_TRUE(WireTexts().empty());
}

TEST_F(ToolsTest, FileErrorsGiveExitFour) {
    StartSim();
    ParaRun unreadable = Para({"write", (dir / "absent.par").string()});
    EXPECT_EQ(unreadable.code, 4);
    EXPECT_NE(unreadable.err.find("File Error"), std::string::npos);
    ParaRun verify = Para({"verify", (dir / "absent.par").string()});
    EXPECT_EQ(verify.code, 4);
    EXPECT_TRUE(WireTexts().empty());
    ParaRun unwritable = Para({"-q", "read", "-o", (dir / "no" / "such" / "x.par").string()});
    EXPECT_EQ(unwritable.code, 4);
    EXPECT_NE(unwritable.err.find("File Error"), std::string::npos);
}

TEST_F(ToolsTest, StateFileKeepsWhatPsvStored) {
    fs::path state = dir / "drive.state";
    StartSim({"--state", state.string()});
    ASSERT_EQ(Para({"-q", "set", "20", "777"}).code, 0);
    sim->Signal(SIGTERM);
    EXPECT_EQ(sim->Wait(kRunLimit), 0);
    StartSim({"--state", state.string()});
    EXPECT_EQ(Lines(Para({"-q", "read"}).out)[6], "20\t가속시간\t777");
}

TEST_F(ToolsTest, SimulatorLinkNamesItsTerminalUntilItEnds) {
    fs::path link = dir / "ttyVELD";
    StartSim({"--link", link.string()});
    EXPECT_EQ(fs::read_symlink(link), port);
    port = link.string();
    EXPECT_EQ(Para({"-q", "version"}).code, 0);
    sim->Signal(SIGINT);
    EXPECT_EQ(sim->Wait(kRunLimit), 0);
    EXPECT_FALSE(fs::is_symlink(link));
}

TEST_F(ToolsTest, SimulatorServesASerialDevice) {
    // The terminal side of a pseudo-terminal stands in for the adapter.
    PtyPair line;
    StartSim({"--device", line.SlavePath(), "--baud", "9600", "--id", "12"});
    line.Write("#12.FRD 1\r#12.STA\r");
    EXPECT_EQ(line.ReadUntil("#C.STA 00000001\r", 10s), "#C.FRD 1 0003\r#C.STA 00000001\r");
}

TEST_F(ToolsTest, SimulatorHelpListsItsDefaultsAndAnswers) {
    ToolProcess help({VELD_DRIVE_SIM_PATH, "--help"}, (dir / "help").string());
    ASSERT_EQ(help.Wait(kRunLimit), 0);
    EXPECT_NE(help.Stdout().find("  101\t모터극수\t4\n"), std::string::npos);
    EXPECT_NE(help.Stdout().find("#S.ERR CODE"), std::string::npos);
    ToolProcess bad({VELD_DRIVE_SIM_PATH, "--id", "99"}, (dir / "bad").string());
    EXPECT_EQ(bad.Wait(kRunLimit), 2);
}

}  // namespace

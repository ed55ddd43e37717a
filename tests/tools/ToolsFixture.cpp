#include "ToolsFixture.h"

#include <unistd.h>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

void ToolsTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("veld-tools-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
}

void ToolsTest::TearDown() {
    sim.reset();
    fs::remove_all(dir);
}

void ToolsTest::StartSim(std::vector<std::string> extra) {
    std::vector<std::string> argv = {VELD_DRIVE_SIM_PATH, "--log", (dir / "wire.log").string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    sim = std::make_unique<ToolProcess>(argv, (dir / "sim").string());
    ASSERT_TRUE(sim->WaitForStdout("\n", 10s)) << sim->Stderr();
    port = Lines(sim->Stdout()).front();
}

ParaRun ToolsTest::Para(std::vector<std::string> args, ToolProcess::Output out) {
    std::vector<std::string> argv = {VELD_PARA_PATH, "-p", port};
    if (std::find(args.begin(), args.end(), "-w") == args.end()) {
        argv.insert(argv.end(), {"-w", "3000"});
    }
    argv.insert(argv.end(), args.begin(), args.end());
    ToolProcess para(argv, (dir / ("para" + std::to_string(runs++))).string(), out);
    int code = para.Wait(kRunLimit);
    return {code, para.Stdout(), para.Stderr()};
}

ParaRun ToolsTest::ParaAgainst(const std::vector<std::string>& faults,
                               std::vector<std::string> args) {
    sim.reset();
    StartSim(faults);
    args.insert(args.begin(), {"-w", "1000"});
    return Para(args);
}

std::vector<std::string> ToolsTest::WireTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : Lines(ReadBytes(dir / "wire.log"))) {
        texts.push_back(line.substr(line.find(' ') + 1));
    }
    return texts;
}

#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ToolProcess.h"

inline constexpr std::chrono::seconds kRunLimit{30};

struct ParaRun {
    int code;
    std::string out;
    std::string err;
};

std::vector<std::string> Lines(const std::string& text);
// The words of `text`, split at blanks.
std::vector<std::string> Words(const std::string& text);

// The real veld-para against the real veld-drive-sim, in a folder of the test's own.
class ToolsTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the simulator with a log and waits for its terminal path.
    void StartSim(std::vector<std::string> extra = {});
    // veld-para on the simulator's port, waiting 3 s for replies unless `args` say
    // otherwise: a loaded machine may hold the simulator, a complete read ends early.
    ParaRun Para(std::vector<std::string> args,
                 ToolProcess::Output out = ToolProcess::Output::kFile);
    // A fresh simulator with `faults`, then veld-para with `args`, waiting a second for replies.
    ParaRun ParaAgainst(const std::vector<std::string>& faults, std::vector<std::string> args);
    // Received lines as the simulator logged them, without their times.
    std::vector<std::string> WireTexts() const;

    std::filesystem::path dir;
    std::unique_ptr<ToolProcess> sim;
    std::string port;
    int runs = 0;
};

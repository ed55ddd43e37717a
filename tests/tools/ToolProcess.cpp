#include "ToolProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "support/Eventually.h"

extern char** environ;

ToolProcess::ToolProcess(const std::vector<std::string>& argv, const std::string& outputStem,
                         Output out)
    : m_outPath(outputStem + ".out"), m_errPath(outputStem + ".err") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out == Output::kClosed) {
        posix_spawn_file_actions_addclose(&actions, 1);
    } else {
        const char* target = out == Output::kFull ? "/dev/full" : m_outPath.c_str();
        posix_spawn_file_actions_addopen(&actions, 1, target, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    int failed = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);
}

ToolProcess::~ToolProcess() {
    if (m_bEnded) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

int ToolProcess::Wait(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            m_bEnded = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_bEnded = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ToolProcess::Signal(int signal) const { ::kill(m_pid, signal); }

std::string ToolProcess::Stdout() const { return ReadBytes(m_outPath); }

std::string ToolProcess::Stderr() const { return ReadBytes(m_errPath); }

bool ToolProcess::WaitForStdout(const std::string& text, std::chrono::milliseconds timeout) const {
    return Eventually([&] { return Stdout().find(text) != std::string::npos; }, timeout);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A real program started with posix_spawn; its stdout and stderr go to files
// that the test reads.
class ToolProcess {
  public:
    // Where stdout goes: the file, a device that is always full, or nowhere.
    enum class Output { kFile, kFull, kClosed };

    ToolProcess(const std::vector<std::string>& argv, const std::string& outputStem,
                Output out = Output::kFile);
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // The exit code, or -1 when the program did not end within `timeout`
    // (it is then killed), or 128 + the signal that ended it.
    int Wait(std::chrono::milliseconds timeout);
    void Signal(int signal) const;
    pid_t Pid() const { return m_pid; }

    std::string Stdout() const;
    std::string Stderr() const;
    // Waits until stdout holds `text`.
    bool WaitForStdout(const std::string& text, std::chrono::milliseconds timeout) const;

  private:
    pid_t m_pid = -1;
    bool m_bEnded = false;
    std::string m_outPath;
    std::string m_errPath;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

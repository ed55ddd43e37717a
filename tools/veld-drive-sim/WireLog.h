#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// --log: every received line with the milliseconds since start, flushed per
// line so a reader sees it at once ("12.345 #0.PWR 20 500").
class WireLog {
  public:
    WireLog() = default;
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;
    ~WireLog();

    bool Open(const std::string& path);
    void Line(std::chrono::steady_clock::time_point received, const std::string& line);

  private:
    std::FILE* m_file = nullptr;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

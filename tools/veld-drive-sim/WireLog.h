#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

// --log: every received line with the milliseconds since start, flushed per
// line so a reader sees it at once ("12.345 #0.PWR 20 500").
class WireLog {
  public:
    bool Open(const std::string& path);
    void Line(std::chrono::steady_clock::time_point received, const std::string& line);

  private:
    struct Close {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, Close> m_file;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

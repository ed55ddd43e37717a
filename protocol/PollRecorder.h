#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "protocol/PollMonitor.h"

// Records the monitor's rows in a CSV file: the milliseconds since the start,
// the wall time (ISO 8601, local, with its offset), the code and the fields in
// decimal, one row a reply, written as it comes.
class PollRecorder {
  public:
    static constexpr const char* kCsvHeader = "ms,time,code,fields";

    PollRecorder() = default;
    PollRecorder(const PollRecorder&) = delete;
    PollRecorder& operator=(const PollRecorder&) = delete;
    ~PollRecorder() { Close(); }

    // "2026-12-07T21:03:04.056+01:00"
    static std::string IsoTime(std::chrono::system_clock::time_point wall);
    // One CSV row without its line end.
    static std::string CsvRow(const PollMonitor::Row& row);

    // Starts a new file with the header; only a regular file (or a new one),
    // never a FIFO, a device or a folder. False (errno set) when it cannot.
    bool Open(const std::string& path);
    // False when the row could not be written; the file is then closed.
    bool Write(const PollMonitor::Row& row);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

  private:
    bool WriteLine(const std::string& line);

    std::FILE* m_file = nullptr;
};

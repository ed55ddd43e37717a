#include "protocol/PollRecorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

std::string PollRecorder::IsoTime(std::chrono::system_clock::time_point wall) {
    using namespace std::chrono;
    std::time_t seconds = system_clock::to_time_t(wall);
    auto ms = duration_cast<milliseconds>(wall.time_since_epoch()).count() % 1000;
    if (ms < 0) ms += 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char date[32];
    char zone[8];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local);
    char text[48];
    // %z gives +hhmm; ISO 8601's extended form wants +hh:mm.
    std::snprintf(text, sizeof text, "%s.%03d%.3s:%.2s", date, static_cast<int>(ms), zone,
                  zone + 3);
    return text;
}

std::string PollRecorder::CsvRow(const PollMonitor::Row& row) {
    std::string line = std::to_string(row.ms) + "," + IsoTime(row.wall) + "," + row.reply.code;
    for (int32_t value : row.reply.values) line += "," + std::to_string(value);
    return line;
}

bool PollRecorder::Open(const std::string& path) {
    Close();
    // Non-blocking, so that a FIFO without a reader fails at once.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    m_file = ::fdopen(fd, "w");
    if (!m_file) {
        ::close(fd);
        return false;
    }
    return WriteLine(kCsvHeader);
}

bool PollRecorder::Write(const PollMonitor::Row& row) { return IsOpen() && WriteLine(CsvRow(row)); }

bool PollRecorder::WriteLine(const std::string& line) {
    // Each row reaches the file as it comes, so a recording cut short keeps
    // what it had.
    if (std::fprintf(m_file, "%s\n", line.c_str()) < 0 || std::fflush(m_file) != 0) {
        Close();
        return false;
    }
    return true;
}

void PollRecorder::Close() {
    if (!m_file) return;
    std::fclose(m_file);
    m_file = nullptr;
}

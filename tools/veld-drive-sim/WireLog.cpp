#include "WireLog.h"

WireLog::~WireLog() {
    if (m_file != nullptr) std::fclose(m_file);
}

bool WireLog::Open(const std::string& path) {
    m_file = std::fopen(path.c_str(), "w");
    return m_file != nullptr;
}

void WireLog::Line(std::chrono::steady_clock::time_point received, const std::string& line) {
    if (m_file == nullptr) return;
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(received - m_start).count();
    std::fprintf(m_file, "%lld.%03lld %s\n", static_cast<long long>(micros / 1000),
                 static_cast<long long>(micros % 1000), line.c_str());
    std::fflush(m_file);
}

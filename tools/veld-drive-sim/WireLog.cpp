#include "WireLog.h"

bool WireLog::Open(const std::string& path) {
    m_file.reset(std::fopen(path.c_str(), "w"));
    return m_file != nullptr;
}

void WireLog::Line(std::chrono::steady_clock::time_point received, const std::string& line) {
    if (!m_file) return;
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(received - m_start).count();
    std::fprintf(m_file.get(), "%lld.%03lld %s\n", static_cast<long long>(micros / 1000),
                 static_cast<long long>(micros % 1000), line.c_str());
    std::fflush(m_file.get());
}

#pragma once

#include <string>

#include "protocol/PollMonitor.h"

// How `watch` prints a reply: plain text ("212 MVW 1500 -10 3100 300"), CSV
// as the GUI records it, or one JSON object a line.
class WatchRowFormat {
  public:
    enum class Kind { kText, kCsv, kJson };

    explicit WatchRowFormat(Kind kind) : m_kind(kind) {}

    // The line before the first row, if any (CSV: its header).
    std::string Header() const;
    std::string Row(const PollMonitor::Row& row) const;

  private:
    Kind m_kind;
};

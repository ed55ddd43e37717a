#pragma once

#include <string>

#include "protocol/LineListView.h"

// An echo list that keeps the newest 20 lines, the newest in view.
class EchoList {
  public:
    static constexpr int kMaxLines = 20;

    explicit EchoList(LineListView& view) : m_view(view) {}

    void Add(const std::string& text);
    int Lines() const { return m_nEchoLines; }

  private:
    LineListView& m_view;
    int m_nEchoLines = 0;
};

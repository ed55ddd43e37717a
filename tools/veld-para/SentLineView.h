#pragma once

#include "protocol/LineListView.h"

// The sent-command echo of the queue, as "> LINE" lines on stderr.
class SentLineView : public LineListView {
  public:
    explicit SentLineView(bool quiet) : m_bQuiet(quiet) {}

    void AppendLine(const std::string& text) override;
    void DeleteFirstLine() override {}
    void ShowLine(int) override {}

  private:
    bool m_bQuiet;
};

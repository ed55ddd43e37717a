#pragma once

#include <string>
#include <vector>

#include "protocol/LineListView.h"

// An echo list box as a vector of lines, with the caret position.
class RecordingLineView : public LineListView {
  public:
    void AppendLine(const std::string& text) override { lines.push_back(text); }
    void DeleteFirstLine() override { lines.erase(lines.begin()); }
    void ShowLine(int index) override { caret = index; }

    std::vector<std::string> lines;  // what the list shows
    int caret = -1;
};

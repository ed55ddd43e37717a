#pragma once

#include <string>

// A list of text lines shown to the operator (the two echo list boxes).
class LineListView {
  public:
    virtual ~LineListView() = default;
    virtual void AppendLine(const std::string& text) = 0;
    virtual void DeleteFirstLine() = 0;
    // Puts the caret on line `index` and scrolls it into view.
    virtual void ShowLine(int index) = 0;
};

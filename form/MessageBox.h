#pragma once

#include <QString>

class QWidget;

// The system's modal message box: a caption, a text and one "확인" button.
class MessageBox {
  public:
    static constexpr const char* kOkText = "확인";

    static void Show(QWidget* parent, const QString& caption, const QString& text);
    static void Show(QWidget* parent, const QString& text);
};

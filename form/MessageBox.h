#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// The system's modal message box: a caption, a text and one "확인" button.
class MessageBox {
  public:
    static constexpr const char* kOkText = "확인";

    // Waits until the operator dismisses the box.
    static void Show(QWidget* parent, const QString& caption, const QString& text);
    static void Show(QWidget* parent, const QString& text);
    // As Show, with a text the operator can select and copy (a path, for one).
    static void ShowSelectable(QWidget* parent, const QString& text);
    // A warning with "예" and "아니오" (the default); true for "예".
    static bool AskYesNo(QWidget* parent, const QString& text);
    // Shows the box and returns at once; it deletes itself when dismissed.
    static QMessageBox* Open(QWidget* parent, const QString& caption, const QString& text);

  private:
    // Widens `box` so that the title bar shows its caption whole beside its buttons.
    static void MakeRoomForCaption(QMessageBox& box);
};

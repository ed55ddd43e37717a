#pragma once

#include <QListWidget>

#include "protocol/LineListView.h"

class QEvent;

// One of the two echo list boxes: lines of CP949 bytes shown as text.
class EchoListBox : public QListWidget, public LineListView {
    Q_OBJECT
  public:
    explicit EchoListBox(QWidget* parent = nullptr);

    void AppendLine(const std::string& text) override;
    void DeleteFirstLine() override;
    void ShowLine(int index) override;

  protected:
    void changeEvent(QEvent* event) override;
};

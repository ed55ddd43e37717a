#pragma once

#include <QComboBox>

// A drop-down combo box of the forms: an edit field with a list, of which only the
// list's choice counts. It changes only when the operator chooses: the mouse wheel
// acts on it only while it has the focus. Its list is as wide as its longest item.
class FormComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit FormComboBox(QWidget* parent = nullptr);

    void showPopup() override;

  protected:
    void wheelEvent(QWheelEvent* event) override;
};

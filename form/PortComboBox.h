#pragma once

#include "form/FormComboBox.h"

// Port combo 1021: "COM1" to "COM30", then the serial devices found on the
// machine, looked for again each time the list drops down. A device path too
// long for the closed combo shows elided in its middle, whole in the tool tip.
class PortComboBox : public FormComboBox {
    Q_OBJECT
  public:
    static constexpr int kComItems = 30;

    explicit PortComboBox(QWidget* parent = nullptr);

    void RefreshDevices();
    void showPopup() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowChosen();
};

#pragma once

#include "form/FormComboBox.h"
#include "serial/PortInventory.h"

// Port combo 1021: "COM1" to "COM30", then the serial devices found on the
// machine and their by-id links, read again each time the list drops down.
// A re-read never changes the operator's choice: a chosen device that went
// away stays in the list, chosen. A device path too long for the closed combo
// shows elided in its middle, whole in the combo's tool tip.
class PortComboBox : public FormComboBox {
    Q_OBJECT
  public:
    static constexpr int kComItems = 30;

    explicit PortComboBox(QWidget* parent = nullptr);

    // Where the devices are looked for (sysfs and /dev by default).
    void SetInventory(const PortInventory& inventory);
    void RefreshDevices();
    void showPopup() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowChosen();

    PortInventory m_inventory;
};

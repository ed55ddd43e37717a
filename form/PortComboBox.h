#pragma once

#include <QComboBox>

#include "serial/PortInventory.h"

// Port combo 1021: "COM1" to "COM30", then the serial devices found on the
// machine and their by-id links, read again each time the list drops down.
// A re-read never changes the operator's choice: a chosen device that went
// away stays in the list, chosen.
class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    static constexpr int kComItems = 30;

    explicit PortComboBox(QWidget* parent = nullptr);

    // Where the devices are looked for (sysfs and /dev by default).
    void SetInventory(const PortInventory& inventory);
    void RefreshDevices();
    void showPopup() override;

  private:
    PortInventory m_inventory;
};

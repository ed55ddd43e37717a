#pragma once

#include <QComboBox>

// Port combo 1021: "COM1" to "COM30", then the serial devices found on the
// machine, looked for again each time the list drops down.
class PortComboBox : public QComboBox {
    Q_OBJECT
  public:
    static constexpr int kComItems = 30;

    explicit PortComboBox(QWidget* parent = nullptr);

    void RefreshDevices();
    void showPopup() override;
};

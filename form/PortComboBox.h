#pragma once

#include <QStringList>

#include "form/FormComboBox.h"
#include "serial/PortInventory.h"

// Port combo 1021: "COM1" to "COM30", then the serial devices found on the
// machine and their by-id links, read again each time the list drops down.
// A re-read never changes the operator's choice: a chosen device that went
// away stays in the list, chosen. A device path too long for the closed combo
// shows elided in its middle, whole in the combo's tool tip; a COM name that a
// mapping gives a device has that device as its item's tool tip. What the
// combo shows is what opens: a name typed into it counts, not the item chosen
// before. The network ports connected to are remembered in the settings and
// listed last, after the names typed this session.
class PortComboBox : public FormComboBox {
    Q_OBJECT
  public:
    static constexpr int kComItems = 30;
    // The network ports remembered, newest first.
    static constexpr int kRememberedPorts = 8;

    explicit PortComboBox(QWidget* parent = nullptr);

    // Where the devices are looked for (sysfs and /dev by default).
    void SetInventory(const PortInventory& inventory);
    void RefreshDevices();
    void showPopup() override;
    // The port the combo shows: a name the operator typed, else the chosen item.
    QString ShownPort() const;
    // The port the combo shows; a name typed is then kept in the list for the
    // session, and chosen.
    QString TakeShownPort();
    // A port the operator connected to: remembered, first, when it is a
    // network port ("tcp://...", "rfc2217://..." as shown), for the next runs too.
    void RememberConnected(const QString& port);
    const QStringList& Remembered() const { return m_remembered; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowChosen();
    void ShowMappings();
    void ListDevicesAndNames();

    PortInventory m_inventory;
    // The edit field holds what the operator typed, not the chosen item.
    bool m_bTyped = false;
    // Names typed this session, listed after the devices.
    QStringList m_kept;
    // Network ports connected to, this session or before, listed last.
    QStringList m_remembered;
};

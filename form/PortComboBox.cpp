#include "form/PortComboBox.h"

#include "form/SerialDeviceList.h"

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= kComItems; ++n) addItem(QStringLiteral("COM%1").arg(n));
    RefreshDevices();
}

void PortComboBox::RefreshDevices() {
    QString chosen = currentIndex() >= 0 ? itemText(currentIndex()) : QString();
    while (count() > kComItems) removeItem(count() - 1);
    for (const std::string& device : SerialDeviceList::Detect()) {
        addItem(QString::fromStdString(device));
    }
    // A device chosen before stays chosen while it is still there.
    int again = findText(chosen);
    if (again >= 0) setCurrentIndex(again);
}

void PortComboBox::showPopup() {
    RefreshDevices();
    QComboBox::showPopup();
}

#include "form/PortComboBox.h"

#include <QLineEdit>

#include "form/ControlFit.h"
#include "form/SerialDeviceList.h"

PortComboBox::PortComboBox(QWidget* parent) : FormComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &PortComboBox::ShowChosen);
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
    FormComboBox::showPopup();
}

void PortComboBox::resizeEvent(QResizeEvent* event) {
    FormComboBox::resizeEvent(event);
    ShowChosen();
}

void PortComboBox::ShowChosen() {
    QString chosen = currentIndex() >= 0 ? itemText(currentIndex()) : QString();
    QFontMetrics metrics = fontMetrics();
    int room = lineEdit()->width() - 2 * ControlFit::kLineEditMargin - 1 -
               std::max(0, -metrics.minLeftBearing()) - std::max(0, -metrics.minRightBearing());
    QString shown = metrics.elidedText(chosen, Qt::ElideMiddle, room);
    setToolTip(shown == chosen ? QString() : chosen);
    if (lineEdit()->text() == shown) return;
    lineEdit()->setText(shown);
    lineEdit()->setCursorPosition(0);
}

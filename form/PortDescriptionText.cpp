#include "form/PortDescriptionText.h"

#include <filesystem>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QStringList PortDescriptionText::Parts(const PortInventory::Port& port) {
    QStringList parts;
    for (const std::string& link : port.byId) {
        parts << Q(std::filesystem::path(link).filename().string());
    }
    QString maker = Q(port.manufacturer);
    if (!maker.isEmpty() && !port.product.empty()) maker += ' ';
    maker += Q(port.product);
    if (!maker.isEmpty()) parts << maker;
    if (!port.serial.empty()) parts << QString::fromUtf8("일련번호 ") + Q(port.serial);
    if (!port.usbId.empty()) parts << QStringLiteral("USB ") + Q(port.usbId);
    if (!port.driver.empty()) parts << QString::fromUtf8("드라이버 ") + Q(port.driver);
    return parts;
}

#include "form/PortComboBox.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <utility>
#include <vector>

#include "form/ControlFit.h"
#include "form/PortDescriptionText.h"
#include "serial/NetAddress.h"
#include "serial/PortMap.h"

namespace {

// The settings' group of the network ports connected to: Port1 the newest.
const char* const kRememberedGroup = "Network Ports";

QString RememberedKey(int index) { return QStringLiteral("Port%1").arg(index + 1); }

QStringList LoadRemembered() {
    QSettings settings;
    settings.beginGroup(kRememberedGroup);
    QStringList ports;
    for (int i = 0; i < PortComboBox::kRememberedPorts; ++i) {
        QString port = settings.value(RememberedKey(i)).toString();
        if (!port.isEmpty() && !ports.contains(port)) ports.append(port);
    }
    return ports;
}

void SaveRemembered(const QStringList& ports) {
    QSettings settings;
    settings.remove(kRememberedGroup);
    settings.beginGroup(kRememberedGroup);
    for (int i = 0; i < ports.size(); ++i) settings.setValue(RememberedKey(i), ports[i]);
}

// Device items in list order, the device nodes, then the by-id links; each with
// a tool tip of one line a part, the device first (a long path may not show whole).
std::vector<std::pair<QString, QString>> DeviceItems(
    const std::vector<PortInventory::Port>& ports) {
    std::vector<std::pair<QString, QString>> nodes;
    std::vector<std::pair<QString, QString>> links;
    for (const PortInventory::Port& port : ports) {
        QString toolTip =
            (QStringList(QString::fromStdString(port.path)) + PortDescriptionText::Parts(port))
                .join('\n');
        nodes.emplace_back(QString::fromStdString(port.path), toolTip);
        for (const std::string& link : port.byId) {
            links.emplace_back(QString::fromStdString(link), toolTip);
        }
    }
    nodes.insert(nodes.end(), links.begin(), links.end());
    return nodes;
}

}  // namespace

PortComboBox::PortComboBox(QWidget* parent) : FormComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &PortComboBox::ShowChosen);
    // Only the operator's own typing: the combo's own texts come through setText.
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_bTyped = true; });
    for (int n = 1; n <= kComItems; ++n) addItem(QStringLiteral("COM%1").arg(n));
    m_remembered = LoadRemembered();
    RefreshDevices();
}

QString PortComboBox::ShownPort() const {
    if (!m_bTyped) return currentIndex() >= 0 ? itemText(currentIndex()) : QString();
    QString typed = lineEdit()->text().trimmed();
    // COM names are upper case in the list, as the port text makes them.
    if (QRegularExpression(QStringLiteral("^com[0-9]+$"), QRegularExpression::CaseInsensitiveOption)
            .match(typed)
            .hasMatch()) {
        typed = typed.toUpper();
    }
    return typed;
}

QString PortComboBox::TakeShownPort() {
    QString typed = ShownPort();
    if (!m_bTyped || typed.isEmpty()) return typed;
    if (findText(typed) < 0) {
        m_kept.append(typed);
        addItem(typed);
    }
    setCurrentIndex(findText(typed));
    ShowChosen();
    return typed;
}

void PortComboBox::RememberConnected(const QString& port) {
    if (!NetAddress::IsNetworkName(port.toStdString())) return;
    m_remembered.removeAll(port);
    m_remembered.prepend(port);
    while (m_remembered.size() > kRememberedPorts) m_remembered.removeLast();
    SaveRemembered(m_remembered);
}

void PortComboBox::ShowMappings() {
    for (int i = 0; i < kComItems; ++i) {
        std::string mapped = PortMap::Mapped(itemText(i).toStdString());
        setItemData(i, mapped.empty() ? QVariant() : QString::fromStdString(mapped),
                    Qt::ToolTipRole);
    }
}

void PortComboBox::SetInventory(const PortInventory& inventory) {
    m_inventory = inventory;
    RefreshDevices();
}

void PortComboBox::RefreshDevices() {
    // Changing the chosen item rewrites the edit field: what the operator typed
    // there stays, and the chosen item is shown fitted again.
    bool typed = m_bTyped;
    QString shown = lineEdit()->text();
    ShowMappings();
    ListDevicesAndNames();
    if (!typed) {
        ShowChosen();
        return;
    }
    lineEdit()->setText(shown);
    m_bTyped = true;
}

// The chosen item itself is never removed or replaced: the others are taken out
// and the new ones put around it, so the choice cannot move to a neighbour.
void PortComboBox::ListDevicesAndNames() {
    int chosen = currentIndex() >= kComItems ? currentIndex() : -1;
    QString chosenText = chosen >= 0 ? itemText(chosen) : QString();
    for (int i = count() - 1; i >= kComItems; --i) {
        if (i != chosen) removeItem(i);
    }
    int row = kComItems;
    auto put = [&](const QString& text, const QString& toolTip) {
        if (chosen >= 0 && text == chosenText) {
            setItemData(currentIndex(), toolTip, Qt::ToolTipRole);
            row = currentIndex() + 1;
            return;
        }
        insertItem(row, text);
        setItemData(row, toolTip, Qt::ToolTipRole);
        ++row;
    };
    for (const auto& [text, toolTip] : DeviceItems(m_inventory.Ports())) put(text, toolTip);
    // The names typed this session follow the devices, unless one of them
    // now, and the network ports remembered follow those.
    QStringList names = m_kept + m_remembered;
    names.removeDuplicates();
    for (const QString& name : names) {
        if (findText(name) < 0 || name == chosenText) put(name, QString());
    }
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
    m_bTyped = false;
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

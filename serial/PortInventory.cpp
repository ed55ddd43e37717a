#include "serial/PortInventory.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

// What this reads of sysfs (the same shape from Linux 4 to 6):
//   <sys>/class/tty/<name>          a link into <sys>/devices/..., one per tty
//   <sys>/class/tty/<name>/type     ttyS only: the UART type, 0 when no UART answers
//   <sys>/class/tty/<name>/device   a link to the port's device: for ttyUSB the usb-serial
//                                   port below the USB interface, for ttyACM the interface
//                                   itself, for ttyS the platform, PNP or PCI device (since
//                                   Linux 6.5 with a serial-base port and controller between)
//   <dir>/driver                    a link to <sys>/bus/<bus>/drivers/<driver>
//   the USB device's directory      an ancestor of the interface, the first one holding
//                                   idVendor and idProduct; manufacturer, product and serial
//                                   beside them when the device reports them
// and of /dev: the device node <dev>/<name>, and the links in <dev>/serial/by-id and by-path.
// Everything is read with stat, readlink and directory listings, and the attribute
// files of sysfs; no device node is ever opened.

namespace fs = std::filesystem;

namespace {

// The listed kinds in the order of the list.
constexpr const char* kKinds[] = {"ttyUSB", "ttyACM", "ttyS"};

struct Kind {
    int rank = -1;  // index into kKinds; -1 for a tty that is not listed
    unsigned long number = 0;
};

Kind KindOf(const std::string& name) {
    for (int rank = 0; rank < static_cast<int>(std::size(kKinds)); ++rank) {
        std::string prefix = kKinds[rank];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        bool numeric = digits.size() <= 6 && std::all_of(digits.begin(), digits.end(), [](char c) {
                           return std::isdigit(static_cast<unsigned char>(c)) != 0;
                       });
        return numeric ? Kind{rank, std::stoul(digits)} : Kind{};
    }
    return Kind{};
}

// The entries of a folder, sorted; none when it cannot be read.
std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Whether `dir` lies below `top`.
bool Inside(const fs::path& dir, const fs::path& top) {
    auto [t, d] = std::mismatch(top.begin(), top.end(), dir.begin(), dir.end());
    return t == top.end() && d != dir.end();
}

// Drivers of the kernel's per-port layers, which sit below the driver that names
// the hardware: usb-serial's ("ch341-uart") and serial-base's ("port", "ctrl").
bool IsPortLayer(const fs::path& driverLink) {
    std::string bus = driverLink.parent_path().parent_path().filename();
    return bus == "usb-serial" || bus == "serial-base";
}

}  // namespace

// The first line of a sysfs attribute without its line end; "" when absent.
// Attributes are regular files; anything else is not read (a FIFO would block).
std::string PortInventory::Attribute(const fs::path& file) {
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return "";
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

PortInventory::PortInventory(fs::path sysRoot, fs::path devRoot)
    : m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot)) {}

std::vector<PortInventory::Port> PortInventory::Ports() const {
    std::vector<std::pair<Kind, Port>> found;
    for (const fs::path& entry : Entries(m_sysRoot / "class" / "tty")) {
        Port port;
        port.name = entry.filename();
        Kind kind = KindOf(port.name);
        if (kind.rank < 0 || !IsPresent(port.name)) continue;
        bool isUart = kind.rank == 2;
        if (isUart && std::strtol(Attribute(entry / "type").c_str(), nullptr, 10) == 0) continue;
        port.path = (m_devRoot / port.name).string();
        DescribeHardware(port);
        port.byId = LinksTo(port.path, "by-id");
        port.byPath = LinksTo(port.path, "by-path");
        found.emplace_back(kind, std::move(port));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::pair(a.first.rank, a.first.number) < std::pair(b.first.rank, b.first.number);
    });
    std::vector<Port> ports;
    for (auto& [kind, port] : found) ports.push_back(std::move(port));
    return ports;
}

bool PortInventory::IsPresent(const std::string& name) const {
    std::error_code error;
    return fs::exists(m_devRoot / name, error);
}

void PortInventory::DescribeHardware(Port& port) const {
    std::error_code noTop;
    std::error_code noDevice;
    fs::path top = fs::canonical(m_sysRoot, noTop);
    fs::path dir = fs::canonical(m_sysRoot / "class" / "tty" / port.name / "device", noDevice);
    if (noTop || noDevice) return;
    for (; Inside(dir, top); dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor")) {
            port.usbId = Attribute(dir / "idVendor") + ":" + Attribute(dir / "idProduct");
            port.manufacturer = Attribute(dir / "manufacturer");
            port.product = Attribute(dir / "product");
            port.serial = Attribute(dir / "serial");
            return;
        }
        std::error_code noDriver;
        fs::path driver = fs::read_symlink(dir / "driver", noDriver);
        if (port.driver.empty() && !noDriver && !IsPortLayer(driver)) {
            port.driver = driver.filename();
        }
    }
}

std::vector<std::string> PortInventory::LinksTo(const std::string& node,
                                                const std::string& folder) const {
    std::vector<std::string> links;
    std::error_code error;
    fs::path target = fs::canonical(node, error);
    if (error) return links;
    for (const fs::path& link : Entries(m_devRoot / "serial" / folder)) {
        std::error_code broken;
        if (fs::canonical(link, broken) == target && !broken) links.push_back(link.string());
    }
    return links;
}

std::vector<std::string> PortInventory::Port::DescriptionParts() const {
    std::vector<std::string> parts;
    for (const std::string& link : byId) parts.push_back(fs::path(link).filename());
    std::string maker =
        manufacturer + (manufacturer.empty() || product.empty() ? "" : " ") + product;
    if (!maker.empty()) parts.push_back(maker);
    if (!serial.empty()) parts.push_back("serial " + serial);
    if (!usbId.empty()) parts.push_back("USB " + usbId);
    if (!driver.empty()) parts.push_back("driver " + driver);
    return parts;
}

std::string PortInventory::Port::Description() const {
    std::string text;
    for (const std::string& part : DescriptionParts()) text += (text.empty() ? "" : ", ") + part;
    return text;
}

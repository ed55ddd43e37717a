#include "support/FakeSerialTree.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

FakeSerialTree::FakeSerialTree() {
    std::string pattern = (fs::temp_directory_path() / "veld-serial-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    m_root = pattern;
    fs::create_directories(m_root / "sys" / "class" / "tty");
    fs::create_directories(m_root / "dev");
}

FakeSerialTree::~FakeSerialTree() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void FakeSerialTree::AddUsbPort(const std::string& name, const std::string& usbPort,
                                const UsbDevice& usb) {
    std::string device = "pci0000:00/0000:00:14.0/usb1/" + usbPort;
    std::string interface = device + "/" + usbPort + ":1.0";
    AddAttribute("devices/" + device + "/idVendor", usb.vendorId);
    AddAttribute("devices/" + device + "/idProduct", usb.productId);
    for (const auto& [file, value] : {std::pair{"manufacturer", usb.manufacturer},
                                      {"product", usb.product},
                                      {"serial", usb.serial}}) {
        if (!value.empty()) AddAttribute("devices/" + device + "/" + file, value);
    }
    AddDriver(device, "usb", "usb");
    fs::create_directories(m_root / "sys" / "bus" / "usb" / "devices");
    Link(m_root / "sys" / "bus" / "usb" / "devices" / usbPort, m_root / "sys" / "devices" / device);
    AddDriver(interface, "usb", usb.interfaceDriver);
    if (usb.portDriver.empty()) {
        AddTty(name, interface);
    } else {
        AddTty(name, interface + "/" + name);
        AddDriver(interface + "/" + name, "usb-serial", usb.portDriver);
    }
}

void FakeSerialTree::AddTty(const std::string& name, const std::string& deviceDir) {
    fs::path device = m_root / "sys" / "devices" / deviceDir;
    fs::path tty = device / "tty" / name;
    fs::create_directories(tty);
    Link(tty / "device", device);
    Link(m_root / "sys" / "class" / "tty" / name, tty);
}

void FakeSerialTree::AddDriver(const std::string& deviceDir, const std::string& bus,
                               const std::string& driver) {
    fs::path drivers = m_root / "sys" / "bus" / bus / "drivers" / driver;
    fs::create_directories(drivers);
    fs::create_directories(m_root / "sys" / "devices" / deviceDir);
    Link(m_root / "sys" / "devices" / deviceDir / "driver", drivers);
}

void FakeSerialTree::AddAttribute(const std::string& sysPath, const std::string& value) {
    fs::path file = m_root / "sys" / sysPath;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << value << "\n";
}

void FakeSerialTree::AddNode(const std::string& name, const std::string& target) {
    fs::path node = m_root / "dev" / name;
    if (!target.empty()) {
        fs::create_symlink(target, node);
    } else if (::mkfifo(node.c_str(), 0600) != 0) {
        throw std::runtime_error("no FIFO");
    }
}

void FakeSerialTree::AddSerialLink(const std::string& folder, const std::string& link,
                                   const std::string& name) {
    fs::path at = m_root / "dev" / "serial" / folder / link;
    fs::create_directories(at.parent_path());
    Link(at, m_root / "dev" / name);
}

void FakeSerialTree::Unplug(const std::string& name) {
    fs::remove(m_root / "sys" / "class" / "tty" / name);
    fs::remove(m_root / "dev" / name);
    for (const char* folder : {"by-id", "by-path"}) {
        fs::path links = m_root / "dev" / "serial" / folder;
        if (!fs::exists(links)) continue;
        std::vector<fs::path> gone;
        for (const auto& entry : fs::directory_iterator(links)) {
            if (fs::read_symlink(entry.path()) == fs::path("../..") / name) gone.push_back(entry);
        }
        for (const fs::path& link : gone) fs::remove(link);
    }
}

// Relative, as the kernel's and udev's links are, so that they resolve inside the tree.
void FakeSerialTree::Link(const fs::path& at, const fs::path& target) {
    fs::create_symlink(target.lexically_relative(at.parent_path()), at);
}

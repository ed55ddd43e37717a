#pragma once

#include <filesystem>
#include <string>

// A sysfs and /dev tree in a temporary folder, laid out as the kernel and udev
// lay out serial ports, for the port inventory to read.
class FakeSerialTree {
  public:
    struct UsbDevice {
        std::string vendorId;
        std::string productId;
        std::string manufacturer;  // "" when the device reports none
        std::string product;
        std::string serial;
        std::string interfaceDriver;
        std::string portDriver;  // usb-serial's; "" for ACM, whose tty hangs on the interface
    };

    FakeSerialTree();
    ~FakeSerialTree();
    FakeSerialTree(const FakeSerialTree&) = delete;
    FakeSerialTree& operator=(const FakeSerialTree&) = delete;

    std::string SysRoot() const { return (m_root / "sys").string(); }
    std::string DevRoot() const { return (m_root / "dev").string(); }

    // A USB device on hub port `usbPort` ("1-2") whose interface 0 carries tty `name`;
    // it is also listed in <sys>/bus/usb/devices.
    void AddUsbPort(const std::string& name, const std::string& usbPort, const UsbDevice& usb);
    // A tty below <sys>/devices/<deviceDir>.
    void AddTty(const std::string& name, const std::string& deviceDir);
    void AddDriver(const std::string& deviceDir, const std::string& bus, const std::string& driver);
    // A file below <sys>.
    void AddAttribute(const std::string& sysPath, const std::string& value);
    // The device node: a FIFO, or a link to `target` (a real terminal).
    void AddNode(const std::string& name, const std::string& target = "");
    // A udev link <dev>/serial/<folder>/<link> to the node `name`.
    void AddSerialLink(const std::string& folder, const std::string& link, const std::string& name);
    // The device goes away: its tty, its node and the links to it.
    void Unplug(const std::string& name);

  private:
    static void Link(const std::filesystem::path& at, const std::filesystem::path& target);

    std::filesystem::path m_root;
};

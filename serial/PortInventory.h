#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The serial ports present on this machine, found from sysfs and /dev without
// opening any device: opening one would raise its modem lines, and a port held
// by someone (this tool included) would seem absent. Lists every ttyUSB and
// ttyACM, and the ttyS ports with a UART behind them; each only while its
// device node exists.
class PortInventory {
  public:
    struct Port {
        std::string name;                 // "ttyUSB0"
        std::string path;                 // its device node
        std::vector<std::string> byId;    // links to it in serial/by-id, sorted
        std::vector<std::string> byPath;  // and in serial/by-path
        std::string driver;               // "ch341", "ftdi_sio", "cdc_acm", "serial", ...
        std::string usbId;                // "1a86:7523"; empty when not on USB
        std::string manufacturer;
        std::string product;
        std::string serial;

        // What is known of it, in this order: by-id names, manufacturer and
        // product, serial, USB id, driver.
        std::vector<std::string> DescriptionParts() const;
        // The parts, comma-separated.
        std::string Description() const;
    };

    explicit PortInventory(std::filesystem::path sysRoot = "/sys",
                           std::filesystem::path devRoot = "/dev");

    // USB adapters, then ACM devices, then UARTs, each by number.
    std::vector<Port> Ports() const;

    // The first line of a sysfs attribute without its line end; "" when absent.
    static std::string Attribute(const std::filesystem::path& file);

  private:
    bool IsPresent(const std::string& name) const;
    void DescribeHardware(Port& port) const;
    // The links in <dev>/serial/<folder> that lead to `node`.
    std::vector<std::string> LinksTo(const std::string& node, const std::string& folder) const;

    std::filesystem::path m_sysRoot;
    std::filesystem::path m_devRoot;
};

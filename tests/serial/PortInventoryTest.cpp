#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "serial/PortInventory.h"
#include "support/FakeSerialTree.h"
#include "support/OpenWatch.h"

namespace {

// A machine with the adapters a technician meets: a CH340 and an FTDI cable,
// a CDC-ACM board, an on-board UART, and what must not be listed.
class MachineTree : public FakeSerialTree {
  public:
    MachineTree() {
        AddUsbPort("ttyUSB2", "1-2", {"1a86", "7523", "", "USB Serial", "", "ch341", "ch341-uart"});
        AddNode("ttyUSB2");
        AddSerialLink("by-id", "usb-1a86_USB_Serial-if00-port0", "ttyUSB2");
        AddSerialLink("by-path", "pci-0000:00:14.0-usb-0:2:1.0-port0", "ttyUSB2");

        AddUsbPort("ttyUSB10", "1-4",
                   {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "ftdi_sio", "ftdi_sio"});
        AddNode("ttyUSB10");
        AddSerialLink("by-id", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB10");

        AddUsbPort("ttyACM0", "1-3",
                   {"2341", "0043", "Arduino (www.arduino.cc)", "", "75735353", "cdc_acm", ""});
        AddNode("ttyACM0");
        AddSerialLink("by-id", "usb-Arduino__www.arduino.cc__0043_75735353-if00", "ttyACM0");

        // Since Linux 6.5 a serial-base port and controller sit below the PNP device.
        AddTty("ttyS0", "pnp0/00:05/00:05:0/00:05:0.0");
        AddDriver("pnp0/00:05", "pnp", "serial");
        AddDriver("pnp0/00:05/00:05:0", "serial-base", "ctrl");
        AddDriver("pnp0/00:05/00:05:0/00:05:0.0", "serial-base", "port");
        AddAttribute("class/tty/ttyS0/type", "4");
        AddNode("ttyS0");

        // No UART at this address.
        AddTty("ttyS1", "platform/serial8250");
        AddDriver("platform/serial8250", "platform", "serial8250");
        AddAttribute("class/tty/ttyS1/type", "0");
        AddNode("ttyS1");

        // A UART without a device node (a container that was not given it).
        AddTty("ttyS2", "pnp0/00:06");
        AddAttribute("class/tty/ttyS2/type", "4");

        // Virtual terminals and the like.
        AddTty("tty0", "virtual/tty0");
        AddNode("tty0");
        AddTty("ttyS1x", "virtual/ttyS1x");
        AddNode("ttyS1x");
    }
};

// The description gathers what sysfs and udev tell of a port: its by-id
// link, manufacturer, product, serial number, USB ID and driver. No device
// node is opened for it; missing trees list nothing.
TEST(PortInventoryTest, ListsPresentPortsWithWhatSysfsTellsOfThem) {
    MachineTree tree;
    std::string dev = tree.DevRoot();
    OpenWatch watch({dev, dev + "/serial/by-id", dev + "/serial/by-path"});
    // The watch sees an open, through a link too.
    ::close(::open((dev + "/serial/by-id/usb-1a86_USB_Serial-if00-port0").c_str(),
                   O_RDWR | O_NONBLOCK | O_CLOEXEC));
    ASSERT_EQ(watch.OpenedFiles(), std::vector<std::string>{"ttyUSB2"});
    struct Expected {
        std::string name, description;
        std::vector<std::string> byPath;
    };
    const Expected expected[] = {
        {"ttyUSB2",
         "usb-1a86_USB_Serial-if00-port0, USB Serial, USB 1a86:7523, driver ch341",
         {dev + "/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"}},
        {"ttyUSB10",
         "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0, FTDI FT232R USB UART, serial A50285BI, "
         "USB 0403:6001, driver ftdi_sio",
         {}},
        {"ttyACM0",
         "usb-Arduino__www.arduino.cc__0043_75735353-if00, Arduino (www.arduino.cc), "
         "serial 75735353, USB 2341:0043, driver cdc_acm",
         {}},
        {"ttyS0", "driver serial", {}},
    };
    std::vector<PortInventory::Port> ports = PortInventory(tree.SysRoot(), dev).Ports();
    EXPECT_EQ(watch.OpenedFiles(), std::vector<std::string>{});
    ASSERT_EQ(ports.size(), std::size(expected));
    for (size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(ports[i].name, expected[i].name);
        EXPECT_EQ(ports[i].path, dev + "/" + expected[i].name);
        EXPECT_EQ(ports[i].Description(), expected[i].description);
        EXPECT_EQ(ports[i].byPath, expected[i].byPath);
    }
    EXPECT_TRUE(PortInventory(tree.SysRoot() + "/none", dev).Ports().empty());
    EXPECT_TRUE(PortInventory(tree.SysRoot(), dev + "/none").Ports().empty());
}

}  // namespace

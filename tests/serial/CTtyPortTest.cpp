#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/CTtyPort.h"
#include "serial/ExclusiveRelease.h"
#include "serial/PortMap.h"
#include "serial/TtyDevice.h"
#include "support/Eventually.h"
#include "support/PtyPair.h"
#include "support/RecordingNotifier.h"

namespace {

using namespace std::chrono_literals;

// The settings of the terminal side, as read through the master.
termios2 LineSettings(const PtyPair& pty) {
    termios2 t{};
    ::ioctl(pty.MasterFd(), TCGETS2, &t);
    return t;
}

std::string Slot(const CTtyPort& port, int slot) {
    char line[RxLineRing::kSlotSize];
    return std::string(line, port.Ring().CopyLine(slot, line, sizeof line));
}

class PortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PortMap::Clear();
        ASSERT_TRUE(PortMap::AddMapping("COM3=" + pty.SlavePath()));
    }
    void TearDown() override { PortMap::Clear(); }

    bool OpenDefault() { return port.Open(pty.SlavePath(), 115200, 0, 8, 0); }
    bool WaitForLines(int32_t writeIndex) {
        return Eventually([&] { return port.Ring().WriteIndex() == writeIndex; });
    }

    PtyPair pty;
    RecordingNotifier notifier;
    CTtyPort port{notifier};
};

TEST(TtyDeviceTest, LineFormatsMapOntoTermiosFlags) {
    struct Case {
        uint8_t parity, dataBits, stopBits;
        uint32_t flags;
    };
    const Case cases[] = {
        {0, 8, 0, CS8},
        {1, 8, 0, CS8 | PARENB | PARODD},
        {2, 7, 2, CS7 | PARENB | CSTOPB},
        {3, 6, 0, CS6 | PARENB | PARODD | CMSPAR},
        {4, 5, 2, CS5 | PARENB | CMSPAR | CSTOPB},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TtyDevice::FormatFlags(c.parity, c.dataBits, c.stopBits), c.flags)
            << int(c.parity) << " " << int(c.dataBits) << " " << int(c.stopBits);
    }
}

// A pseudo-terminal keeps the rate, the odd/mark/space and stop bits it is
// given, but always reports 8 data bits and parity off.
TEST_F(PortTest, OpenFromTextSetsTheLineItNames) {
    struct Case {
        const char* text;
        speed_t speed;
        tcflag_t parity;  // PARODD | CMSPAR bits
        bool twoStops;
    };
    const Case cases[] = {
        {"\\\\.\\COM3:9600,N,8,0", B9600, 0, false},
        {"\\\\.\\COM3:115200,O,8,0", B115200, PARODD, false},
        {"\\\\.\\COM3:19200,E,7,2", B19200, 0, true},
        {"\\\\.\\COM3:38400,M,8,0", B38400, PARODD | CMSPAR, false},
        {"\\\\.\\COM3:57600,S,5,0", B57600, CMSPAR, false},
        {"\\\\.\\COM3:250000,N,8,0", BOTHER, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(port.OpenFromText(c.text));
        termios2 t = LineSettings(pty);
        EXPECT_EQ(t.c_cflag & CBAUD, c.speed);
        EXPECT_EQ(t.c_cflag & (PARODD | CMSPAR), c.parity);
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops);
        EXPECT_TRUE(port.Close());
    }
    ASSERT_TRUE(port.OpenFromText("\\\\.\\COM3:250000,N,8,0"));
    termios2 t = LineSettings(pty);
    EXPECT_EQ(t.c_ospeed, 250000u);
    EXPECT_EQ(t.c_cflag & (CRTSCTS | CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
}

TEST_F(PortTest, RefusedOpensNameTheReasonAndChangeNothing) {
    const char* refused[] = {
        "COM3",                    // no colon: empty device name
        "\\\\.\\COM3:,N,8,0",      // empty baud field: rate 0
        "\\\\.\\COM3:9600,N,8,1",  // one and a half stop bits
        "\\\\.\\COM3:9600,N,9,0",  // nine data bits
        "\\\\.\\COM3:9600",        // no line format: 0 data bits
    };
    for (const char* text : refused) {
        EXPECT_FALSE(port.OpenFromText(text)) << text;
        EXPECT_FALSE(port.IsConnected());
    }
    EXPECT_FALSE(port.Close());
    EXPECT_FALSE(port.Open("/dev/no-such-tty", 9600, 0, 8, 0));
    EXPECT_EQ(port.LastOpenError(), ENOENT);
    ASSERT_TRUE(OpenDefault());
    EXPECT_FALSE(port.Open(pty.SlavePath(), 9600, 0, 8, 0));
    EXPECT_TRUE(port.IsConnected());
    EXPECT_EQ(LineSettings(pty).c_cflag & CBAUD, static_cast<tcflag_t>(B115200));
    CTtyPort other(notifier);
    EXPECT_FALSE(other.Open(pty.SlavePath(), 9600, 0, 8, 0));
    EXPECT_EQ(other.LastOpenError(), EBUSY);
    pty.Write("#1.STA 0\r");
    EXPECT_TRUE(WaitForLines(1));
}

// On a pseudo-terminal the flag outlives the descriptor that set it: left set,
// it refuses every later open by an ordinary user.
TEST(ExclusiveFlagTest, EveryWayOfLettingGoLeavesTheTerminalAsItWasFound) {
    RecordingNotifier notifier;
    TtyDevice released;  // its descriptor, now on /dev/null, lives past the check
    // Each way tells whether it got hold of the device.
    const std::pair<const char*, std::function<bool(const std::string&)>> ways[] = {
        {"port closed",
         [&](const std::string& path) {
             CTtyPort port(notifier);
             return port.Open(path, 115200, 0, 8, 0) && port.Close();
         }},
        {"line refused after the open",
         [&](const std::string& path) {
             CTtyPort port(notifier);
             return !port.Open(path, 115200, 0, 9, 0) && port.LastOpenError() == EINVAL;
         }},
        {"device lost and released",
         [&](const std::string& path) {
             bool opened = released.Open(path);
             released.ReleaseDevice();
             return opened;
         }},
        {"device object destroyed",
         [](const std::string& path) {
             TtyDevice device;
             return device.Open(path);
         }},
    };
    for (bool foundSet : {false, true}) {
        for (const auto& [how, letGo] : ways) {
            SCOPED_TRACE(std::string(how) + (foundSet ? ", found exclusive" : ""));
            PtyPair pty;
            int observer = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            ASSERT_GE(observer, 0);
            if (foundSet) {
                ASSERT_EQ(::ioctl(observer, TIOCEXCL), 0);
            }
            bool held = letGo(pty.SlavePath());
            EXPECT_TRUE(held || foundSet);
            int set = 0;  // the flag as another descriptor of the terminal sees it
            EXPECT_EQ(::ioctl(observer, TIOCGEXCL, &set), 0);
            EXPECT_EQ(set != 0, foundSet);
            released.Close();
            ::close(observer);
        }
    }
}

// 2047 bytes and the carriage return fill a slot, which is reported.
TEST_F(PortTest, LinesFillConsecutiveSlotsAndLapTheRing) {
    ASSERT_TRUE(OpenDefault());
    pty.Write(std::string(2046, 'x') + "\r" + std::string(2047, 'y') + "\rA\r\nB\r\r");
    ASSERT_TRUE(WaitForLines(5));
    EXPECT_EQ(Slot(port, 0), std::string(2046, 'x'));
    EXPECT_EQ(Slot(port, 1), std::string(2047, 'y'));
    EXPECT_EQ(Slot(port, 2), "A");
    EXPECT_EQ(Slot(port, 3), "\nB");  // a line feed is an ordinary byte
    EXPECT_EQ(Slot(port, 4), "");     // a lone carriage return has a slot of its own
    EXPECT_EQ(notifier.Texts(), std::vector<std::string>{"Rx Buffer FULL"});
    EXPECT_EQ(notifier.Captions(), std::vector<std::string>{Notifier::kAppCaption});
    // A hundred lines more lap the ring and overwrite the unread ones.
    std::string burst;
    for (int i = 5; i < 105; ++i) burst += "L" + std::to_string(i) + "\r";
    pty.Write(burst);
    ASSERT_TRUE(Eventually([&] { return Slot(port, 4) == "L104"; }));
    EXPECT_EQ(Slot(port, 0), "L100");
    EXPECT_EQ(Slot(port, 5), "L5");
    EXPECT_EQ(port.Ring().WriteIndex(), 5);
}

// Bytes fed to the reader's splitting as reads would bring them.
class FedPort : public CTtyPort {
  public:
    using CTtyPort::CTtyPort;
    using CTtyPort::EndOverflowRun;
    using CTtyPort::StoreBytes;
};

// A line that overflows its slot is told once, with how often it filled the
// slot, when the line ends or falls quiet; never once for each 2048 bytes.
TEST(OverflowTest, EachRunOfAnOverlongLineIsToldOnceWithItsCount) {
    struct Case {
        const char* what;
        std::vector<std::string> reads;  // each read, then the line falls quiet
        std::vector<std::string> told;
    };
    const std::string slot(RxLineRing::kSlotSize, 'x');
    const std::string mebibyte(1 << 20, 'x');
    const Case cases[] = {
        {"the line end fills the slot", {slot.substr(1) + "\r"}, {"Rx Buffer FULL"}},
        {"3000 bytes, no line end", {slot + std::string(952, 'y')}, {"Rx Buffer FULL"}},
        {"1 MiB, then its line end", {mebibyte, "\r"}, {"Rx Buffer FULL (512 times)"}},
        {"two overlong lines",
         {slot + slot + "\r" + slot + "\r"},
         {"Rx Buffer FULL (2 times)", "Rx Buffer FULL"}},
        {"a line that falls quiet twice", {slot, slot}, {"Rx Buffer FULL", "Rx Buffer FULL"}},
        {"a line one short of the slot", {slot.substr(2) + "\r"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingNotifier notifier;
        auto port = std::make_unique<FedPort>(notifier);
        for (const std::string& read : c.reads) {
            for (size_t at = 0; at < read.size(); at += RxLineRing::kSlotSize) {
                std::string piece = read.substr(at, RxLineRing::kSlotSize);
                port->StoreBytes(piece.data(), static_cast<uint32_t>(piece.size()));
            }
            port->EndOverflowRun();
        }
        EXPECT_EQ(notifier.Texts(), c.told);
    }
}

// The reader tells of a line that stays without its end once the line falls quiet.
TEST_F(PortTest, AnOverlongLineWithoutItsEndIsToldWhenTheLineFallsQuiet) {
    ASSERT_TRUE(OpenDefault());
    pty.Write(std::string(3 * RxLineRing::kSlotSize, 'x'));
    ASSERT_TRUE(Eventually([&] { return notifier.Count() > 0; }));
    pty.Write("\r#1.STA 0\r");
    ASSERT_TRUE(WaitForLines(2));
    std::vector<std::string> told = notifier.Texts();
    // However the bytes came in reads: 3 slot fills, told once for each run.
    int fills = 0;
    for (const std::string& text : told) {
        fills += text == "Rx Buffer FULL" ? 1 : std::stoi(text.substr(text.find('(') + 1));
    }
    EXPECT_EQ(fills, 3);
    EXPECT_EQ(Slot(port, 1), "#1.STA 0");
}

TEST_F(PortTest, ReconnectEmptiesTheRingAndPurgesStaleInput) {
    ASSERT_TRUE(OpenDefault());
    pty.Write("one\rtwo\r");
    ASSERT_TRUE(WaitForLines(2));
    ASSERT_TRUE(port.Ring().AdvanceRead(0));
    EXPECT_TRUE(port.Close());
    pty.Write("stale\r");
    ASSERT_TRUE(OpenDefault());
    ASSERT_TRUE(Eventually([&] { return port.Ring().ReadIndex() == 0; }));
    // A consumer still at the old index may not move the reset one.
    EXPECT_FALSE(port.Ring().AdvanceRead(1));
    pty.Write("fresh\r");
    ASSERT_TRUE(WaitForLines(1));
    EXPECT_EQ(Slot(port, 0), "fresh");
}

TEST_F(PortTest, AStalledWriteGivesUp) {
    ASSERT_TRUE(OpenDefault());
    std::string bytes(1 << 20, 'x');  // far more than the terminal buffers
    auto start = std::chrono::steady_clock::now();
    uint32_t written = port.WriteBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_LT(written, bytes.size());
    EXPECT_EQ(notifier.Texts(), std::vector<std::string>{"<CE-" + std::to_string(ETIMEDOUT) + ">"});
    EXPECT_EQ(notifier.Captions(), std::vector<std::string>{Notifier::kTtyErrorCaption});
}

// A write that finds the device gone ends the connection at once: the caller
// learns of it from the port, not only after the reader noticed.
TEST_F(PortTest, AWriteThatFindsTheDeviceGoneLosesThePort) {
    ASSERT_TRUE(OpenDefault());
    pty.CloseMaster();
    const char line[] = "#0.STA\r";
    EXPECT_EQ(port.WriteBlock(line, sizeof line - 1), 0u);
    EXPECT_FALSE(port.IsConnected());
    EXPECT_TRUE(Eventually([&] { return !port.IsReaderRegistered(); }));
    EXPECT_EQ(notifier.Count(), 0u);
    EXPECT_EQ(port.WriteBlock(line, sizeof line - 1), 0u);
}

// A program ended by a signal it does not handle leaves no exclusive flag on
// a pseudo-terminal; SIGKILL cannot be handled (veld-drive-sim clears that).
TEST(ExclusiveFlagTest, AProgramEndedByASignalClearsItsFlag) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGKILL}) {
        SCOPED_TRACE(::strsignal(signal));
        PtyPair pty;
        int observer = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(observer, 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // As a program starts: the hook, then its port. Only async-signal-safe calls.
            ::signal(signal, SIG_DFL);
            ExclusiveRelease::Install();
            TtyDevice device;
            if (!device.Open(pty.SlavePath())) ::_exit(1);
            ::raise(signal);
            ::_exit(2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        int set = 0;
        EXPECT_EQ(::ioctl(observer, TIOCGEXCL, &set), 0);
        EXPECT_EQ(set != 0, signal == SIGKILL);
        ::close(observer);
    }
}

bool ProcessHolds(const std::string& path) {
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(fd.path(), error) == path) return true;
    }
    return false;
}

TEST(PortLossTest, LostDeviceIsReleasedAndTheSameNameOpensAgainWhenItIsBack) {
    RecordingNotifier notifier;
    CTtyPort port(notifier);
    auto link =
        std::filesystem::temp_directory_path() / ("veld-port-" + std::to_string(::getpid()));
    std::filesystem::remove(link);
    auto first = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(first->SlavePath(), link);
    ASSERT_TRUE(port.Open(link.string(), 115200, 0, 8, 0));
    std::string firstPath = first->SlavePath();
    EXPECT_TRUE(ProcessHolds(firstPath));

    first.reset();  // the adapter is pulled
    ASSERT_TRUE(Eventually([&] { return !port.IsReaderRegistered(); }));
    EXPECT_FALSE(ProcessHolds(firstPath));

    PtyPair second;  // and plugged in again
    std::filesystem::remove(link);
    std::filesystem::create_symlink(second.SlavePath(), link);
    ASSERT_TRUE(port.Open(link.string(), 115200, 0, 8, 0));
    second.Write("#1.STA 0\r");
    EXPECT_TRUE(Eventually([&] { return port.Ring().WriteIndex() == 1; }));
    EXPECT_TRUE(port.Close());
    std::filesystem::remove(link);
    EXPECT_EQ(notifier.Count(), 0u);
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "serial/PortDoctor.h"
#include "support/FakeSerialTree.h"
#include "support/OpenWatch.h"
#include "support/PtyPair.h"

namespace {

namespace fs = std::filesystem;
using Kind = PortFinding::Kind;

// A /proc of made-up processes beside a fake sysfs and /dev, and a group file.
class FakeMachine : public FakeSerialTree {
  public:
    FakeMachine() : m_proc(fs::path(DevRoot()).parent_path() / "proc") {
        fs::create_directories(m_proc);
        std::ofstream(m_proc / "locks");
        std::ofstream{GroupFile()};
    }

    std::string ProcRoot() const { return m_proc.string(); }
    std::string GroupFile() const { return (m_proc.parent_path() / "group").string(); }

    // A process with the given files open.
    void AddProcess(int pid, const std::string& name, const std::vector<std::string>& files = {}) {
        fs::path dir = m_proc / std::to_string(pid);
        fs::create_directories(dir / "fd");
        std::ofstream(dir / "comm") << name << "\n";
        int fd = 3;
        for (const std::string& file : files) {
            fs::create_symlink(file, dir / "fd" / std::to_string(fd++));
        }
    }
    // A flock line as the kernel writes it: file system device in hexadecimal, inode.
    void AddLock(int pid, const std::string& file) {
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        char line[160];
        std::snprintf(line, sizeof line, "1: FLOCK  ADVISORY  WRITE %d %02x:%02x:%llu 0 EOF\n", pid,
                      ::major(st.st_dev), ::minor(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino));
        std::ofstream(m_proc / "locks", std::ios::app) << line;
    }
    void SetGroups(const std::string& lines) { std::ofstream(GroupFile()) << lines; }

    PortDoctor Doctor(const UserIdentity& who) const {
        return PortDoctor({SysRoot(), DevRoot(), ProcRoot(), GroupFile()}, who);
    }
    // A file in the tree with the given mode.
    std::string File(const std::string& name, mode_t mode) const {
        std::string path = (m_proc.parent_path() / name).string();
        std::ofstream(path).put('x');
        ::chmod(path.c_str(), mode);
        return path;
    }

  private:
    fs::path m_proc;
};

const UserIdentity kTechnician{4242, "tech", {4242}};
const FakeSerialTree::UsbDevice kCh340{"1a86", "7523", "", "USB Serial", "", "ch341", "ch341-uart"};

std::vector<Kind> Kinds(const PortDoctor::Report& report) {
    std::vector<Kind> kinds;
    for (const PortFinding& finding : report.findings) kinds.push_back(finding.kind);
    return kinds;
}

const PortFinding* FindingOf(const PortDoctor::Report& report, Kind kind) {
    for (const PortFinding& finding : report.findings) {
        if (finding.kind == kind) return &finding;
    }
    return nullptr;
}

// The permission finding, if any.
const PortFinding* AccessFinding(const PortDoctor::Report& report) {
    for (Kind kind : {Kind::kJoinGroup, Kind::kLogInAgain, Kind::kNoAccess}) {
        if (const PortFinding* finding = FindingOf(report, kind)) return finding;
    }
    return nullptr;
}

// Mode bits and groups as the kernel weighs them, for a user who does not own
// the node; the group file tells who joins the group at the next login.
TEST(PortDoctorTest, PermissionFindingsFollowModeGroupsAndGroupFile) {
    struct Case {
        const char* what;
        mode_t mode;
        bool inGroupNow;
        const char* members;
        std::optional<Kind> expected;
    };
    const Case cases[] = {
        {"group may, user in it", 0660, true, "", std::nullopt},
        {"group may, user not in it", 0660, false, "pi", Kind::kJoinGroup},
        {"group may, user in it from the next login", 0660, false, "pi,tech", Kind::kLogInAgain},
        {"only the owner may", 0600, true, "tech", Kind::kNoAccess},
        {"owner and others may, the group not", 0606, true, "", Kind::kNoAccess},
        {"everyone may", 0666, false, "", std::nullopt},
        {"the group may read only", 0640, false, "", Kind::kNoAccess},
    };
    FakeMachine machine;
    std::string node = machine.File("node", 0);
    // Owned by someone other than root (root passes every check).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(node.c_str(), 4243, -1), 0);
    }
    struct stat st {};
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    ASSERT_NE(st.st_uid, kTechnician.uid);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::chmod(node.c_str(), c.mode);
        machine.SetGroups("plugdev:x:46:tech\ndialout:x:" + std::to_string(st.st_gid) + ":" +
                          c.members + "\n");
        UserIdentity who = kTechnician;
        if (c.inGroupNow) who.groups.push_back(st.st_gid);
        PortDoctor::Report report = machine.Doctor(who).Examine(node);
        const PortFinding* access = AccessFinding(report);
        ASSERT_EQ(access != nullptr, c.expected.has_value());
        if (!access) continue;
        EXPECT_EQ(access->kind, *c.expected);
        EXPECT_EQ(access->group, "dialout");
        EXPECT_EQ(access->user, "tech");
    }
    // Root passes whatever the mode; an owner is judged by the owner's bits alone.
    ::chmod(node.c_str(), 0);
    EXPECT_EQ(AccessFinding(machine.Doctor({0, "root", {0}}).Examine(node)), nullptr);
    ::chmod(node.c_str(), 0066);
    UserIdentity owner{st.st_uid, "owner", {st.st_gid}};
    PortDoctor::Report ownReport = machine.Doctor(owner).Examine(node);
    const PortFinding* access = AccessFinding(ownReport);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->kind, Kind::kNoAccess);
}

// Holders found through the real /proc: this process; another process's
// name comes from the fake /proc below and from veld-para's doctor test.
TEST(PortDoctorTest, NamesTheProcessThatHoldsAPort) {
    PtyPair line;
    PortDoctor doctor;
    // The master side this test holds is another device: the port is free.
    PortDoctor::Report free = doctor.Examine(line.SlavePath());
    EXPECT_EQ(Kinds(free), std::vector<Kind>{Kind::kReady});
    int fd = ::open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    PortDoctor::Report held = doctor.Examine(line.SlavePath(), EBUSY);
    ::close(fd);
    EXPECT_EQ(Kinds(held), std::vector<Kind>{Kind::kHeldBy});
    EXPECT_EQ(held.Verdict().pid, ::getpid());
    EXPECT_TRUE(held.Verdict().self);
    // Nobody holds it now; an open that failed all the same says why.
    PortDoctor::Report failed = doctor.Examine(line.SlavePath(), EIO);
    EXPECT_EQ(Kinds(failed), std::vector<Kind>{Kind::kOpenFailed});
    EXPECT_EQ(failed.Verdict().error, EIO);
}

TEST(PortDoctorTest, HoldersByOpenFilesAndLocksOfAnyUser) {
    FakeMachine machine;
    std::string node = machine.File("node", 0666);
    std::string other = machine.File("other", 0666);
    machine.AddProcess(812, "brltty", {other, node});
    machine.AddProcess(900, "bash", {other});
    // Another user's process: its files are hidden, its lock is not.
    machine.AddProcess(1234, "minicom");
    machine.AddLock(1234, node);
    machine.AddLock(900, other);
    PortDoctor::Report report = machine.Doctor(kTechnician).Examine(node, EBUSY);
    std::vector<std::pair<int, std::string>> holders;
    for (const PortFinding& f : report.findings) {
        if (f.kind == Kind::kHeldBy) holders.emplace_back(f.pid, f.process);
    }
    EXPECT_EQ(holders,
              (std::vector<std::pair<int, std::string>>{{812, "brltty"}, {1234, "minicom"}}));
    EXPECT_EQ(FindingOf(report, Kind::kHolderHidden), nullptr);
    // Busy, and nobody to be seen.
    PortDoctor::Report busy =
        machine.Doctor(kTechnician).Examine(machine.File("lone", 0666), EBUSY);
    EXPECT_NE(FindingOf(busy, Kind::kHolderHidden), nullptr);
}

// Services that take adapters, by the kind of adapter; nodes lead to /dev/null,
// a character device anyone may open.
TEST(PortDoctorTest, ServicesThatClaimThisKindOfAdapter) {
    struct Case {
        const char* what;
        FakeSerialTree::UsbDevice usb;
        const char* tty;
        const char* service;
        std::vector<Kind> expected;
    };
    const FakeSerialTree::UsbDevice ftdi{"0403", "6001",     "FTDI",    "FT232R",
                                         "A5",   "ftdi_sio", "ftdi_sio"};
    const FakeSerialTree::UsbDevice acm{"2341", "0043", "Arduino", "", "7573", "cdc_acm", ""};
    const Case cases[] = {
        {"brltty, CH340", kCh340, "ttyUSB0", "brltty", {Kind::kBrltty}},
        {"brltty, FTDI", ftdi, "ttyUSB0", "brltty", {Kind::kReady}},
        {"bash, CH340", kCh340, "ttyUSB0", "bash", {Kind::kReady}},
        {"ModemManager, ACM", acm, "ttyACM0", "ModemManager", {Kind::kModemManager, Kind::kReady}},
        {"ModemManager, CH340", kCh340, "ttyUSB0", "ModemManager", {Kind::kReady}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMachine machine;
        machine.AddUsbPort(c.tty, "1-2", c.usb);
        machine.AddNode(c.tty, "/dev/null");
        machine.AddProcess(812, c.service);
        PortDoctor::Report report =
            machine.Doctor(kTechnician).Examine(machine.DevRoot() + "/" + c.tty);
        EXPECT_EQ(Kinds(report), c.expected);
        ASSERT_TRUE(report.port.has_value());
        EXPECT_EQ(report.port->name, c.tty);
    }
}

TEST(PortDoctorTest, PortsThatAreNotThere) {
    FakeMachine machine;
    machine.AddProcess(812, "brltty");
    // brltty took the CH340 from its driver: the adapter is plugged in, its port is gone.
    machine.AddUsbPort("ttyUSB0", "1-2", kCh340);
    machine.Unplug("ttyUSB0");
    std::string dev = machine.DevRoot();
    PortDoctor doctor = machine.Doctor(kTechnician);
    PortDoctor::Report taken = doctor.Examine(dev + "/ttyUSB0");
    EXPECT_EQ(Kinds(taken), (std::vector<Kind>{Kind::kBrltty, Kind::kNoSuchDevice}));
    EXPECT_EQ(taken.Verdict().usbId, "1a86:7523");
    EXPECT_EQ(taken.Verdict().pid, 812);

    // A ttyS with no UART behind it exists in name only.
    machine.AddTty("ttyS3", "platform/serial8250");
    machine.AddAttribute("class/tty/ttyS3/type", "0");
    machine.AddNode("ttyS3", "/dev/null");
    EXPECT_EQ(Kinds(doctor.Examine(dev + "/ttyS3")), std::vector<Kind>{Kind::kNoUart});

    EXPECT_EQ(Kinds(doctor.Examine(machine.File("plain", 0666))),
              std::vector<Kind>{Kind::kNotADevice});
    EXPECT_EQ(Kinds(doctor.Examine("")), std::vector<Kind>{Kind::kNoSuchDevice});
}

TEST(PortDoctorTest, OpensNoDeviceNode) {
    FakeMachine machine;
    machine.AddUsbPort("ttyUSB0", "1-2", kCh340);
    machine.AddNode("ttyUSB0");
    ::chmod((machine.DevRoot() + "/ttyUSB0").c_str(), 0666);
    machine.AddSerialLink("by-id", "usb-1a86_USB_Serial-if00-port0", "ttyUSB0");
    machine.AddProcess(812, "brltty", {machine.DevRoot() + "/ttyUSB0"});
    OpenWatch watch({machine.DevRoot(), machine.DevRoot() + "/serial/by-id"});
    PortDoctor::Report report =
        machine.Doctor(kTechnician)
            .Examine(machine.DevRoot() + "/serial/by-id/usb-1a86_USB_Serial-if00-port0");
    EXPECT_EQ(Kinds(report), (std::vector<Kind>{Kind::kNotADevice, Kind::kHeldBy, Kind::kBrltty}));
    EXPECT_EQ(watch.OpenedFiles(), std::vector<std::string>{});
}

}  // namespace

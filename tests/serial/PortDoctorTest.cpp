#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "serial/PortDoctor.h"
#include "serial/PortFindingWords.h"
#include "support/FakeSerialTree.h"
#include "support/OpenWatch.h"
#include "support/PtyPair.h"

namespace {

namespace fs = std::filesystem;
using Kind = PortFinding::Kind;

constexpr uid_t kTechnicianUid = 4242;

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

    // A process of user `uid` with the given files open.
    void AddProcess(int pid, const std::string& name, const std::vector<std::string>& files = {},
                    uid_t uid = kTechnicianUid) {
        fs::path dir = m_proc / std::to_string(pid);
        fs::create_directories(dir / "fd");
        std::ofstream(dir / "comm") << name << "\n";
        std::ofstream(dir / "status") << "Name:\t" << name << "\nUid:\t" << uid << "\t" << uid
                                      << "\t" << uid << "\t" << uid << "\n";
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

const UserIdentity kTechnician{kTechnicianUid, "tech", {4242}};
const FakeSerialTree::UsbDevice kCh340{"1a86", "7523", "", "USB Serial", "", "ch341", "ch341-uart"};

std::vector<Kind> Kinds(const PortDoctor::Report& report) {
    std::vector<Kind> kinds;
    for (const PortFinding& finding : report.findings) kinds.push_back(finding.kind);
    return kinds;
}

// Mode bits and groups as the kernel weighs them: root passes, the owner is
// judged by the owner's bits alone; the group file tells who joins the group
// at the next login.
TEST(PortDoctorTest, PermissionFindingsFollowModeGroupsAndGroupFile) {
    enum Who { kOther, kInGroup, kOwner, kRoot };
    struct Case {
        const char* what;
        mode_t mode;
        Who who;
        const char* members;
        std::optional<Kind> expected;
    };
    const Case cases[] = {
        {"group may, user in it", 0660, kInGroup, "", std::nullopt},
        {"group may, user not in it", 0660, kOther, "pi", Kind::kJoinGroup},
        {"group may, user in it from the next login", 0660, kOther, "pi,tech", Kind::kLogInAgain},
        {"owner and others may, the group not", 0606, kInGroup, "tech", Kind::kNoAccess},
        {"everyone may", 0666, kOther, "", std::nullopt},
        {"the group may read only", 0640, kOther, "", Kind::kNoAccess},
        {"root", 0, kRoot, "", std::nullopt},
        {"the owner may not, the others may", 0066, kOwner, "", Kind::kNoAccess},
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
        std::ofstream(machine.GroupFile())
            << "plugdev:x:46:tech\ndialout:x:" << st.st_gid << ":" << c.members << "\n";
        UserIdentity who = kTechnician;
        if (c.who == kInGroup) who.groups.push_back(st.st_gid);
        if (c.who == kOwner) who = {st.st_uid, "tech", {st.st_gid}};
        if (c.who == kRoot) who = {0, "tech", {0}};
        PortDoctor::Report report = machine.Doctor(who).Examine(node);
        // A plain file is no device; what follows that is about access.
        std::vector<Kind> expected{Kind::kNotADevice};
        if (c.expected) expected.push_back(*c.expected);
        ASSERT_EQ(Kinds(report), expected);
        if (!c.expected) continue;
        EXPECT_EQ(report.findings.back().group, "dialout");
        EXPECT_EQ(report.findings.back().user, "tech");
    }
}

// Through the real /proc, where the master side this test holds is another
// device: the port is free, and an open that failed all the same says why.
// Holders there are named in veld-para's and the GUI's doctor tests.
TEST(PortDoctorTest, AFreePortIsReadyOrTellsWhyItDidNotOpen) {
    PtyPair line;
    PortDoctor doctor;
    EXPECT_EQ(Kinds(doctor.Examine(line.SlavePath())), std::vector<Kind>{Kind::kReady});
    // A program that serves the pseudo-terminal (a simulator) and holds its
    // terminal side as well is the line, not a user of it.
    int served = ::open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(served, 0);
    EXPECT_EQ(Kinds(doctor.Examine(line.SlavePath())), std::vector<Kind>{Kind::kReady});
    ::close(served);
    PortDoctor::Report failed = doctor.Examine(line.SlavePath(), EIO);
    EXPECT_EQ(Kinds(failed), std::vector<Kind>{Kind::kOpenFailed});
    EXPECT_EQ(failed.Verdict().error, EIO);
}

// A CH340 whose node (a FIFO) brltty holds open and minicom of another user
// has locked, asked for by its udev link: all of it is found without opening
// a device node, each holder with its user and how it holds the port.
TEST(PortDoctorTest, HoldersByOpenFilesAndLocksOfAnyUser) {
    FakeMachine machine;
    machine.AddUsbPort("ttyUSB0", "1-2", kCh340);
    machine.AddNode("ttyUSB0");
    std::string node = machine.DevRoot() + "/ttyUSB0";
    ::chmod(node.c_str(), 0666);
    machine.AddSerialLink("by-id", "usb-1a86_USB_Serial-if00-port0", "ttyUSB0");
    std::string other = machine.File("other", 0666);
    machine.AddProcess(812, "brltty", {other, node});
    machine.AddProcess(900, "bash", {other});
    // Another user's process (root's): its files are hidden, its lock is not.
    machine.AddProcess(1234, "minicom", {}, 0);
    machine.AddLock(1234, node);
    machine.AddLock(900, other);
    OpenWatch watch({machine.DevRoot(), machine.DevRoot() + "/serial/by-id"});
    PortDoctor::Report report =
        machine.Doctor(kTechnician)
            .Examine(machine.DevRoot() + "/serial/by-id/usb-1a86_USB_Serial-if00-port0", EBUSY);
    EXPECT_EQ(watch.OpenedFiles(), std::vector<std::string>{});
    ASSERT_EQ(Kinds(report),
              (std::vector<Kind>{Kind::kNotADevice, Kind::kHeldBy, Kind::kHeldBy, Kind::kBrltty}));
    const PortFinding& brltty = report.findings[1];
    EXPECT_EQ(brltty.pid, 812);
    EXPECT_EQ(brltty.process, "brltty");
    EXPECT_EQ(brltty.user, UserIdentity::NameOf(kTechnicianUid));
    EXPECT_FALSE(brltty.otherUser);
    // The lock refused the open; brltty only has it open.
    EXPECT_EQ(brltty.hold, PortFinding::Hold::kOpen);
    const PortFinding& minicom = report.findings[2];
    EXPECT_EQ(minicom.pid, 1234);
    EXPECT_EQ(minicom.process, "minicom");
    EXPECT_EQ(minicom.user, "root");
    EXPECT_TRUE(minicom.otherUser);
    EXPECT_EQ(minicom.hold, PortFinding::Hold::kLock);
    // Without a lock about, a refused open was refused by the holder's exclusive
    // flag; an open that was not refused, by nothing.
    std::string solo = machine.File("solo", 0666);
    machine.AddProcess(950, "screen", {solo});
    for (auto [error, hold] : {std::pair{EBUSY, PortFinding::Hold::kExclusive},
                               std::pair{0, PortFinding::Hold::kOpen}}) {
        PortDoctor::Report held = machine.Doctor(kTechnician).Examine(solo, error);
        ASSERT_EQ(Kinds(held), (std::vector<Kind>{Kind::kNotADevice, Kind::kHeldBy}));
        EXPECT_EQ(held.findings[1].hold, hold);
    }

    // Busy, and nobody to be seen.
    PortDoctor::Report busy =
        machine.Doctor(kTechnician).Examine(machine.File("lone", 0666), EBUSY);
    EXPECT_EQ(Kinds(busy), (std::vector<Kind>{Kind::kNotADevice, Kind::kHolderHidden}));
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
        {"brltty, FTDI", ftdi, "ttyUSB0", "brltty", {Kind::kReady}},
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
    }
}

TEST(PortDoctorTest, PortsThatAreNotThere) {
    FakeMachine machine;
    machine.AddProcess(812, "brltty");
    // brltty took the CH340 from its driver: the adapter is plugged in, its port is gone.
    machine.AddUsbPort("ttyUSB0", "1-2", kCh340);
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
    EXPECT_EQ(Kinds(doctor.Examine("")), std::vector<Kind>{Kind::kNoSuchDevice});
}

// The GUI and veld-para say each finding from one row: every kind has a name
// of its own for scripts, a reason in both languages, and a remedy in both or
// in neither.
TEST(PortDoctorTest, EveryFindingHasItsNameAndBothLanguages) {
    std::set<std::string> names;
    for (int kind = 0; kind <= static_cast<int>(Kind::kServerAnswers); ++kind) {
        PortFinding finding;
        finding.kind = static_cast<Kind>(kind);
        finding.path = "tcp://drive:4001";
        PortFindingWords words = PortFindingWords::Of(finding);
        SCOPED_TRACE(words.name);
        EXPECT_TRUE(names.insert(words.name).second);
        EXPECT_FALSE(words.reason.korean.empty());
        EXPECT_FALSE(words.reason.english.empty());
        EXPECT_EQ(words.remedy.korean.empty(), words.remedy.english.empty());
    }
    EXPECT_EQ(names.count(""), 0u);
}

}  // namespace

#include "serial/PortDoctor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "serial/DeviceAccess.h"
#include "serial/NetAddress.h"
#include "serial/NetDevice.h"
#include "serial/PortMap.h"

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool IsBrlttyUsbId(const std::string& usbId) {
    return std::any_of(std::begin(PortDoctor::kBrlttyUsbIds), std::end(PortDoctor::kBrlttyUsbIds),
                       [&](const char* id) { return usbId == id; });
}

PortFinding Found(PortFinding::Kind kind, const std::string& path) {
    PortFinding finding;
    finding.kind = kind;
    finding.path = path;
    return finding;
}

// What a failed network open's error says, or what a probe found (error 0).
PortFinding::Kind NetworkKind(int error) {
    using Kind = PortFinding::Kind;
    switch (error) {
        case 0:
            return Kind::kServerAnswers;
        case NetDevice::kUnresolved:
            return Kind::kNameUnresolved;
        case ECONNREFUSED:
            return Kind::kRefused;
        case ETIMEDOUT:
            return Kind::kNoAnswer;
        case NetDevice::kClosed:
            return Kind::kClosedAtOnce;
        case NetDevice::kNoTelnet:
            return Kind::kNoTelnet;
        case NetDevice::kTelnetRefused:
            return Kind::kTelnetRefused;
        case NetDevice::kLineRefused:
            return Kind::kLineRefused;
        default:
            return Kind::kOpenFailed;
    }
}

// The first line of what a server said, in printable ASCII.
std::string FirstLine(const std::string& text) {
    std::string line;
    for (char c : text.substr(0, text.find_first_of("\r\n"))) {
        line += c >= ' ' && c <= '~' ? c : '?';
    }
    return line;
}

}  // namespace

bool PortDoctor::Report::Ready() const {
    return std::none_of(findings.begin(), findings.end(),
                        [](const PortFinding& f) { return f.Blocks(); });
}

const PortFinding& PortDoctor::Report::Verdict() const {
    auto blocking = std::find_if(findings.begin(), findings.end(),
                                 [](const PortFinding& f) { return f.Blocks(); });
    return blocking != findings.end() ? *blocking : findings.back();
}

PortDoctor::PortDoctor() : PortDoctor(Roots{}, UserIdentity::OfThisProcess()) {}

PortDoctor::PortDoctor(Roots roots, UserIdentity who)
    : m_roots(std::move(roots)),
      m_who(std::move(who)),
      m_inventory(m_roots.sys, m_roots.dev),
      m_processes(m_roots.proc) {}

PortDoctor::Report PortDoctor::Examine(const std::string& name, int openError) const {
    Report report;
    report.name = name;
    report.path = PortMap::Resolve(name);
    if (NetAddress::IsNetworkName(report.path)) {
        ExamineNetwork(report, openError);
        return report;
    }
    if (report.path.empty()) {
        report.findings.push_back(Found(PortFinding::Kind::kNoSuchDevice, name));
    } else {
        ExamineNode(report, openError);
    }
    if (report.Ready() && openError != 0) {
        PortFinding failed = Found(PortFinding::Kind::kOpenFailed, report.path);
        failed.error = openError;
        report.findings.push_back(failed);
    }
    if (report.Ready()) report.findings.push_back(Found(PortFinding::Kind::kReady, report.path));
    return report;
}

void PortDoctor::ExamineNode(Report& report, int openError) const {
    struct stat node {};
    if (::stat(report.path.c_str(), &node) != 0) {
        // brltty takes a CH340 or CP210x from its driver, so its port goes away:
        // the cause comes before what it caused.
        std::string usbId = PortlessBrlttyAdapter();
        for (const ProcessTable::Process& brltty : m_processes.Named("brltty")) {
            if (usbId.empty()) break;
            PortFinding finding = Found(PortFinding::Kind::kBrltty, report.path);
            finding.pid = brltty.pid;
            finding.usbId = usbId;
            report.findings.push_back(finding);
        }
        report.findings.push_back(Found(PortFinding::Kind::kNoSuchDevice, report.path));
        return;
    }
    report.port = FindPort(report.path);
    // A ttyS by its own name, or by the name of the node a link leads to.
    std::string device = fs::path(report.path).filename();
    std::error_code error;
    if (!StartsWith(device, "ttyS")) device = fs::canonical(report.path, error).filename();
    if (!S_ISCHR(node.st_mode)) {
        report.findings.push_back(Found(PortFinding::Kind::kNotADevice, report.path));
    } else if (StartsWith(device, "ttyS") && !HasUart(device)) {
        report.findings.push_back(Found(PortFinding::Kind::kNoUart, report.path));
    }
    ExamineAccess(report, node);
    ExamineHolders(report, node, openError);
    ExamineServices(report);
}

void PortDoctor::ExamineAccess(Report& report, const struct stat& node) const {
    DeviceAccess::Result access = DeviceAccess::Check(node, m_who, m_roots.groupFile);
    PortFinding finding = Found(PortFinding::Kind::kJoinGroup, report.path);
    finding.user = m_who.name;
    finding.group = access.group;
    switch (access.verdict) {
        case DeviceAccess::Verdict::kAllowed:
            return;
        case DeviceAccess::Verdict::kJoinGroup:
            break;
        case DeviceAccess::Verdict::kLogInAgain:
            finding.kind = PortFinding::Kind::kLogInAgain;
            break;
        case DeviceAccess::Verdict::kDenied:
            finding.kind = PortFinding::Kind::kNoAccess;
            break;
    }
    report.findings.push_back(finding);
}

void PortDoctor::ExamineHolders(Report& report, const struct stat& node, int openError) const {
    ProcessTable::Holders holders = m_processes.HoldersOf(node);
    bool anyLock = std::any_of(holders.processes.begin(), holders.processes.end(),
                               [](const ProcessTable::Process& p) { return p.locks; });
    for (const ProcessTable::Process& holder : holders.processes) {
        PortFinding finding = Found(PortFinding::Kind::kHeldBy, report.path);
        finding.pid = holder.pid;
        finding.process = holder.name;
        finding.self = holder.pid == ::getpid();
        bool known = holder.uid != static_cast<uid_t>(-1);
        finding.user = known ? UserIdentity::NameOf(holder.uid) : "";
        finding.otherUser = known && holder.uid != m_who.uid;
        // A refused open with no lock about was refused by the exclusive flag.
        if (holder.locks) {
            finding.hold = PortFinding::Hold::kLock;
        } else if (openError == EBUSY && !anyLock) {
            finding.hold = PortFinding::Hold::kExclusive;
        }
        report.findings.push_back(finding);
    }
    if (holders.processes.empty() && openError == EBUSY) {
        report.findings.push_back(Found(PortFinding::Kind::kHolderHidden, report.path));
    }
}

void PortDoctor::ExamineServices(Report& report) const {
    if (!report.port) return;
    const PortInventory::Port& port = *report.port;
    auto note = [&](PortFinding::Kind kind, const std::string& service) {
        for (const ProcessTable::Process& process : m_processes.Named(service)) {
            PortFinding finding = Found(kind, report.path);
            finding.pid = process.pid;
            finding.usbId = port.usbId;
            report.findings.push_back(finding);
        }
    };
    if (IsBrlttyUsbId(port.usbId)) note(PortFinding::Kind::kBrltty, "brltty");
    if (StartsWith(port.name, "ttyACM") || port.driver == "cdc_acm") {
        note(PortFinding::Kind::kModemManager, "ModemManager");
    }
}

bool PortDoctor::HasUart(const std::string& name) const {
    std::string type = PortInventory::Attribute(m_roots.sys / "class" / "tty" / name / "type");
    return type.empty() || std::strtol(type.c_str(), nullptr, 10) != 0;
}

std::string PortDoctor::PortlessBrlttyAdapter() const {
    std::vector<PortInventory::Port> ports = m_inventory.Ports();
    std::error_code error;
    for (fs::directory_iterator it(m_roots.sys / "bus" / "usb" / "devices", error), end;
         !error && it != end; it.increment(error)) {
        std::string usbId = PortInventory::Attribute(it->path() / "idVendor") + ":" +
                            PortInventory::Attribute(it->path() / "idProduct");
        bool hasPort = std::any_of(ports.begin(), ports.end(),
                                   [&](const PortInventory::Port& p) { return p.usbId == usbId; });
        if (IsBrlttyUsbId(usbId) && !hasPort) return usbId;
    }
    return "";
}

void PortDoctor::ExamineNetwork(Report& report, int openError) const {
    std::optional<NetAddress> address = NetAddress::Parse(report.path);
    if (!address) {
        report.findings.push_back(Found(PortFinding::Kind::kBadAddress, report.path));
        return;
    }
    int error = openError;
    std::string said;
    // A failed open's reason stands, but for a close, whose words a probe hears.
    if (error == 0 || error == NetDevice::kClosed) {
        NetDevice probe;
        if (probe.Open(report.path)) {
            error = probe.ServerCloses(kServerCloseWait) ? NetDevice::kClosed : 0;
        } else {
            error = probe.Error();
        }
        said = FirstLine(probe.OpenText());
    }
    PortFinding finding = Found(NetworkKind(error), report.path);
    finding.host = address->host;
    finding.error = error;
    finding.said = said;
    report.findings.push_back(finding);
}

std::optional<PortInventory::Port> PortDoctor::FindPort(const std::string& path) const {
    std::error_code error;
    fs::path target = fs::canonical(path, error);
    if (error) return std::nullopt;
    for (const PortInventory::Port& port : m_inventory.Ports()) {
        std::error_code other;
        if (fs::canonical(port.path, other) == target && !other) return port;
    }
    return std::nullopt;
}

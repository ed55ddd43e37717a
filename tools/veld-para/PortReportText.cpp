#include "PortReportText.h"

#include <cstring>
#include <sstream>
#include <vector>

#include "serial/NetAddress.h"
#include "serial/NetDevice.h"

namespace {

using Kind = PortFinding::Kind;

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::kReady:
            return "ready";
        case Kind::kNoSuchDevice:
            return "no-such-device";
        case Kind::kNotADevice:
            return "not-a-device";
        case Kind::kNoUart:
            return "no-uart";
        case Kind::kJoinGroup:
            return "join-group";
        case Kind::kLogInAgain:
            return "log-in-again";
        case Kind::kNoAccess:
            return "no-access";
        case Kind::kHeldBy:
            return "held-by";
        case Kind::kHolderHidden:
            return "holder-hidden";
        case Kind::kBrltty:
            return "brltty";
        case Kind::kModemManager:
            return "modem-manager";
        case Kind::kOpenFailed:
            return "open-failed";
        case Kind::kBadAddress:
            return "bad-address";
        case Kind::kNameUnresolved:
            return "name-unresolved";
        case Kind::kRefused:
            return "connection-refused";
        case Kind::kNoAnswer:
            return "no-answer";
        case Kind::kClosedAtOnce:
            return "closed-at-once";
        case Kind::kNoTelnet:
            return "no-telnet";
        case Kind::kTelnetRefused:
            return "telnet-refused";
        case Kind::kLineRefused:
            return "line-refused";
        case Kind::kServerAnswers:
            return "server-answers";
    }
    return "";
}

const char* HoldName(PortFinding::Hold hold) {
    switch (hold) {
        case PortFinding::Hold::kOpen:
            return "open";
        case PortFinding::Hold::kLock:
            return "lock";
        case PortFinding::Hold::kExclusive:
            return "exclusive";
    }
    return "";
}

// What a holder's hold does to an open.
std::string HoldText(PortFinding::Hold hold) {
    switch (hold) {
        case PortFinding::Hold::kOpen:
            return "it has the port open: the open is not refused, but both programs would take "
                   "each other's bytes";
        case PortFinding::Hold::kLock:
            return "it holds a lock on the port, so the open is refused";
        case PortFinding::Hold::kExclusive:
            return "it holds the port exclusively, so the open is refused";
    }
    return "";
}

std::string Pid(int pid) { return " (PID " + std::to_string(pid) + ")"; }

nlohmann::ordered_json Json(const PortFinding& f) {
    nlohmann::ordered_json finding = {{"kind", KindName(f.kind)},
                                      {"blocks", f.Blocks()},
                                      {"reason", PortReportText::Reason(f)},
                                      {"remedy", PortReportText::Remedy(f)},
                                      {"path", f.path}};
    if (!f.group.empty()) finding["group"] = f.group;
    if (!f.user.empty()) finding["user"] = f.user;
    if (f.pid != 0) finding["pid"] = f.pid;
    if (!f.process.empty()) finding["process"] = f.process;
    if (f.kind == Kind::kHeldBy) {
        finding["self"] = f.self;
        finding["hold"] = HoldName(f.hold);
        finding["otherUser"] = f.otherUser;
    }
    if (!f.host.empty()) finding["host"] = f.host;
    if (!f.said.empty()) finding["said"] = f.said;
    if (!f.usbId.empty()) finding["usbId"] = f.usbId;
    if (f.error != 0) finding["error"] = std::strerror(f.error);
    return finding;
}

}  // namespace

std::string PortReportText::Header(const PortDoctor::Report& report) {
    std::string text = report.name;
    if (!report.path.empty() && report.path != report.name) text += " (" + report.path + ")";
    if (report.port && !report.port->Description().empty()) {
        text += "\n    " + report.port->Description();
    }
    return text + "\n";
}

std::string PortReportText::Reason(const PortFinding& f) {
    switch (f.kind) {
        case Kind::kReady:
            return "ready: may be read and written, no program has it open";
        case Kind::kNoSuchDevice:
            return "no such device: " + f.path;
        case Kind::kNotADevice:
            return "not a serial device: " + f.path;
        case Kind::kNoUart:
            return "no UART behind " + f.path + " (a port in name only)";
        case Kind::kJoinGroup:
            return "permission denied: group " + f.group + " may use it, user " + f.user +
                   " is not in it";
        case Kind::kLogInAgain:
            return "permission denied: user " + f.user + " is in group " + f.group +
                   " from the next login on";
        case Kind::kNoAccess:
            return "permission denied: only its owner may use it";
        case Kind::kHeldBy: {
            if (f.self) return "in use by this program" + Pid(f.pid);
            std::string user = f.user.empty() ? "" : ", user " + f.user;
            return "in use by \"" + f.process + "\" (PID " + std::to_string(f.pid) + user +
                   "): " + HoldText(f.hold);
        }
        case Kind::kHolderHidden:
            return "busy: the open was refused, and no program you may see holds the port: "
                   "another user's program holds it exclusively, or a program that was killed "
                   "left its exclusive flag on (a pseudo-terminal keeps it)";
        case Kind::kBrltty:
            return "brltty" + Pid(f.pid) + " takes adapters of this kind (USB " + f.usbId + ")";
        case Kind::kModemManager:
            return "ModemManager" + Pid(f.pid) + " probes new ACM devices for a few seconds";
        case Kind::kOpenFailed:
            return std::string("cannot open: ") + std::strerror(f.error);
        case Kind::kBadAddress:
            return "not a network port: " + f.path;
        case Kind::kNameUnresolved:
            return "the name " + f.host + " does not resolve";
        case Kind::kRefused:
            return "connection refused: nothing listens at " + f.path;
        case Kind::kNoAnswer:
            return "no answer from " + f.host + " within " +
                   std::to_string(NetDevice::kOpenTimeout.count() / 1000) + " s";
        case Kind::kClosedAtOnce:
            return "the server closed the connection at once" +
                   (f.said.empty() ? "" : " (it said: \"" + f.said + "\")");
        case Kind::kNoTelnet:
            return "no Telnet answer: the server does not offer RFC 2217 (a raw TCP port?)";
        case Kind::kTelnetRefused:
            return "the server speaks Telnet but refused binary mode or the COM-PORT-OPTION "
                   "(RFC 2217)";
        case Kind::kLineRefused:
            return "the server did not take the line settings (rate, data bits, parity, stop "
                   "bits)";
        case Kind::kServerAnswers:
            return NetAddress::Parse(f.path)->kind == NetAddress::Kind::kRfc2217
                       ? "ready: the server accepts the connection and RFC 2217"
                       : "ready: the server accepts the connection (it owns the line settings)";
    }
    return "";
}

std::string PortReportText::Remedy(const PortFinding& f) {
    switch (f.kind) {
        case Kind::kNoSuchDevice:
            return "plug the adapter in and see veld-para ports;\n"
                   "a COM name opens the device given with --port-map COMn=PATH";
        case Kind::kNotADevice:
            return "name a serial device (see veld-para ports)";
        case Kind::kNoUart:
            return "name the adapter's port (see veld-para ports), or map the COM name:\n"
                   "--port-map COM1=/dev/ttyUSB0";
        case Kind::kJoinGroup:
            return "sudo usermod -aG " + f.group + " " + f.user + "\nthen log out and in again";
        case Kind::kLogInAgain:
            return "log out and in again (or reboot)";
        case Kind::kNoAccess:
            return "ask the administrator for a udev rule that lets a group read and write it "
                   "(MODE=\"0660\")";
        case Kind::kHeldBy:
            if (f.self) return "";
            if (f.otherUser || f.user.empty()) {
                std::string who = f.user.empty() ? "its user" : f.user;
                return "ask " + who + " to end that program, or an administrator:\nsudo kill " +
                       std::to_string(f.pid);
            }
            return "end that program:\nkill " + std::to_string(f.pid);
        case Kind::kHolderHidden:
            return "see who holds it:\nsudo fuser -v " + f.path +
                   "\nwhen nobody does, the flag was left behind: veld-drive-sim clears it "
                   "by itself within a moment;\nrestart any other program that serves the "
                   "pseudo-terminal, or unplug the adapter and plug it in again";
        case Kind::kBrltty:
            return "without a braille display, remove brltty and plug the adapter in again:\n"
                   "sudo apt remove brltty\n"
                   "or keep it and stop it from taking adapters:\n"
                   "sudo systemctl mask brltty-udev.service brltty.service";
        case Kind::kModemManager:
            return "try again in a few seconds; to keep ModemManager off this device, a udev rule "
                   "with ENV{ID_MM_DEVICE_IGNORE}=\"1\", or:\n"
                   "sudo systemctl stop ModemManager";
        case Kind::kBadAddress:
            return "name it tcp://HOST:PORT or rfc2217://HOST:PORT (an IPv6 address in "
                   "brackets: rfc2217://[::1]:4001)";
        case Kind::kNameUnresolved:
            return "check the name, or give the server's address: tcp://192.0.2.7:4001";
        case Kind::kRefused:
            return "start the server (ser2net) and check the port number in its configuration";
        case Kind::kNoAnswer:
            return "check the address, that the server is on the network, and that no "
                   "firewall drops the connection";
        case Kind::kClosedAtOnce:
            return "another client holds the port, or the server takes one client at a time: "
                   "end the other connection, then try again (ser2net: max-connections)";
        case Kind::kNoTelnet:
            return "a raw TCP port is named tcp://HOST:PORT; for RFC 2217 the server's "
                   "accepter must be telnet(rfc2217)";
        case Kind::kTelnetRefused:
            return "name it tcp://HOST:PORT, or let the server offer RFC 2217:\n"
                   "accepter: telnet(rfc2217),tcp,PORT";
        case Kind::kLineRefused:
            return "choose a rate and format that the server's serial port supports";
        case Kind::kReady:
        case Kind::kOpenFailed:
        case Kind::kServerAnswers:
            break;
    }
    return "";
}

std::string PortReportText::Findings(const PortDoctor::Report& report) {
    std::string text;
    for (const PortFinding& finding : report.findings) {
        text += "- " + Reason(finding) + "\n";
        std::istringstream remedy(Remedy(finding));
        for (std::string line; std::getline(remedy, line);) text += "    " + line + "\n";
    }
    return text;
}

std::string PortReportText::Hardware(const PortInventory::Port& port) {
    std::vector<std::string> parts = port.DescriptionParts();
    std::string text;
    for (size_t i = port.byId.size(); i < parts.size(); ++i) {
        text += (text.empty() ? "" : ", ") + parts[i];
    }
    return text;
}

nlohmann::ordered_json PortReportText::FindingsJson(const PortDoctor::Report& report) {
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const PortFinding& finding : report.findings) findings.push_back(::Json(finding));
    return findings;
}

nlohmann::ordered_json PortReportText::PortJson(const PortInventory::Port& port) {
    return {{"name", port.name},
            {"path", port.path},
            {"byId", port.byId},
            {"byPath", port.byPath},
            {"driver", port.driver},
            {"usbId", port.usbId},
            {"manufacturer", port.manufacturer},
            {"product", port.product},
            {"serial", port.serial},
            {"description", port.Description()}};
}

#include "PortReportText.h"

#include <cstring>
#include <sstream>
#include <vector>

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
    if (f.kind == Kind::kHeldBy) finding["self"] = f.self;
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
        case Kind::kHeldBy:
            if (f.self) return "in use by this program" + Pid(f.pid);
            return "in use by \"" + f.process + "\"" + Pid(f.pid);
        case Kind::kHolderHidden:
            return "in use by another user's program";
        case Kind::kBrltty:
            return "brltty" + Pid(f.pid) + " takes adapters of this kind (USB " + f.usbId + ")";
        case Kind::kModemManager:
            return "ModemManager" + Pid(f.pid) + " probes new ACM devices for a few seconds";
        case Kind::kOpenFailed:
            return std::string("cannot open: ") + std::strerror(f.error);
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
            return "end that program:\nkill " + std::to_string(f.pid);
        case Kind::kHolderHidden:
            return "see which program it is:\nsudo fuser -v " + f.path;
        case Kind::kBrltty:
            return "without a braille display, remove brltty and plug the adapter in again:\n"
                   "sudo apt remove brltty\n"
                   "or keep it and stop it from taking adapters:\n"
                   "sudo systemctl mask brltty-udev.service brltty.service";
        case Kind::kModemManager:
            return "try again in a few seconds; to keep ModemManager off this device, a udev rule "
                   "with ENV{ID_MM_DEVICE_IGNORE}=\"1\", or:\n"
                   "sudo systemctl stop ModemManager";
        case Kind::kReady:
        case Kind::kOpenFailed:
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

#include "PortReportText.h"

#include <CLI/StringTools.hpp>
#include <cstring>
#include <sstream>
#include <vector>

#include "serial/PortFindingWords.h"

namespace {

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

nlohmann::ordered_json FindingJson(const PortFinding& f) {
    PortFindingWords words = PortFindingWords::Of(f);
    nlohmann::ordered_json finding = {{"kind", words.name},
                                      {"blocks", f.Blocks()},
                                      {"reason", words.reason.english},
                                      {"remedy", words.remedy.english},
                                      {"path", f.path}};
    if (!f.group.empty()) finding["group"] = f.group;
    if (!f.user.empty()) finding["user"] = f.user;
    if (f.pid != 0) finding["pid"] = f.pid;
    if (!f.process.empty()) finding["process"] = f.process;
    if (f.kind == PortFinding::Kind::kHeldBy) {
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

std::string PortReportText::Findings(const PortDoctor::Report& report) {
    std::string text;
    for (const PortFinding& finding : report.findings) {
        PortFindingWords words = PortFindingWords::Of(finding);
        text += "- " + words.reason.english + "\n";
        std::istringstream remedy(words.remedy.english);
        for (std::string line; std::getline(remedy, line);) text += "    " + line + "\n";
    }
    return text;
}

std::string PortReportText::Hardware(const PortInventory::Port& port) {
    std::vector<std::string> parts = port.DescriptionParts();
    parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(port.byId.size()));
    return CLI::detail::join(parts, ", ");
}

nlohmann::ordered_json PortReportText::FindingsJson(const PortDoctor::Report& report) {
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const PortFinding& finding : report.findings) findings.push_back(FindingJson(finding));
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

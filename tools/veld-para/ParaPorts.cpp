// The port commands of veld-para: the port list, the port doctor and the
// station scan, and the doctor's words when a port will not open.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "JsonReport.h"
#include "ParaCommands.h"
#include "PortReportText.h"
#include "common/NumberArg.h"
#include "protocol/ReplyStation.h"
#include "protocol/StationScan.h"
#include "serial/PortDoctor.h"
#include "serial/PortInventory.h"

namespace {

// How often the scan looks at the line, as the GUI's dialog does.
constexpr int kScanStepMs = 20;
constexpr int32_t kMaxScanWaitMs = 60000;

// "COM15 (/dev/ttyS14)" and what is known of the device.
std::string Header(const PortDoctor::Report& report) {
    std::string text = report.name;
    if (!report.path.empty() && report.path != report.name) text += " (" + report.path + ")";
    if (report.port && !report.port->Description().empty()) {
        text += "\n    " + report.port->Description();
    }
    return text + "\n";
}

// "3-7" or "5"; false when it is neither, or outside the stations a reply can name.
bool ParseIds(const std::string& text, int32_t& first, int32_t& last) {
    size_t dash = text.find('-');
    std::string from = text.substr(0, dash);
    std::string to = dash == std::string::npos ? from : text.substr(dash + 1);
    return NumberArg::Parse(from, ReplyStation::kFirst, ReplyStation::kLast, first) &&
           NumberArg::Parse(to, ReplyStation::kFirst, ReplyStation::kLast, last) && first <= last;
}

void PrintProgress(const StationScan::Progress& p) {
    std::string told = p.answer ? p.answer->version : "no answer";
    std::fprintf(stderr, "scan %d/%d: station %d: %s\n", p.done, p.total, p.station, told.c_str());
}

}  // namespace

std::string ParaCommands::OpenFailure(const std::string& port, int error) {
    PortDoctor::Report report = PortDoctor().Examine(port, error);
    return Header(report) + PortReportText::Findings(report);
}

int ParaCommands::Ports() {
    if (!m_args.empty()) return UsageError("ports: unexpected argument " + m_args.front());
    PortDoctor doctor;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    std::vector<PortInventory::Port> ports = PortInventory().Ports();
    for (const PortInventory::Port& port : ports) {
        PortDoctor::Report report = doctor.Examine(port.path);
        if (m_flags.json) {
            nlohmann::ordered_json entry = PortReportText::PortJson(port);
            entry["ready"] = report.Ready();
            entry["findings"] = PortReportText::FindingsJson(report);
            list.push_back(entry);
            continue;
        }
        std::string byId =
            port.byId.empty() ? "-" : std::filesystem::path(port.byId.front()).filename().string();
        std::printf("%s\t%s\t%s\t%s\n", port.path.c_str(), byId.c_str(),
                    PortReportText::Hardware(port).c_str(),
                    PortReportText::Reason(report.Verdict()).c_str());
    }
    if (m_flags.json) {
        JsonReport json("ports");
        json.AddJson("ports", list);
        json.Print();
    } else if (ports.empty()) {
        std::fprintf(stderr, "veld-para: no serial port found\n");
    }
    return kDone;
}

int ParaCommands::Doctor() {
    if (m_args.size() != 1) return UsageError("doctor: one PORT expected");
    PortDoctor::Report report = PortDoctor().Examine(m_args.front());
    if (m_flags.json) {
        JsonReport json("doctor");
        json.Add("port", report.name);
        json.Add("path", report.path);
        json.Add("description", report.port ? report.port->Description() : "");
        json.AddJson("ready", report.Ready());
        json.AddJson("findings", PortReportText::FindingsJson(report));
        json.Print();
    } else {
        std::printf("%s%s", Header(report).c_str(), PortReportText::Findings(report).c_str());
    }
    return report.Ready() ? kDone : kNoPort;
}

int ParaCommands::Scan() {
    int32_t first = ReplyStation::kFirst;
    int32_t last = ReplyStation::kLast;
    int32_t waitMs = m_options.waitGiven ? m_options.waitMs
                                         : static_cast<int32_t>(StationScan::kDefaultWait.count());
    const std::vector<std::string>& args = m_args;
    for (size_t i = 0; i < args.size(); ++i) {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--ids" && hasValue) {
            if (!ParseIds(args[++i], first, last)) {
                return UsageError("scan: --ids FROM-TO within 0-35 expected, not " + args[i]);
            }
        } else if (args[i] == "-w" && hasValue) {
            if (!NumberArg::Parse(args[++i], 1, kMaxScanWaitMs, waitMs)) {
                return UsageError("scan: bad -w " + args[i]);
            }
        } else {
            return UsageError("scan: unexpected argument " + args[i]);
        }
    }
    if (int opened = OpenPort(); opened != kDone) return opened;
    StationScan scan(m_session.Port(), first, last, std::chrono::milliseconds(waitMs),
                     PrintProgress);
    while (scan.IsRunning()) {
        if (ParaSession::StopSignal() != 0) scan.Cancel();
        scan.Step(m_session.Queue(), StationScan::Clock::now());
        ParaSession::Outcome sent = m_session.Flush();
        if (sent == ParaSession::Outcome::kWriteFailed) return ExitCode(sent);
        m_session.WaitReplies(kScanStepMs, false);
    }

    std::vector<StationScan::Answer> answers = scan.Answers();
    std::sort(answers.begin(), answers.end(),
              [](const auto& a, const auto& b) { return a.station < b.station; });
    if (m_flags.json) {
        nlohmann::ordered_json stations = nlohmann::ordered_json::array();
        for (const StationScan::Answer& a : answers) {
            stations.push_back({{"id", a.station}, {"version", a.version}, {"reply", a.line}});
        }
        JsonReport json("scan");
        json.Add("from", first);
        json.Add("to", last);
        json.Add("waitMs", waitMs);
        json.AddJson("complete", scan.GetState() == StationScan::State::kFinished);
        json.AddJson("stations", stations);
        json.Print();
    } else {
        for (const StationScan::Answer& a : answers) {
            std::printf("%d\t%s\n", a.station, a.version.c_str());
        }
    }
    if (scan.GetState() == StationScan::State::kLost) {
        return ExitCode(ParaSession::Outcome::kLost);
    }
    if (answers.empty()) {
        std::fprintf(stderr, "veld-para: no station answered\n");
        return kNoReply;
    }
    return kDone;
}

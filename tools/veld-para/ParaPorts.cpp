// The port commands of veld-para: the port list, the port doctor and the
// station scan, and the doctor's words when a port will not open.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ParaCommands.h"
#include "PortReportText.h"
#include "common/NumberArg.h"
#include "protocol/ReplyStation.h"
#include "protocol/StationScan.h"
#include "serial/PortDoctor.h"
#include "serial/PortInventory.h"

namespace {

std::atomic<bool> g_bStopScan{false};

void StopScan(int) { g_bStopScan.store(true, std::memory_order_relaxed); }

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
    bool json = false;
    for (const std::string& arg : m_options.args) {
        if (arg != "--json") return UsageError("ports: unexpected argument " + arg);
        json = true;
    }
    PortDoctor doctor;
    nlohmann::json list = nlohmann::json::array();
    std::vector<PortInventory::Port> ports = PortInventory().Ports();
    for (const PortInventory::Port& port : ports) {
        PortDoctor::Report report = doctor.Examine(port.path);
        if (json) {
            nlohmann::json entry = PortReportText::Json(port);
            nlohmann::json examined = PortReportText::Json(report);
            entry["ready"] = examined["ready"];
            entry["findings"] = examined["findings"];
            list.push_back(entry);
            continue;
        }
        std::string byId =
            port.byId.empty() ? "-" : std::filesystem::path(port.byId.front()).filename().string();
        std::printf("%s\t%s\t%s\t%s\n", port.path.c_str(), byId.c_str(),
                    PortReportText::Hardware(port).c_str(),
                    PortReportText::Reason(report.Verdict()).c_str());
    }
    if (json) {
        std::printf("%s\n", list.dump(2).c_str());
    } else if (ports.empty()) {
        std::fprintf(stderr, "veld-para: no serial port found\n");
    }
    return kDone;
}

int ParaCommands::Doctor() {
    bool json = false;
    std::vector<std::string> ports;
    for (const std::string& arg : m_options.args) {
        if (arg == "--json") {
            json = true;
        } else {
            ports.push_back(arg);
        }
    }
    if (ports.size() != 1) return UsageError("doctor: one PORT expected");
    PortDoctor::Report report = PortDoctor().Examine(ports.front());
    if (json) {
        std::printf("%s\n", PortReportText::Json(report).dump(2).c_str());
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
    bool json = false;
    const std::vector<std::string>& args = m_options.args;
    for (size_t i = 0; i < args.size(); ++i) {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--ids" && hasValue) {
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
    std::signal(SIGINT, StopScan);
    std::signal(SIGTERM, StopScan);
    StationScan scan(m_session.Port(), first, last, std::chrono::milliseconds(waitMs),
                     PrintProgress);
    while (scan.IsRunning()) {
        if (g_bStopScan.load(std::memory_order_relaxed)) scan.Cancel();
        scan.Step(m_session.Queue(), StationScan::Clock::now());
        DriveSession::Outcome sent = m_session.Flush();
        if (sent == DriveSession::Outcome::kWriteFailed) return ExitCode(sent);
        m_session.WaitReplies(kScanStepMs, false);
    }

    std::vector<StationScan::Answer> answers = scan.Answers();
    std::sort(answers.begin(), answers.end(),
              [](const auto& a, const auto& b) { return a.station < b.station; });
    if (json) {
        nlohmann::json stations = nlohmann::json::array();
        for (const StationScan::Answer& a : answers) {
            stations.push_back({{"id", a.station}, {"version", a.version}, {"reply", a.line}});
        }
        nlohmann::json result = {{"from", first},
                                 {"to", last},
                                 {"waitMs", waitMs},
                                 {"complete", scan.GetState() == StationScan::State::kFinished},
                                 {"stations", stations}};
        std::printf("%s\n", result.dump(2).c_str());
    } else {
        for (const StationScan::Answer& a : answers) {
            std::printf("%d\t%s\n", a.station, a.version.c_str());
        }
    }
    if (scan.GetState() == StationScan::State::kLost) {
        return ExitCode(DriveSession::Outcome::kLost);
    }
    if (answers.empty()) {
        std::fprintf(stderr, "veld-para: no station answered\n");
        return kNoReply;
    }
    return kDone;
}

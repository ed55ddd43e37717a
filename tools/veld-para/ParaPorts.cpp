// The port commands of veld-para: the port list, the port doctor and the
// station scan.
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
#include "journal/JournalRecord.h"
#include "protocol/ReplyStation.h"
#include "protocol/StationScan.h"
#include "serial/PortDoctor.h"
#include "serial/PortFindingWords.h"
#include "serial/PortInventory.h"

namespace {

// How often the scan looks at the line, as the GUI's dialog does.
constexpr int kScanStepMs = 20;

void PrintProgress(const StationScan::Progress& p) {
    std::string told = p.answer ? p.answer->version : "no answer";
    std::fprintf(stderr, "scan %d/%d: station %d: %s\n", p.done, p.total, p.station, told.c_str());
}

}  // namespace

int ParaCommands::Ports() {
    PortDoctor doctor;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    std::vector<PortInventory::Port> ports = PortInventory().Ports();
    for (const PortInventory::Port& port : ports) {
        PortDoctor::Report report = doctor.Examine(port.path);
        if (m_args.json) {
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
                    PortFindingWords::Of(report.Verdict()).reason.english.c_str());
    }
    if (m_args.json) {
        JsonReport("ports", {{"ports", list}}).Print();
    } else if (ports.empty()) {
        std::fprintf(stderr, "veld-para: no serial port found\n");
    }
    return kDone;
}

int ParaCommands::Doctor() {
    PortDoctor::Report report = PortDoctor().Examine(m_args.values[0]);
    if (m_args.json) {
        JsonReport("doctor", {{"port", report.name},
                              {"path", report.path},
                              {"description", report.port ? report.port->Description() : ""},
                              {"ready", report.Ready()},
                              {"findings", PortReportText::FindingsJson(report)}})
            .Print();
    } else {
        std::printf("%s%s", PortReportText::Header(report).c_str(),
                    PortReportText::Findings(report).c_str());
    }
    return report.Ready() ? kDone : kNoPort;
}

int ParaCommands::Scan() {
    const std::vector<int32_t>& ids = m_args.stations;
    const int32_t first = ids.empty() ? ReplyStation::kFirst : ids.front();
    const int32_t last = ids.empty() ? ReplyStation::kLast : ids.back();
    const int32_t waitMs =
        m_args.waitGiven ? m_args.waitMs : static_cast<int32_t>(ReplyWaits::kScanStation.count());
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    StationScan scan(m_session.Port(), first, last, std::chrono::milliseconds(waitMs),
                     PrintProgress);
    while (scan.IsRunning()) {
        if (ParaSession::StopSignal() != 0) scan.Cancel();
        scan.Step(m_session.Queue(), StationScan::Clock::now());
        ParaSession::Outcome sent = m_session.Flush();
        if (sent == ParaSession::Outcome::kWriteFailed) return m_context.ExitCode(sent);
        m_session.WaitReplies(kScanStepMs, false);
    }
    m_session.Session().Journal().Record(JournalRecord::Scan(scan));

    std::vector<StationScan::Answer> answers = scan.Answers();
    std::sort(answers.begin(), answers.end(),
              [](const auto& a, const auto& b) { return a.station < b.station; });
    if (m_args.json) {
        nlohmann::ordered_json stations = nlohmann::ordered_json::array();
        for (const StationScan::Answer& a : answers) {
            stations.push_back({{"id", a.station}, {"version", a.version}, {"reply", a.line}});
        }
        JsonReport("scan", {{"from", first},
                            {"to", last},
                            {"waitMs", waitMs},
                            {"complete", scan.GetState() == StationScan::State::kFinished},
                            {"stations", stations}})
            .Print();
    } else {
        for (const StationScan::Answer& a : answers) {
            std::printf("%d\t%s\n", a.station, a.version.c_str());
        }
    }
    if (scan.GetState() == StationScan::State::kLost) {
        return m_context.ExitCode(ParaSession::Outcome::kLost);
    }
    if (answers.empty()) {
        std::fprintf(stderr, "veld-para: no station answered\n");
        return kNoReply;
    }
    return kDone;
}

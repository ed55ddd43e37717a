// veld-para commission: one parameter file to several drives on the line,
// each read, backed up, compared, sent what differs and read back, with a
// report of the run.
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "JsonReport.h"
#include "ParaCommands.h"
#include "StdoutCheck.h"
#include "session/CommissionReport.h"
#include "session/CommissionTarget.h"
#include "session/Commissioning.h"

namespace {

using Station = Commissioning::Station;
using State = Commissioning::State;

// What became of a station beyond its state: the values it holds other than
// the file's (sent and not kept, or only compared), what its reply lacked, the
// lines that did not go out.
std::string Detail(const Station& station) {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    for (const Commissioning::Mismatch& m : station.mismatches) {
        add(std::to_string(m.number) + (m.sent ? " sent " : " file ") + std::to_string(m.target) +
            (m.sent ? ", kept " : ", drive ") + std::to_string(m.kept));
    }
    if (!station.missing.empty()) {
        add("the reply lacked" + ParaContext::NumberList(station.missing));
    }
    if (!station.unsent.empty()) add(std::to_string(station.unsent.size()) + " lines not sent");
    if (station.Unsaved()) add("the drive holds values it has not saved (no PSV went out)");
    if (station.state == State::kVerified) {
        add(station.sent.empty() ? "nothing to send"
                                 : std::to_string(station.sent.size()) + " lines sent");
    }
    return text;
}

void PrintProgress(const Commissioning& run, const Station& station) {
    size_t index = static_cast<size_t>(&station - run.Stations().data()) + 1;
    std::string detail = station.Finished() ? Detail(station) : "";
    std::fprintf(stderr, "commission %zu/%zu: station %d: %s%s%s\n", index, run.Stations().size(),
                 station.id, Commissioning::ResultName(station.state), detail.empty() ? "" : ": ",
                 detail.c_str());
}

// What stopped the run, on stderr, and its own exit code; kDone when the
// stations' results decide it.
int ReportStop(const Commissioning& run) {
    switch (run.Stopped()) {
        case Commissioning::Stop::kPortLost:
            std::fprintf(stderr, "veld-para: the port was lost (device gone)\n");
            break;
        case Commissioning::Stop::kWriteFailed:
            std::fprintf(stderr,
                         "veld-para: a line could not be written to the port (TTY Error!); "
                         "nothing more was sent\n");
            return ParaExit::kWriteFailed;
        case Commissioning::Stop::kBackupFailed:
            std::fprintf(stderr,
                         "veld-para: a station's backup could not be saved beside the report; "
                         "nothing more was sent\n");
            return ParaExit::kFileError;
        case Commissioning::Stop::kReportFailed:
            std::fprintf(stderr,
                         "veld-para: the report could not be saved after a station; nothing more "
                         "was sent\n");
            return ParaExit::kFileError;
        case Commissioning::Stop::kCancelled:
            std::fprintf(stderr, "veld-para: stopped by signal %d\n", ParaSession::StopSignal());
            return ParaExit::kSignalBase + ParaSession::StopSignal();
        case Commissioning::Stop::kNone:
            break;
    }
    return ParaExit::kDone;
}

// 0 when every station is verified; 3 when any gave no reply or was not
// reached; else 5 when any holds other values.
int StationsExitCode(const Commissioning& run) {
    bool mismatch = false;
    for (const Station& station : run.Stations()) {
        if (station.state == State::kMismatch) {
            mismatch = true;
        } else if (station.state != State::kVerified) {
            return ParaExit::kNoReply;
        }
    }
    return mismatch ? ParaExit::kDiffer : ParaExit::kDone;
}

}  // namespace

int ParaCommands::Commission() {
    const std::string& file = m_args.values.front();
    std::optional<CommissionTarget> target = CommissionTarget::Read(file);
    if (!ParaContext::Sendable(file, target ? &target->Check() : nullptr, "nothing was sent")) {
        return kFileError;
    }
    if (int opened = m_context.OpenPort(); opened != kDone) return opened;
    std::string folder =
        m_args.reportFolder.empty() ? CommissionReport::DefaultFolder() : m_args.reportFolder;
    CommissionReport report(folder, *target, m_session.Session().OpenedText(), std::time(nullptr));
    if (!report.Create()) {
        std::fprintf(stderr, "veld-para: the report cannot be written in %s; nothing was sent\n",
                     folder.c_str());
        return kFileError;
    }

    Commissioning run(
        m_session.Session(), target->Check().Values(), m_args.stations, m_args.compareOnly,
        [&report](const ParamSet& set, int32_t station) { return report.SaveBackup(set, station); },
        [&report](const Commissioning& progress) { return report.Save(progress); }, PrintProgress);
    if (!report.Save(run)) {
        return ParaContext::FileError(report.JsonPath(),
                                      "the report could not be written; nothing was sent");
    }
    ParaSession::Outcome outcome = m_session.Until([&run] {
        run.Step(Commissioning::Clock::now());
        return !run.Running();
    });
    if (outcome == ParaSession::Outcome::kInterrupted) run.Cancel();
    // A lost port or a failed line ends the run at its next step.
    run.Step(Commissioning::Clock::now());

    bool saved = report.Save(run, std::time(nullptr));
    m_session.Session().Journal().Record(report.Record(run));
    if (m_args.json) {
        std::printf("%s\n", JsonReport::Dump(report.Document(run), 2).c_str());
    } else {
        for (const Station& station : run.Stations()) {
            std::printf("%d\t%s\t%s\t%s\n", station.id, Commissioning::ResultName(station.state),
                        station.version.value_or("-").c_str(), Detail(station).c_str());
        }
    }
    StdoutCheck::Flush();
    int code = ReportStop(run);
    if (code == kDone) code = StationsExitCode(run);
    if (!saved) {
        ParaContext::FileError(report.JsonPath(), "the report could not be written");
        return code == kDone ? kFileError : code;
    }
    std::fprintf(stderr, "veld-para: report: %s\n", report.HtmlPath().c_str());
    return code;
}

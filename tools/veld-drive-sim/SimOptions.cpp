#include "SimOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <string_view>

#include "DriveCommands.h"
#include "DriveModel.h"
#include "VeldVersion.h"
#include "common/HelpFormat.h"
#include "common/NumberArg.h"
#include "common/OptionKinds.h"
#include "serial/NetAddress.h"
#include "session/StationList.h"

namespace {

constexpr int32_t kMaxDelayMs = 60000;
constexpr int32_t kLastNumber = ParamTable::kCount - 1;

// Before the longest line a drive takes, which Description() adds.
constexpr const char* kServing =
    "A simulated VELD drive. With --pty (the default) it opens a pseudo-terminal and prints the "
    "path of its terminal side as the first line; --link PATH also makes PATH a symbolic link "
    "to it. --device PATH serves on a serial device instead; --listen HOST:PORT serves raw TCP "
    "(tcp://HOST:PORT, the bytes as on a line) and prints that name first; port 0 takes a free "
    "one. Of --pty, --device and --listen the last given counts. One client at a time: a second "
    "is closed at once while the first is connected. It serves until SIGINT or SIGTERM. A "
    "received line longer than ";

std::string Description() {
    return kServing + std::to_string(DriveCommands::kMaxLine) +
           " bytes is cut there, as a drive would, and not answered.";
}

constexpr const char* kCommandTable =
    "Commands and answers (S is the station character, fields are hexadecimal):\n"
    "  PRA        #S.PRA n v n v ...   all 110 pairs, 16 pairs a line, 16-bit fields\n"
    "  PWR n v    #S.PWR OK            stores the low 16 bits of v\n"
    "  COP        #S.COP OK\n"
    "  PSV        #S.PSV OK            (with --state: the values are stored)\n"
    "  FRD 0      #S.FRD 0 0105        firmware 1.05\n"
    "  FRD 1      #S.FRD 1 0003        hardware revision 3\n"
    "  PDF ALL    #S.PDF OK            factory defaults restored\n"
    "  STA        #S.STA 00000001      status: bit 0 ready, 1 turning, 2 at speed\n"
    "  MTP        #S.MTP 0000012C      temperature in 0.1 C (30.0 C at rest)\n"
    "  MIO        #S.MIO 00000000      bit 0: the RUN input\n"
    "  MIE, MAL   #S.xxx 00000000      I/O error, alarm\n"
    "  MVW        #S.MVW 00000000 00000000 00000C1C 0000012C\n"
    "             speed (rpm), current (0.1 A), DC link (0.1 V), temperature\n"
    "  PRD n      #S.PRD 0000000n vvvvvvvv\n"
    "  other      #S.ERR CODE          also for a known code with bad arguments\n"
    "\n"
    "Factory defaults (every other parameter is 0):";

std::string Footer() {
    std::string footer = kCommandTable;
    for (size_t i = 0; i < DriveModel::kFactoryDefaultCount; ++i) {
        const DriveModel::Default& d = DriveModel::kFactoryDefaults[i];
        footer += "\n  " + std::to_string(d.number) + "\t" + ParamTable::NameOf(d.number) + "\t" +
                  std::to_string(d.value);
    }
    return footer;
}

// The text of an option that may be given again, each time added to `texts`.
CLI::Option* Repeatable(CLI::App& app, const std::string& name, const std::string& typeName,
                        std::vector<std::string>& texts, const std::string& description) {
    return app.add_option(name, description)
        ->each([&texts](const std::string& text) { texts.push_back(text); })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name(typeName);
}

}  // namespace

SimOptions::Outcome SimOptions::Parse(int argc, char** argv, std::string& text) {
    CLI::App app(Description(), "veld-drive-sim");
    app.formatter(std::make_shared<HelpFormat>(""));
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    bool onPty = false;
    CLI::Option* pty = app.add_flag("--pty", onPty, "serve on a pseudo-terminal (the default)");
    OptionKinds::Text(app, "--link", "PATH", link, "a symbolic link to the pseudo-terminal");
    CLI::Option* onDevice =
        OptionKinds::Text(app, "--device", "PATH", device, "serve on this serial device");
    CLI::Option* onTcp =
        OptionKinds::Text(app, "--listen", "HOST:PORT", listen, "serve raw TCP")
            ->check([](const std::string& address) {
                return NetAddress::ParseHostPort(address, NetAddress::Kind::kRawTcp)
                           ? ""
                           : "HOST:PORT expected (an IPv6 host in brackets), not " + address;
            });
    OptionKinds::Number(
        app, "--baud", "RATE", 1, INT32_MAX, [this](int32_t rate) { baud = rate; },
        "line rate of --device (default 115200)");
    std::vector<std::string> stationLists;
    Repeatable(app, "--id", "N", stationLists,
               "station 0 to 35 (default 0), as replies name it (0-9, then A-Z); lines for "
               "other stations get no answer. Given again: several drives on the line, as on "
               "one RS-485 bus, each with its own parameters (--state: one only)");
    Repeatable(app, "--ids", "LIST", stationLists, "the drives 3,7 or 1-8 or 1-3,7 (0 to 35)");
    OptionKinds::Text(app, "--state", "FILE", statePath,
                      "load the values at start, store them on PSV");
    OptionKinds::Text(app, "--log", "FILE", logPath,
                      "every received line with the milliseconds since start");
    OptionKinds::Number(
        app, "--chunk", "N", 0, INT32_MAX, [this](int32_t n) { chunk = n; },
        "write replies in pieces of N bytes ...");
    OptionKinds::Number(
        app, "--chunk-delay", "MS", 0, kMaxDelayMs, [this](int32_t ms) { chunkDelayMs = ms; },
        "... with MS milliseconds between them (default 5)");
    OptionKinds::Number(
        app, "--reply-delay", "MS", 0, kMaxDelayMs, [this](int32_t ms) { replyDelayMs = ms; },
        "wait MS milliseconds before each answer");
    OptionKinds::Flag(app, "--crlf", crlf, "end replies with CR LF instead of CR");
    CLI::Option* silences =
        app.add_option("--silent", "answer nothing; --silent S: the drive S alone (repeatable)")
            ->expected(0, 1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->type_name("[S]");
    OptionKinds::Number(
        app, "--omit", "N", 0, kLastNumber, [this](int32_t n) { omit.push_back(n); },
        "leave parameter N out of PRA replies (repeatable)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    OptionKinds::Number(
        app, "--misnumber", "N", 0, kLastNumber, [this](int32_t n) { misnumber = n; },
        "send parameter N's pair in PRA replies under number 110");
    OptionKinds::Flag(app, "--no-read", noRead, "never read the line, so writes to it stall");
    OptionKinds::Flag(app, "--no-ack", noAck,
                      "answer PRA and FRD only, as a drive without acknowledgements");
    app.add_option("--read-only",
                   "PWR N v is answered and changes nothing (repeatable); "
                   "S:N: on the drive S alone")
        ->check([this](const std::string& fault) {
            return AddReadOnly(fault) ? "" : "N or S:N expected, not " + fault;
        })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("[S:]N");
    OptionKinds::Flag(app, "--run", runCycle,
                      "the motor runs: its RUN input is on for 6 s (each time at the next "
                      "speed index, parameters 50 to 57), off for 3 s");
    app.set_help_flag("-h,--help", "this text");
    app.set_version_flag("--version", std::string("veld-drive-sim ") + VeldVersion::kFull,
                         "the program's version");
    app.footer(Footer());
    try {
        text = OptionKinds::EmptyValue(argc, argv);
        if (!text.empty()) return Outcome::kUsageError;
        app.parse(argc, argv);
        // A --silent without a station leaves an empty value.
        for (const std::string& station : silences->results()) {
            int32_t number = 0;
            if (station.empty()) {
                silent = true;
            } else if (NumberArg::Parse(station, 0, DriveCommands::kMaxStation, number)) {
                silentStations.push_back(number);
            } else {
                throw CLI::ValidationError("--silent", "a station 0 to 35, not " + station);
            }
        }
        // Of the ways to serve, the last one given counts.
        const CLI::Option* serve = nullptr;
        for (const CLI::Option* option : app.parse_order()) {
            if (option == pty || option == onDevice || option == onTcp) serve = option;
        }
        if (serve != onDevice) device.clear();
        Settle(stationLists, serve == onTcp);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return Outcome::kHelp;
    } catch (const CLI::CallForVersion& version) {
        text = std::string(version.what()) + "\n";
        return Outcome::kVersion;
    } catch (const CLI::ParseError& error) {
        text = error.what();
        return Outcome::kUsageError;
    }
    return Outcome::kRun;
}

void SimOptions::Settle(const std::vector<std::string>& stationLists, bool servesTcp) {
    if (!servesTcp) listen.clear();
    std::string all = stationLists.empty() ? "0" : CLI::detail::join(stationLists, ",");
    if (!StationList::Parse(all, stations)) {
        throw CLI::ValidationError("--id",
                                   "a bad or repeated station in " + all + " (0 to 35, each once)");
    }
    if (!listen.empty() && !link.empty()) {
        throw CLI::ValidationError("--link", "it names a terminal; --listen serves TCP");
    }
    if (stations.size() > 1 && !statePath.empty()) {
        throw CLI::ValidationError("--state", "it keeps the values of one station only");
    }
}

bool SimOptions::AddReadOnly(std::string_view text) {
    ReadOnly fault;
    size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        if (!NumberArg::Parse(text.substr(0, colon), 0, DriveCommands::kMaxStation,
                              fault.station)) {
            return false;
        }
        text.remove_prefix(colon + 1);
    }
    if (!NumberArg::Parse(text, 0, ParamTable::kCount - 1, fault.number)) return false;
    readOnly.push_back(fault);
    return true;
}

std::vector<int32_t> SimOptions::ReadOnlyOf(int32_t station) const {
    std::vector<int32_t> numbers;
    for (const ReadOnly& fault : readOnly) {
        if (fault.station < 0 || fault.station == station) numbers.push_back(fault.number);
    }
    return numbers;
}

bool SimOptions::Silent(int32_t station) const {
    return silent || std::ranges::count(silentStations, station) > 0;
}

#include "ParaCommandList.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <set>

#include "HistoryCommands.h"
#include "common/NumberArg.h"
#include "common/OptionKinds.h"
#include "params/ParamPreset.h"
#include "params/ParamTable.h"
#include "protocol/PollSchedule.h"
#include "serial/PortMap.h"

namespace {

constexpr int32_t kMaxWaitMs = 600000;
constexpr int32_t kMaxScanWaitMs = 60000;

constexpr const char* kReadBackNote =
    "After writing, the drive is read back (PRA) and compared with what was sent: exit 5 when "
    "it holds other values, 3 when the read-back gets no complete reply.";
constexpr const char* kFileNote =
    "FILE is taken only when every listed parameter comes once from a well-formed record "
    "(number, name, value on a line of its own); otherwise what is missing or unreadable is "
    "named and nothing is sent (exit 4).";

void Json(CLI::App& app, ParaArgs& args, const std::string& description) {
    OptionKinds::Flag(app, "--json", args.json, description);
}

void Backup(CLI::App& app, ParaArgs& args) {
    OptionKinds::Text(app, "--backup", "PATH", args.backupPath,
                      "first read the drive and save its set to PATH, a new file or a folder for "
                      "a dated file; nothing is written unless that read is complete");
}

// write, set, setup, setmode and restore.
void WriteOptions(CLI::App& app, ParaArgs& args, const std::string& note = "") {
    ParaCommandList::DefineWriteSafety(app, args);
    Json(app, args, "print the read-back report as one JSON document");
    app.footer(note.empty() ? kReadBackNote : note + "\n" + kReadBackNote);
}

// "N V N V ...": each number 0 to 109, each value within 32 bits.
std::vector<std::pair<int32_t, int32_t>> Pairs(const std::vector<std::string>& words) {
    if (words.size() % 2 != 0) {
        throw CLI::ValidationError("N V", "pairs of number and value expected");
    }
    // With COP and PSV they stay below the queue's 200 slots.
    if (words.size() / 2 > ParamTable::kCount) {
        throw CLI::ValidationError("N V", "at most 110 pairs");
    }
    std::vector<std::pair<int32_t, int32_t>> pairs;
    std::set<int32_t> numbers;
    for (size_t i = 0; i < words.size(); i += 2) {
        int32_t number = 0;
        int32_t value = 0;
        if (!NumberArg::Parse(words[i], 0, ParamTable::kCount - 1, number) ||
            !NumberArg::Parse(words[i + 1], INT32_MIN, INT32_MAX, value)) {
            throw CLI::ValidationError("N V", "bad pair " + words[i] + " " + words[i + 1] +
                                                  " (a number 0 to 109, a 32-bit value)");
        }
        // Both values would go out; the drive keeps only the last.
        if (!numbers.insert(number).second) {
            throw CLI::ValidationError(
                "N V", "parameter " + words[i] + " is given twice; give each number once");
        }
        pairs.emplace_back(number, value);
    }
    return pairs;
}

// "STA", "PRD 20" as one word, or PRD and its number as two.
std::vector<PollCommand> PollCommands(const std::vector<std::string>& words) {
    std::vector<PollCommand> commands;
    for (size_t i = 0; i < words.size(); ++i) {
        std::string text = words[i];
        if (text == PollCommand::kReadOne && i + 1 < words.size()) text += " " + words[++i];
        std::optional<PollCommand> command = PollCommand::Parse(text);
        if (!command) {
            throw CLI::ValidationError(
                "CMD",
                "not a read command: " + text + " (STA, MTP, MIO, MIE, MAL, MVW or PRD 0 to 109)");
        }
        commands.push_back(*command);
    }
    return commands;
}

void DefineRead(CLI::App& app, ParaArgs& args) {
    OptionKinds::Text(app, "-o", "FILE", args.outPath,
                      "save the listed parameters to FILE, as the GUI's save does, instead of "
                      "printing them");
    OptionKinds::Flag(app, "--all", args.all, "all 110 parameters, not only the 29 listed");
    Json(app, args, "print the values as one JSON document");
}

void DefineWrite(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "FILE", args.values, 1, 1, "the parameter file to send");
    WriteOptions(app, args, kFileNote);
}

void DefineSet(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "N V", args.values, 2, -1,
                        "a parameter number (0 to 109) and its value; at most 110 pairs");
    WriteOptions(app, args);
    app.callback([&args] { args.pairs = Pairs(args.values); });
}

void DefineSetup(CLI::App& app, ParaArgs& args) {
    OptionKinds::Number(
        app, "MODE", "", 0, ParamPreset::kModes - 1, [&args](int32_t mode) { args.mode = mode; },
        "the operating mode, 0 to 3")
        ->required();
    WriteOptions(app, args);
}

void DefineSetMode(CLI::App& app, ParaArgs& args) { WriteOptions(app, args); }

void DefineVerify(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "FILE", args.values, 1, 1, "the parameter file to compare with");
    Json(app, args, "print the comparison as one JSON document");
    app.footer(std::string(kFileNote) + "\nExit 5 when the drive holds other values.");
}

void DefineDiff(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "FILE_A FILE_B", args.values, 2, 2, "the two parameter files");
    Json(app, args, "print the comparison as one JSON document");
    app.footer(
        "Exit 5 when they differ; 4 when a record is not well-formed: it is left out, named on "
        "stderr, and neither \"equal\" nor \"different\" would be true.");
}

void DefineRestore(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "FILE", args.values, 1, 1, "the parameter file to put back");
    WriteOptions(app, args, kFileNote);
}

void DefineSend(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "LINE", args.values, 1, -1,
                        "a command line, sent as typed (-- before lines that begin with -)")
        ->check([](const std::string& line) {
            // The drive ends a command at CR: one LINE would go out as two commands.
            return line.find('\r') == std::string::npos
                       ? ""
                       : "a LINE holds a carriage return, which would end it early and send the "
                         "rest as a second command; give each command as a LINE of its own";
        });
}

void DefineWatch(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "CMD", args.values, 1, -1,
                        "STA, MTP, MIO, MIE, MAL, MVW, or PRD with a number 0 to 109 (\"PRD 20\" "
                        "or PRD 20)");
    OptionKinds::Number(
        app, "--interval", "MS", PollSchedule::kMinIntervalMs, PollSchedule::kMaxIntervalMs,
        [&args](int32_t ms) { args.intervalMs = ms; }, "how often a round goes (default 1000)");
    OptionKinds::Number(
        app, "--count", "N", 1, INT32_MAX, [&args](int32_t n) { args.count = n; },
        "stop after N rounds (default: when interrupted)");
    OptionKinds::Flag(app, "--csv", args.csv, "a header, then rows as the GUI records them");
    Json(app, args, "one JSON object a row");
    app.footer(
        "A round goes only when the last one is answered or given up; three given up in a row "
        "end the watch (exit 3).");
    app.callback([&args] {
        if (args.csv && args.json) throw CLI::ValidationError("--csv", "one of --csv and --json");
        args.pollCommands = PollCommands(args.values);
    });
}

void DefinePorts(CLI::App& app, ParaArgs& args) {
    Json(app, args, "an array with every field and every finding");
}

void DefineDoctor(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "PORT", args.values, 1, 1,
                        "a COM name, a device path or a network port");
    Json(app, args, "the findings as one JSON document");
}

void DefineScan(CLI::App& app, ParaArgs& args) {
    OptionKinds::Stations(app, "--ids", args.stations, "the stations to ask (default 0-35)")
        ->type_name("FROM-TO");
    Json(app, args, "the stations that answered as one JSON document");
    app.footer(
        "Each station's answer is awaited -w MS (1 to 60000, default 200 here). Progress goes to "
        "stderr; SIGINT ends the scan with what it found.");
    app.callback([&args] {
        if (args.waitGiven && (args.waitMs < 1 || args.waitMs > kMaxScanWaitMs)) {
            throw CLI::ValidationError("--wait", "scan waits 1 to 60000 ms for each station, not " +
                                                     std::to_string(args.waitMs));
        }
        if (args.stations.empty()) return;
        // The scan asks one run of stations, from the first to the last.
        if (args.stations.back() - args.stations.front() + 1 !=
            static_cast<int32_t>(args.stations.size())) {
            throw CLI::ValidationError("--ids", "scan asks a run of stations FROM-TO, not a list");
        }
    });
}

void DefineCommission(CLI::App& app, ParaArgs& args) {
    OptionKinds::Values(app, "FILE", args.values, 1, 1, "the parameter file every station gets");
    OptionKinds::Stations(app, "--ids", args.stations,
                          "the stations, in order: 3,7 or 1-8 or 1-3,7 (0 to 35, each once)")
        ->required();
    OptionKinds::Text(app, "--report", "DIR", args.reportFolder,
                      "write the report (JSON, HTML) and the backups in DIR (default "
                      "$XDG_DATA_HOME/VELD_Host_Para/reports)");
    OptionKinds::Flag(app, "--compare-only", args.compareOnly,
                      "read and compare each station; send nothing");
    Json(app, args, "print the report's JSON document");
    app.footer(std::string(kFileNote) +
               "\nExit 0 when every station holds the file's values, 3 when a station gave no "
               "reply or was not reached, else 5 when one holds other values.");
}

void DefineNothing(CLI::App&, ParaArgs&) {}

// history restore writes as restore does.
void DefineHistory(CLI::App& app, ParaArgs& args) {
    HistoryCommands::Define(app, args);
    ParaCommandList::DefineWriteSafety(app, args);
}

const ParaCommandList::Command kCommands[] = {
    {"read", "read the drive (PRA); print number, name and value of the listed parameters",
     DefineRead, &ParaCommands::Read},
    {"write", "send the listed parameters of FILE, COP, PSV; read back", DefineWrite,
     &ParaCommands::Write},
    {"set", "PWR per pair N V, then COP, PSV; read back", DefineSet, &ParaCommands::Set},
    {"setup", "mode 0 to 3 with its preset: PWR 42..49, 40, 41, COP, PSV; read back", DefineSetup,
     &ParaCommands::Setup},
    {"setmode", "PWR 100 1; read back", DefineSetMode, &ParaCommands::SetMode},
    {"version", "FRD 0, FRD 1", DefineNothing, &ParaCommands::Version},
    {"init", "PDF ALL: the drive's factory defaults", Backup, &ParaCommands::Init},
    {"send", "each LINE as typed, plus CR", DefineSend, &ParaCommands::Send},
    {"verify", "compare the drive with FILE (exit 5 when they differ)", DefineVerify,
     &ParaCommands::Verify},
    {"diff", "compare two parameter files, no port (exit 5 when they differ)", DefineDiff,
     &ParaCommands::Diff},
    {"restore", "read the drive, send the parameters of FILE that differ; read back", DefineRestore,
     &ParaCommands::Restore},
    {"monitor", "print every received line until interrupted", DefineNothing,
     &ParaCommands::Monitor},
    {"watch", "ask read commands every MS ms, a row per reply, until interrupted or N rounds",
     DefineWatch, &ParaCommands::Watch},
    {"ports", "the serial ports present and whether each will open", DefinePorts,
     &ParaCommands::Ports},
    {"doctor", "why PORT will not open, or that it will (exit 1 when it will not)", DefineDoctor,
     &ParaCommands::Doctor},
    {"scan", "FRD 0 to each station; who answered, and its version (exit 3 when none)", DefineScan,
     &ParaCommands::Scan},
    {"commission", "one FILE to each station of a list, verified, with a report", DefineCommission,
     &ParaCommands::Commission},
    {"history", HistoryCommands::kSummary, DefineHistory, &ParaCommands::History},
};

}  // namespace

std::span<const ParaCommandList::Command> ParaCommandList::All() { return kCommands; }

void ParaCommandList::DefineWriteSafety(CLI::App& app, ParaArgs& args) {
    OptionKinds::Flag(app, "--no-verify", args.noVerify,
                      "send only; done once every line went out");
    Backup(app, args);
}

void ParaCommandList::DefineCommon(CLI::App& app, ParaArgs& args, const std::string& group) {
    // Every option below in `group`; those defined after them as before.
    std::string before = app.option_defaults()->get_group();
    app.option_defaults()->group(group);
    OptionKinds::Text(app, "-p,--port", "NAME", args.port,
                      "the port: COM1 to COM30, a device path, or tcp://HOST:PORT or "
                      "rfc2217://HOST:PORT (default COM15); history: the port whose entries to "
                      "list")
        ->each([&args](const std::string&) { args.portGiven = true; });
    OptionKinds::Number(
        app, "-b,--baud", "RATE", 1, INT32_MAX,
        [&args](int32_t rate) { args.baud = std::to_string(rate); },
        "the line rate, a positive decimal number (default 115200)")
        ->check([](const std::string& rate) {
            // Digits only, as the port text writes the rate.
            return !rate.empty() && rate[0] >= '0' && rate[0] <= '9'
                       ? ""
                       : "decimal digits expected, not " + rate;
        });
    app.add_option("-i,--id", args.id,
                   "the drive's station ID text, read as the GUI reads its ID field (default 0)")
        ->type_name("TEXT");
    app.add_option("--port-map", "the device that COMn opens; repeatable, wins over VELD_PORT_MAP")
        ->check([](const std::string& mapping) {
            // Taken as it is read, after the environment's mappings, so that it wins.
            return PortMap::AddMapping(mapping) ? "" : "COMn=PATH expected, not " + mapping;
        })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("COMn=PATH");
    OptionKinds::Number(
        app, "-w,--wait", "MS", 0, kMaxWaitMs,
        [&args](int32_t ms) {
            args.waitMs = ms;
            args.waitGiven = true;
        },
        "how long to wait for replies after the last line (default 500); read and verify also "
        "wait while a reply arrives; scan: for each station");
    OptionKinds::Flag(app, "-q,--quiet", args.quiet,
                      "no \"> sent\" and \"< received\" lines on stderr");
    OptionKinds::Text(app, "--journal", "PATH", args.journalPath,
                      "the journal to record into and read (default $VELD_JOURNAL, else "
                      "$XDG_DATA_HOME/VELD_Host_Para/journal.sqlite3)");
    OptionKinds::Flag(app, "--no-journal", args.noJournal, "record nothing in the journal");
    app.option_defaults()->group(before);
}

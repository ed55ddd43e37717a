#include "SimOptions.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "DriveCommands.h"
#include "DriveModel.h"
#include "common/NumberArg.h"
#include "serial/NetAddress.h"

namespace {

enum Option {
    kPty = 256,
    kLink,
    kDevice,
    kListen,
    kBaud,
    kId,
    kIds,
    kState,
    kLog,
    kChunk,
    kChunkDelay,
    kReplyDelay,
    kCrlf,
    kSilent,
    kOmit,
    kMisnumber,
    kNoRead,
    kNoAck,
    kReadOnly,
    kRun,
    kHelpOption,
    kVersionOption,
};

const option kOptions[] = {
    {"pty", no_argument, nullptr, kPty},
    {"link", required_argument, nullptr, kLink},
    {"device", required_argument, nullptr, kDevice},
    {"listen", required_argument, nullptr, kListen},
    {"baud", required_argument, nullptr, kBaud},
    {"id", required_argument, nullptr, kId},
    {"ids", required_argument, nullptr, kIds},
    {"state", required_argument, nullptr, kState},
    {"log", required_argument, nullptr, kLog},
    {"chunk", required_argument, nullptr, kChunk},
    {"chunk-delay", required_argument, nullptr, kChunkDelay},
    {"reply-delay", required_argument, nullptr, kReplyDelay},
    {"crlf", no_argument, nullptr, kCrlf},
    {"silent", no_argument, nullptr, kSilent},
    {"omit", required_argument, nullptr, kOmit},
    {"misnumber", required_argument, nullptr, kMisnumber},
    {"no-read", no_argument, nullptr, kNoRead},
    {"no-ack", no_argument, nullptr, kNoAck},
    {"read-only", required_argument, nullptr, kReadOnly},
    {"run", no_argument, nullptr, kRun},
    {"help", no_argument, nullptr, kHelpOption},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

constexpr int32_t kMaxDelayMs = 60000;

// Adds the stations of "3" or "3,7" to `stations`; false for a bad or repeated one.
bool AddStations(const std::string& list, std::vector<int32_t>& stations) {
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        int32_t station = 0;
        if (!NumberArg::Parse(std::string_view(list).substr(start, comma - start), 0,
                              DriveCommands::kMaxStation, station) ||
            std::find(stations.begin(), stations.end(), station) != stations.end()) {
            return false;
        }
        stations.push_back(station);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

SimOptions::Outcome SimOptions::Parse(int argc, char** argv, std::string& error) {
    struct Numeric {
        int option;
        int32_t* target;
        int32_t minimum;
        int32_t maximum;
    };
    int32_t omitted = 0;  // one --omit, then added to the list
    const Numeric numerics[] = {
        {kBaud, &baud, 1, INT32_MAX},
        {kChunk, &chunk, 0, INT32_MAX},
        {kChunkDelay, &chunkDelayMs, 0, kMaxDelayMs},
        {kReplyDelay, &replyDelayMs, 0, kMaxDelayMs},
        {kOmit, &omitted, 0, ParamTable::kCount - 1},
        {kMisnumber, &misnumber, 0, ParamTable::kCount - 1},
    };
    optind = 1;
    opterr = 0;
    // "+": --silent looks at the word after it, which must not have been moved.
    for (int option; (option = getopt_long(argc, argv, "+h", kOptions, nullptr)) != -1;) {
        switch (option) {
            case kPty:
                device.clear();
                listen.clear();
                continue;
            case kLink:
                link = optarg;
                continue;
            case kDevice:
                device = optarg;
                listen.clear();
                continue;
            case kListen:
                if (!NetAddress::ParseHostPort(optarg, NetAddress::Kind::kRawTcp)) {
                    error = std::string("bad --listen (HOST:PORT, an IPv6 host in brackets): ") +
                            optarg;
                    return Outcome::kUsageError;
                }
                listen = optarg;
                device.clear();
                continue;
            case kId:
            case kIds:
                if (!AddStations(optarg, stations)) {
                    error = std::string("bad or repeated station in ") +
                            (option == kId ? "--id" : "--ids") + ": " + optarg +
                            " (0 to 35, each once)";
                    return Outcome::kUsageError;
                }
                continue;
            case kState:
                statePath = optarg;
                continue;
            case kLog:
                logPath = optarg;
                continue;
            case kCrlf:
                crlf = true;
                continue;
            case kSilent:
                TakeSilent(argc, argv);
                continue;
            case kReadOnly:
                if (!AddReadOnly(optarg)) {
                    error = std::string("bad value for --read-only: ") + optarg +
                            " (N, or S:N for station S alone)";
                    return Outcome::kUsageError;
                }
                continue;
            case kNoRead:
                noRead = true;
                continue;
            case kNoAck:
                noAck = true;
                continue;
            case kRun:
                runCycle = true;
                continue;
            case 'h':
            case kHelpOption:
                return Outcome::kHelp;
            case kVersionOption:
                return Outcome::kVersion;
            default:
                break;
        }
        bool known = false;
        for (const Numeric& n : numerics) {
            if (n.option != option) continue;
            known = true;
            if (!NumberArg::Parse(optarg, n.minimum, n.maximum, *n.target)) {
                error = std::string("bad value for ") + argv[optind - 1] + ": " + optarg;
                return Outcome::kUsageError;
            }
        }
        if (option == kOmit) omit.push_back(omitted);
        if (!known) {
            error = std::string("unknown option or missing value: ") + argv[optind - 1];
            return Outcome::kUsageError;
        }
    }
    if (optind < argc) {
        error = std::string("unexpected argument: ") + argv[optind];
        return Outcome::kUsageError;
    }
    if (stations.empty()) stations.push_back(0);
    if (!listen.empty() && !link.empty()) {
        error = "--link names a terminal; --listen serves TCP";
        return Outcome::kUsageError;
    }
    if (stations.size() > 1 && !statePath.empty()) {
        error = "--state keeps the values of one station only";
        return Outcome::kUsageError;
    }
    return Outcome::kRun;
}

void SimOptions::TakeSilent(int argc, char** argv) {
    int32_t station = 0;
    if (optind < argc && NumberArg::Parse(argv[optind], 0, DriveCommands::kMaxStation, station)) {
        silentStations.push_back(station);
        ++optind;
    } else {
        silent = true;
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
    return silent ||
           std::find(silentStations.begin(), silentStations.end(), station) != silentStations.end();
}

std::string SimOptions::Help() {
    std::string text =
        "usage: veld-drive-sim [--pty] [--link PATH] [--device PATH] [--listen HOST:PORT]\n"
        "                      [--baud RATE] [--id N]... [--ids N,N...]\n"
        "                      [--state FILE] [--log FILE] [--chunk N] [--chunk-delay MS]\n"
        "                      [--reply-delay MS] [--crlf] [--silent [S]]... [--omit N]...\n"
        "                      [--misnumber N] [--no-read] [--no-ack] [--read-only [S:]N]...\n"
        "                      [--run]\n"
        "       veld-drive-sim --help | --version\n"
        "\n"
        "A simulated VELD drive. With --pty (the default) it opens a pseudo-terminal and\n"
        "prints the path of its terminal side as the first line; --link PATH also makes\n"
        "PATH a symbolic link to it. --device PATH serves on a serial device instead;\n"
        "--listen HOST:PORT serves raw TCP (tcp://HOST:PORT, the bytes as on a line) and\n"
        "prints that name first; port 0 takes a free one. One client at a time: a second\n"
        "is closed at once while the first is connected. It serves until SIGINT or SIGTERM.\n"
        "A received line longer than " +
        std::to_string(DriveCommands::kMaxLine) +
        " bytes is cut there, as a drive would, and not\n"
        "answered.\n"
        "\n"
        "  --id N            station 0 to 35 (default 0); replies carry it as one character\n"
        "                    (0-9, then A-Z); lines for other stations get no answer.\n"
        "                    Repeated, or --ids 3,7: several drives on the line, as on one\n"
        "                    RS-485 bus, each with its own parameters (--state: one only)\n"
        "  --ids N,N...      the same as --id N for each\n"
        "  --baud RATE       line rate of --device (default 115200)\n"
        "  --state FILE      load the values at start, store them on PSV\n"
        "  --log FILE        every received line with the milliseconds since start\n"
        "  --chunk N         write replies in pieces of N bytes ...\n"
        "  --chunk-delay MS  ... with MS milliseconds between them (default 5)\n"
        "  --reply-delay MS  wait MS milliseconds before each answer\n"
        "  --crlf            end replies with CR LF instead of CR\n"
        "  --silent          answer nothing; --silent S: the drive S alone (repeatable)\n"
        "  --omit N          leave parameter N out of PRA replies (repeatable)\n"
        "  --misnumber N     send parameter N's pair in PRA replies under number 110\n"
        "  --no-read         never read the line, so writes to it stall\n"
        "  --no-ack          answer PRA and FRD only, as a drive without acknowledgements\n"
        "  --read-only N     PWR N v is answered and changes nothing (repeatable);\n"
        "                    --read-only S:N: on the drive S alone\n"
        "  --run             the motor runs: its RUN input is on for 6 s (each time at\n"
        "                    the next speed index, parameters 50 to 57), off for 3 s\n"
        "  -h, --help        this text\n"
        "  --version         the program's version\n"
        "\n"
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
        "Factory defaults (every other parameter is 0):\n";
    for (size_t i = 0; i < DriveModel::kFactoryDefaultCount; ++i) {
        const DriveModel::Default& d = DriveModel::kFactoryDefaults[i];
        text += "  " + std::to_string(d.number) + "\t" + ParamTable::NameOf(d.number) + "\t" +
                std::to_string(d.value) + "\n";
    }
    return text;
}

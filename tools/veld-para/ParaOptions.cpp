#include "ParaOptions.h"

#include <getopt.h>

#include <string_view>

#include "common/NumberArg.h"

namespace {

enum Option { kPortMap = 256, kVersionOption };

const option kOptions[] = {
    {"port", required_argument, nullptr, 'p'},
    {"baud", required_argument, nullptr, 'b'},
    {"id", required_argument, nullptr, 'i'},
    {"port-map", required_argument, nullptr, kPortMap},
    {"wait", required_argument, nullptr, 'w'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersionOption},
    {nullptr, 0, nullptr, 0},
};

constexpr int32_t kMaxWaitMs = 600000;

}  // namespace

bool ParaOptions::ParseRate(const char* text) {
    int32_t rate = 0;
    // Digits only: no sign, and nothing after them that the port text would
    // read as its line format.
    if (text[0] < '0' || text[0] > '9' || !NumberArg::Parse(text, 1, INT32_MAX, rate)) return false;
    baud = std::to_string(rate);
    return true;
}

ParaOptions::Outcome ParaOptions::Parse(int argc, char** argv, std::string& error) {
    optind = 1;
    opterr = 0;
    // "+": the options end at the command, whose arguments may look like options.
    for (int option; (option = getopt_long(argc, argv, "+p:b:i:w:qh", kOptions, nullptr)) != -1;) {
        switch (option) {
            case 'p':
                // The port text puts ':' after the device name, so no name may hold one.
                if (std::string_view(optarg).find(':') != std::string_view::npos) {
                    error =
                        std::string("a port name cannot contain ':': ") + optarg +
                        "\n  map the device to a COM name instead: --port-map COM1=PATH -p COM1";
                    return Outcome::kUsageError;
                }
                port = optarg;
                break;
            case 'b':
                if (!ParseRate(optarg)) {
                    error = std::string("bad --baud (a positive decimal rate): ") + optarg;
                    return Outcome::kUsageError;
                }
                break;
            case 'i':
                id = optarg;
                break;
            case kPortMap:
                portMaps.push_back(optarg);
                break;
            case 'w':
                if (!NumberArg::Parse(optarg, 0, kMaxWaitMs, waitMs)) {
                    error = std::string("bad --wait: ") + optarg;
                    return Outcome::kUsageError;
                }
                waitGiven = true;
                break;
            case 'q':
                quiet = true;
                break;
            case 'h':
                return Outcome::kHelp;
            case kVersionOption:
                return Outcome::kVersion;
            default:
                error = std::string("unknown option or missing value: ") + argv[optind - 1];
                return Outcome::kUsageError;
        }
    }
    if (optind >= argc) {
        error = "no command";
        return Outcome::kUsageError;
    }
    command = argv[optind];
    args.assign(argv + optind + 1, argv + argc);
    return Outcome::kRun;
}

const char* ParaOptions::Usage() {
    return "usage: veld-para [options] COMMAND [ARGS]\n"
           "\n"
           "Options:\n"
           "  -p, --port NAME       COM1 to COM30 or a device path without ':' (default COM15)\n"
           "  -b, --baud RATE       line rate, a positive decimal number (default 115200)\n"
           "  -i, --id TEXT         station ID text, read as the GUI reads it (default 0)\n"
           "      --port-map COMn=PATH  the device of a COM name (repeatable; VELD_PORT_MAP too)\n"
           "  -w, --wait MS         how long to wait for replies after the last line (default\n"
           "                        500); read and verify also wait while a reply arrives\n"
           "  -q, --quiet           no \"> sent\" and \"< received\" lines on stderr\n"
           "  -h, --help            this text\n"
           "      --version         the program's version\n"
           "\n"
           "Commands:\n"
           "  read [-o FILE] [--all] [--json]\n"
           "                          read the drive (PRA); print number, name, value of the\n"
           "                          listed parameters (--all: all 110), or save them to FILE\n"
           "  write FILE              send the listed parameters of FILE, COP, PSV\n"
           "  set N V [N V ...]       PWR per pair (at most 110 pairs), then COP, PSV\n"
           "  setup MODE              mode 0 to 3 with its preset: PWR 42..49, 40, 41, COP, PSV\n"
           "  setmode                 PWR 100 1\n"
           "  version                 FRD 0, FRD 1\n"
           "  init                    PDF ALL\n"
           "  send LINE...            each line as typed, plus CR\n"
           "  verify FILE [--json]    compare the drive with FILE (exit 5 when they differ)\n"
           "  diff FILE_A FILE_B [--json]\n"
           "                          compare two parameter files, no port (exit 5: they differ)\n"
           "  restore FILE            read the drive, send the parameters of FILE that differ\n"
           "  monitor                 print every received line until interrupted\n"
           "  watch CMD... [--interval MS] [--count N] [--csv|--json]\n"
           "                          ask the read commands CMD (STA MTP MIO MIE MAL MVW,\n"
           "                          PRD n) every MS ms (100 to 10000, default 1000) and\n"
           "                          print one row per reply, until interrupted or N rounds\n"
           "  ports [--json]          the serial ports present: path, by-id name, hardware and\n"
           "                          whether it can be opened (the doctor's verdict)\n"
           "  doctor PORT [--json]    why PORT will not open, or that it will, with remedies\n"
           "                          (exit 1 when it will not)\n"
           "  scan [--ids FROM-TO] [-w MS] [--json]\n"
           "                          FRD 0 to each station (default 0-35), waiting MS per\n"
           "                          station (default 200, or -w); prints who answered with\n"
           "                          the version, progress on stderr (exit 3 when none)\n"
           "  commission FILE --ids LIST [--report DIR] [--compare-only] [--json]\n"
           "                          bring the stations of LIST (3,7 or 1-8 or 1-3,7) to the\n"
           "                          values of FILE: each read, backed up, compared, sent\n"
           "                          only what differs and read back (--compare-only: sends\n"
           "                          nothing); a report (JSON and HTML) and the backups go to\n"
           "                          DIR (default ~/.local/share/VELD_Host_Para/reports);\n"
           "                          progress on stderr; exit 0 when every station is\n"
           "                          verified, 3 when any gave no reply or was not reached,\n"
           "                          else 5 when any holds other values\n"
           "\n"
           "write, set, setup, setmode and restore read the drive back after writing and\n"
           "compare it with what was sent: exit 5 when it holds other values, 3 when the\n"
           "read-back gets no complete reply. Options of these commands:\n"
           "  --no-verify             send only; done once every line went out\n"
           "  --json                  print the read-back report as one JSON document\n"
           "  --backup PATH           (also init) first read the drive and save its set to PATH,\n"
           "                          a new file or a folder for a dated file; nothing is\n"
           "                          written unless that read is complete\n"
           "\n"
           "write, restore and verify take a FILE only when every listed parameter comes once\n"
           "from a well-formed record (number, name, value on a line of its own); otherwise\n"
           "they name what is missing or unreadable and send nothing (exit 4).\n"
           "\n"
           "Exit codes:\n"
           "  0  done\n"
           "  1  the port cannot be opened (the doctor's findings follow); doctor: it cannot\n"
           "  2  usage\n"
           "  3  no reply; a reply that lacks parameters asked for; the port was lost;\n"
           "     watch: three rounds in a row unanswered; scan: no station answered\n"
           "  4  File Error; a FILE that does not yield every value; a --backup file that\n"
           "     exists; records diff left out; a report folder that cannot be written\n"
           "  5  differences: verify and diff, or a read-back that found other values\n"
           "  6  통신처리에러: a reply named a parameter outside 0 to 109\n"
           "  7  TTY Error!: a write to the port failed or stalled\n"
           "  8  the output could not be written (stdout full, closed or gone)\n";
}

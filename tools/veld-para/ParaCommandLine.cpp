#include "ParaCommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "OptionKinds.h"
#include "ParaHelpFormat.h"
#include "VeldVersion.h"

namespace {

using Outcome = ParaCommandLine::Outcome;

constexpr const char* kProgram = "veld-para";
constexpr const char* kCommonGroup = "Options of every command, before or after it";

constexpr const char* kProgramNotes =
    "Options: \"--wait 100\" and \"--wait=100\" are alike. A flag alone is on; --json=1, "
    "true, yes or on sets it, --json=0, false, no or off clears it. An option given twice "
    "counts the last time; --port-map adds each. Options stand before the command, or after "
    "it before or after its values, never among them; \"--\" ends the options.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  the port cannot be opened (the doctor's findings follow); doctor: it cannot\n"
    "  2  usage\n"
    "  3  no reply; a reply that lacks parameters asked for; the port was lost;\n"
    "     watch: three rounds in a row unanswered; scan: no station answered\n"
    "  4  File Error; a FILE that does not yield every value; a --backup file that\n"
    "     exists; records diff left out\n"
    "  5  differences: verify and diff, or a read-back that found other values\n"
    "  6  통신처리에러: a reply named a parameter outside 0 to 109\n"
    "  7  TTY Error!: a write to the port failed or stalled\n"
    "  8  the output could not be written (stdout full, closed or gone)\n"
    "  128+N  stopped by signal N";

// Every app of veld-para: its help's layout, the last of an option's values.
void Prepare(CLI::App& app, std::shared_ptr<ParaHelpFormat> format) {
    app.formatter(std::move(format));
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// After the app's own options, so that it ends their list.
void AddHelp(CLI::App& app, const std::string& description) {
    app.set_help_flag("-h,--help", description);
}

std::string ProgramFooter(const ParaHelpFormat& format) {
    std::string footer = "Commands:\n";
    for (const ParaCommandList::Command& command : ParaCommandList::All()) {
        footer += format.Row(command.name, command.summary);
    }
    return footer + "\n" + kProgramNotes;
}

Outcome UsageError(const CLI::App& app, const ParaHelpFormat& format, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n%s'%s --help' tells more.\n", app.get_name().c_str(), why.c_str(),
                 format.make_usage(&app, app.get_name()).c_str(), app.get_name().c_str());
    return Outcome::kUsageError;
}

Outcome Help(const CLI::App& app) {
    std::fputs(app.help().c_str(), stdout);
    return Outcome::kDone;
}

// An option among the command's values ("set 20 --no-verify 300") is refused:
// taken out of their middle, it would join values the line kept apart.
void CheckValuesTogether(const CLI::App& app) {
    bool valuesBegun = false;
    const CLI::Option* between = nullptr;
    for (const CLI::Option* option : app.parse_order()) {
        if (!option->get_positional()) {
            if (valuesBegun && between == nullptr) between = option;
        } else if (between != nullptr) {
            throw CLI::ValidationError(between->get_name(),
                                       "stands among the values; options go before or after "
                                       "them (and \"--\" before values that begin with -)");
        } else {
            valuesBegun = true;
        }
    }
}

// The options before the command, then the command: its words are left in `words`,
// "--" first when it came before the command.
Outcome ReadProgram(int argc, char** argv, ParaArgs& args, std::vector<std::string>& words,
                    const ParaCommandList::Command*& command) {
    auto format = std::make_shared<ParaHelpFormat>(" COMMAND [ARGS]", "");
    CLI::App program("veld-para: set up a VELD motor drive from the command line", kProgram);
    Prepare(program, format);
    bool version = false;
    OptionKinds::Flag(program, "--version", version, "the program's version");
    AddHelp(program, "this text; COMMAND --help: the command's values and options");
    ParaCommandList::DefineCommon(program, args, kCommonGroup);
    // The first word that is not an option names the command; the rest is its own.
    program.prefix_command();
    program.footer(ProgramFooter(*format));
    try {
        program.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return Help(program);
    } catch (const CLI::ParseError& error) {
        return UsageError(program, *format, error.what());
    }
    if (version) {
        std::printf("%s %s\n", kProgram, VeldVersion::kFull);
        return Outcome::kDone;
    }
    words = program.remaining();
    // "--" before the command ends the options of the command too.
    bool optionsEnded = !words.empty() && words.front() == "--";
    size_t name = optionsEnded ? 1 : 0;
    if (words.size() == name) return UsageError(program, *format, "no command");
    if (!optionsEnded && words.front().starts_with('-')) {
        return UsageError(program, *format, "unknown option: " + words.front());
    }
    command = ParaCommandList::Find(words[name]);
    if (command == nullptr) {
        return UsageError(program, *format, "unknown command: " + words[name]);
    }
    words.erase(words.begin() + static_cast<long>(name));
    return Outcome::kRun;
}

// The command's own values and options, and those of every command after its name.
Outcome ReadCommand(const ParaCommandList::Command& command, std::vector<std::string> words,
                    ParaArgs& args) {
    CLI::App app(std::string(command.name) + ": " + command.summary,
                 std::string(kProgram) + " " + command.name);
    // The options of every command are listed once, in the program's help.
    auto format = std::make_shared<ParaHelpFormat>("", kCommonGroup);
    Prepare(app, format);
    command.define(app, args);
    AddHelp(app, "this text");
    ParaCommandList::DefineCommon(app, args, kCommonGroup);
    std::string note = "The options of every command may stand here too (veld-para --help).";
    app.footer(app.get_footer().empty() ? note : app.get_footer() + "\n\n" + note);
    // CLI11 takes the words last first.
    std::reverse(words.begin(), words.end());
    try {
        app.parse(words);
        CheckValuesTogether(app);
    } catch (const CLI::CallForHelp&) {
        return Help(app);
    } catch (const CLI::ExtrasError&) {
        // In the order given (CLI11's message has them last first), without the "--" mark.
        std::string extras;
        for (const std::string& word : app.remaining()) {
            if (word != "--") extras += " " + word;
        }
        return UsageError(app, *format, "unexpected:" + extras);
    } catch (const CLI::ParseError& error) {
        return UsageError(app, *format, error.what());
    }
    args.command = command.name;
    return Outcome::kRun;
}

}  // namespace

Outcome ParaCommandLine::Parse(int argc, char** argv, ParaArgs& args,
                               const ParaCommandList::Command*& command) {
    std::vector<std::string> words;
    Outcome read = ReadProgram(argc, argv, args, words, command);
    return read == Outcome::kRun ? ReadCommand(*command, std::move(words), args) : read;
}

#include "ParaCommandLine.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "VeldVersion.h"
#include "common/HelpFormat.h"
#include "common/OptionKinds.h"

namespace {

using Outcome = ParaCommandLine::Outcome;
using Command = ParaCommandList::Command;

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

constexpr const char* kBeyond = "BEYOND";

constexpr const char* kCommandNote =
    "The options of every command may stand here too (veld-para --help).";

// The command given, or the program when none was.
const CLI::App& Given(const CLI::App& program) {
    std::vector<CLI::App*> given = program.get_subcommands();
    return given.empty() ? program : *given.front();
}

Outcome UsageError(const CLI::App& program, const std::string& why) {
    const CLI::App& app = Given(program);
    std::string name = &app == &program ? kProgram : std::string(kProgram) + " " + app.get_name();
    std::fprintf(stderr, "%s: %s\n%s'%s --help' tells more.\n", name.c_str(), why.c_str(),
                 HelpFormat(kCommonGroup).make_usage(&app, name).c_str(), name.c_str());
    return Outcome::kUsageError;
}

// The first word the program did not take, before the command or instead of it:
// after "--" it stood where the command goes.
std::string ProgramExtra(const CLI::App& program) {
    bool optionsEnded = false;
    for (const std::string& word : program.remaining()) {
        if (word == "--") {
            optionsEnded = true;
        } else {
            return (!optionsEnded && word.starts_with('-') ? "unknown option: "
                                                           : "unknown command: ") +
                   word;
        }
    }
    // CLI11 takes a command after "--" without counting it as given.
    return optionsEnded ? "the command goes before \"--\", which ends the options" : "";
}

// What makes the line unusable: a word the program could not place first,
// then CLI11's finding in the program's words.
std::string Problem(const CLI::App& program, const CLI::ParseError& error) {
    std::string extra = ProgramExtra(program);
    if (!extra.empty()) return extra;
    bool commandGiven = !program.get_subcommands().empty();
    if (!commandGiven && dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        return "no command";
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) == nullptr) return error.what();
    std::string extras = "unexpected:";
    for (const std::string& word : Given(program).remaining()) {
        if (word != "--") extras += " " + word;
    }
    return extras;
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

// A command with its own options and values, then those of every command,
// which the program's help lists once.
void AddCommand(CLI::App& program, const Command& command, ParaArgs& args) {
    CLI::App* app = program.add_subcommand(command.name, command.summary)->group("Commands");
    command.define(*app, args);
    // A value still open keeps "--" with the command: CLI11 hands it back to the program
    // once the command's values are complete, and the words after it would be read as
    // options. The command's values come first and take every word they may.
    app->add_option(kBeyond)->expected(1, -1)->allow_extra_args()->group("");
    app->set_help_flag("-h,--help", "this text");
    ParaCommandList::DefineCommon(*app, args, kCommonGroup);
    app->footer(app->get_footer().empty() ? kCommandNote
                                          : app->get_footer() + "\n\n" + kCommandNote);
}

}  // namespace

Outcome ParaCommandLine::Parse(int argc, char** argv, ParaArgs& args, const Command*& command) {
    CLI::App program("veld-para: set up a VELD motor drive from the command line", kProgram);
    // Before the commands, which take both from the program.
    program.formatter(std::make_shared<HelpFormat>(kCommonGroup));
    program.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    program.set_version_flag("--version", std::string(kProgram) + " " + VeldVersion::kFull,
                             "the program's version");
    program.set_help_flag("-h,--help",
                          "this text; COMMAND --help: the command's values and options");
    ParaCommandList::DefineCommon(program, args, kCommonGroup);
    // One command; a value named like another command stays a value.
    program.require_subcommand(1);
    program.footer(kProgramNotes);
    for (const Command& each : ParaCommandList::All()) AddCommand(program, each, args);
    try {
        if (std::string empty = OptionKinds::EmptyValue(argc, argv); !empty.empty()) {
            return UsageError(program, empty);
        }
        program.parse(argc, argv);
        CheckValuesTogether(Given(program));
        // Words after "--" that no value of the command took.
        if (const CLI::Option* beyond = Given(program).get_option(kBeyond); beyond->count() > 0) {
            throw CLI::ValidationError("unexpected", CLI::detail::join(beyond->results(), " "));
        }
    } catch (const CLI::CallForHelp&) {
        std::fputs(program.help().c_str(), stdout);
        return Outcome::kDone;
    } catch (const CLI::CallForVersion& version) {
        std::printf("%s\n", version.what());
        return Outcome::kDone;
    } catch (const CLI::ParseError& error) {
        return UsageError(program, Problem(program, error));
    }
    for (const Command& each : ParaCommandList::All()) {
        if (Given(program).get_name() == each.name) command = &each;
    }
    args.command = command->name;
    return Outcome::kRun;
}

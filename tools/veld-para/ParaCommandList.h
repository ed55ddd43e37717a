#pragma once

#include <span>
#include <string>

#include "ParaArgs.h"
#include "ParaCommands.h"

namespace CLI {
class App;
}  // namespace CLI

// Every command of veld-para: its name, its line in the program's --help, its
// options and values (CLI11 definitions that fill ParaArgs), and the member
// of ParaCommands that runs it. A new command is a row here and a member there.
class ParaCommandList {
  public:
    struct Command {
        const char* name;
        const char* summary;
        void (*define)(CLI::App& app, ParaArgs& args);
        int (ParaCommands::*run)();
    };

    static std::span<const Command> All();
    // The options every command takes, before or after its name, in the
    // help's `group`.
    static void DefineCommon(CLI::App& app, ParaArgs& args, const std::string& group);
    // --no-verify and --backup, of every command that writes.
    static void DefineWriteSafety(CLI::App& app, ParaArgs& args);
};

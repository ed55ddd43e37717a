// veld-para: the tool's commands from a terminal, over the same core as the GUI.
#include <csignal>

#include "ParaCommandLine.h"
#include "ParaCommands.h"
#include "StdoutCheck.h"
#include "serial/ExclusiveRelease.h"
#include "serial/PortMap.h"

namespace {

int Run(int argc, char** argv) {
    // The environment's port mappings first, so that the command line's win.
    PortMap::LoadEnvironment();
    ParaArgs args;
    const ParaCommandList::Command* command = nullptr;
    switch (ParaCommandLine::Parse(argc, argv, args, command)) {
        case ParaCommandLine::Outcome::kDone:
            return ParaExit::kDone;
        case ParaCommandLine::Outcome::kUsageError:
            return ParaExit::kUsage;
        case ParaCommandLine::Outcome::kRun:
            break;
    }
    ParaCommands commands(args);
    return (commands.*command->run)();
}

}  // namespace

int main(int argc, char** argv) {
    // Past a file size limit a write fails (EFBIG), and every save says so,
    // instead of the program ending part way through a run.
    std::signal(SIGXFSZ, SIG_IGN);
    ExclusiveRelease::Install();
    StdoutCheck::HoldClosedStreams();
    int code = Run(argc, argv);
    // A command that failed otherwise keeps its own code; the loss is said all
    // the same. Differences are a result, and their listing is what was lost.
    bool outputLost = !StdoutCheck::Close();
    if (outputLost && (code == ParaExit::kDone || code == ParaExit::kDiffer)) {
        code = ParaExit::kOutputLost;
    }
    return code;
}

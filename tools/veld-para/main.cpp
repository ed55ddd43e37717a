// veld-para: the tool's commands from a terminal, over the same core as the GUI.
#include <cstdio>
#include <string>

#include "ParaCommands.h"
#include "ParaOptions.h"
#include "StdoutCheck.h"
#include "VeldVersion.h"
#include "serial/ExclusiveRelease.h"
#include "serial/PortMap.h"

namespace {

int Run(int argc, char** argv) {
    ParaOptions options;
    std::string error;
    switch (options.Parse(argc, argv, error)) {
        case ParaOptions::Outcome::kHelp:
            std::fputs(ParaOptions::Usage(), stdout);
            return ParaCommands::kDone;
        case ParaOptions::Outcome::kVersion:
            std::printf("veld-para %s\n", VeldVersion::kFull);
            return ParaCommands::kDone;
        case ParaOptions::Outcome::kUsageError:
            std::fprintf(stderr, "veld-para: %s\n%s", error.c_str(), ParaOptions::Usage());
            return ParaCommands::kUsage;
        case ParaOptions::Outcome::kRun:
            break;
    }
    // The environment first, so that the command line's mappings win.
    PortMap::LoadEnvironment();
    for (const std::string& mapping : options.portMaps) {
        if (!PortMap::AddMapping(mapping)) {
            std::fprintf(stderr, "veld-para: bad --port-map %s (COMn=PATH)\n%s", mapping.c_str(),
                         ParaOptions::Usage());
            return ParaCommands::kUsage;
        }
    }
    return ParaCommands(options).Run();
}

}  // namespace

int main(int argc, char** argv) {
    ExclusiveRelease::Install();
    StdoutCheck::HoldClosedStreams();
    int code = Run(argc, argv);
    // A command that failed otherwise keeps its own code; the loss is said all the same.
    if (!StdoutCheck::Close() && code == ParaCommands::kDone) code = ParaCommands::kOutputLost;
    return code;
}

#pragma once

#include "ParaArgs.h"
#include "ParaCommandList.h"

// veld-para's command line, read with CLI11: the options of every command,
// then the command, whose own definition reads the rest. Options may stand
// before the command, or after it before or after its values (never among
// them); "--opt VALUE" and "--opt=VALUE" are alike; "--" ends the options.
class ParaCommandLine {
  public:
    enum class Outcome { kRun, kDone, kUsageError };

    // Reads the command line into `args` and names the command to run. The
    // help, the version and what makes the line unusable are printed here:
    // then kDone or kUsageError.
    static Outcome Parse(int argc, char** argv, ParaArgs& args,
                         const ParaCommandList::Command*& command);
};

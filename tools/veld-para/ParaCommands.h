#pragma once

#include <cstdint>

#include "ParaArgs.h"
#include "ParaContext.h"

// The commands of veld-para over the core's builders, table and file; what
// each takes from the command line is defined in ParaCommandList.
class ParaCommands {
  public:
    using enum ParaExit::Code;

    explicit ParaCommands(const ParaArgs& args);

    int Read();
    int Write();
    int Set();
    int Setup();
    int SetMode();
    int Version();
    int Init();
    int Send();
    int Verify();
    int Monitor();
    int Diff();
    int Restore();
    int Watch();       // in ParaWatch.cpp
    int Commission();  // in ParaCommission.cpp
    int History();
    // In ParaPorts.cpp: the port list, the port doctor, the station scan.
    int Ports();
    int Doctor();
    int Scan();

  private:
    ParaContext m_context;
    // What the commands use most, from the context.
    const ParaArgs& m_args;
    ParamTable& m_table;
    ParaSession& m_session;
    const int32_t m_nStationId;
};

#pragma once

#include <cstdint>
#include <string>

#include "DriveSession.h"
#include "ParaOptions.h"
#include "params/ParamTable.h"

// The commands of veld-para over the core's builders, table and file.
class ParaCommands {
  public:
    enum Exit { kDone = 0, kNoPort = 1, kUsage = 2, kNoReply = 3, kFileError = 4, kDiffer = 5 };

    explicit ParaCommands(const ParaOptions& options);
    int Run();

  private:
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

    int OpenPort();
    // Opens the port, sends PRA and collects the replies into the table.
    int ReadDrive();
    // Flushes the queued lines and waits for replies; `printReplies` when the
    // replies are the command's result.
    int SendQueued(bool printReplies = false);
    int Failed(DriveSession::Replies replies);
    int UsageError(const std::string& why) const;
    bool LoadFile(const std::string& path, ParamTable& table) const;
    void PrintParam(int32_t number) const;

    const ParaOptions& m_options;
    ParamTable& m_table;
    DriveSession m_session;
    int32_t m_nStationId;
};

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CommandFlags.h"
#include "ParaOptions.h"
#include "ParaSession.h"
#include "params/ParamSet.h"
#include "params/ParamTable.h"

// The commands of veld-para over the core's builders, table and file.
class ParaCommands {
  public:
    enum Exit {
        kDone = 0,
        kNoPort = 1,
        kUsage = 2,
        kNoReply = 3,  // also a reply that lacks parameters asked for, or a port lost
        kFileError = 4,
        kDiffer = 5,        // also a read-back that found the drive not holding what was sent
        kReplyError = 6,    // "통신처리에러": a reply named a parameter outside 0..109
        kWriteFailed = 7,   // "TTY Error!": a write failed or stalled
        kOutputLost = 8,    // stdout could not be written (full, closed, gone)
        kSignalBase = 128,  // stopped by a signal: 128 + its number, as a shell tells it
    };

    explicit ParaCommands(const ParaOptions& options);
    int Run();

    // What the commands of other files build on.
    ParaSession& Session() { return m_session; }
    ParamTable& Table() { return m_table; }
    int32_t StationId() const { return m_nStationId; }
    const ParaOptions& Options() const { return m_options; }
    // The command's arguments without the flags it takes, and those flags.
    const std::vector<std::string>& Args() const { return m_args; }
    const CommandFlags& Flags() const { return m_flags; }
    int OpenPort();
    // Opens the port, sends PRA and collects the station's replies; done only
    // when they carried every one of `wanted` (then in DriveValues).
    int ReadDrive(const std::vector<int32_t>& wanted);
    // The same on the port already open.
    int ReadOpenDrive(const std::vector<int32_t>& wanted);
    // What the last read carried from the station asked.
    const ParamSet& DriveValues() const { return m_session.ReadReplies().Carried(); }
    // The exit code of a session's outcome, the reason of a failure on stderr.
    int ExitCode(ParaSession::Outcome outcome) const;
    int UsageError(const std::string& why) const;
    // Reads a parameter file whose values are sent or compared: each listed
    // value must come once from a well-formed record. Otherwise false, with
    // "File Error" or what is missing or unreadable on stderr, followed by
    // `consequence`.
    bool LoadFile(const std::string& path, ParamSet& values, const char* consequence) const;

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
    int Diff();
    int Restore();
    int Watch();       // in ParaWatch.cpp
    int Commission();  // in ParaCommission.cpp
    // In ParaPorts.cpp: the port list, the port doctor, the station scan.
    int Ports();
    int Doctor();
    int Scan();
    // What the port doctor says of a port that did not open with `error`.
    static std::string OpenFailure(const std::string& port, int error);

    int CheckReadComplete(const std::vector<int32_t>& wanted) const;
    // Flushes the queued lines and waits for replies; `printReplies` when the
    // replies are the command's result.
    int SendQueued(bool printReplies = false);
    int AwaitReplies(bool printReplies);
    void PrintParam(int32_t number, int32_t value) const;

    const ParaOptions& m_options;
    ParamTable& m_table;
    ParaSession m_session;
    int32_t m_nStationId;
    std::vector<std::string> m_args;
    CommandFlags m_flags;
};

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ParaArgs.h"
#include "ParaExit.h"
#include "ParaSession.h"
#include "params/ParamFileCheck.h"
#include "params/ParamSet.h"
#include "params/ParamTable.h"

// What a command works with: the command line, the parameter table, the
// drive session and the station; and the steps every command takes with them.
class ParaContext {
  public:
    using enum ParaExit::Code;

    explicit ParaContext(const ParaArgs& args);
    // Says on stderr what the journal could not record.
    ~ParaContext();

    const ParaArgs& Args() const { return m_args; }
    ParamTable& Table() { return m_table; }
    ParaSession& Session() { return m_session; }
    int32_t StationId() const { return m_nStationId; }

    // Opens the port the options name; when it will not open, the port
    // doctor's findings on stderr.
    int OpenPort();
    // Opens the port, sends PRA and collects the station's replies; done only
    // when they carried every one of `wanted` (then in DriveValues).
    int ReadDrive(const std::vector<int32_t>& wanted);
    // What the last read carried from the station asked.
    const ParamSet& DriveValues() const { return m_session.ReadReplies().Carried(); }
    // The exit code of a session's outcome, the reason of a failure on stderr.
    int ExitCode(ParaSession::Outcome outcome) const;
    // Reads a parameter file whose values are sent or compared: each listed
    // value must come once from a well-formed record. Otherwise false, with
    // "File Error" or what is missing or unreadable on stderr, followed by
    // `consequence`.
    static bool LoadFile(const std::string& path, ParamSet& values, const char* consequence);
    // The same for the file `path` read as `check` (null: it could not be read).
    static bool Sendable(const std::string& path, const ParamFileCheck* check,
                         const char* consequence);
    // What a comparison left out of a file, on stderr; true when anything.
    static bool ReportSkipped(const std::string& path, const ParamFileCheck& file);
    // " 3 7 20": each number after a blank, as the messages list them.
    static std::string NumberList(const std::vector<int32_t>& numbers);
    // "File Error", `path` and `consequence` (unless null) on stderr; kFileError.
    static int FileError(const std::string& path, const char* consequence = nullptr);

  private:
    // Records what the session does in the journal the options name, unless
    // --no-journal; says on stderr when it cannot, and writes are then refused.
    void OpenJournal();
    // Why a read that got replies is not complete, on stderr, and its exit code.
    int ExplainIncomplete() const;

    const ParaArgs& m_args;
    ParamTable& m_table;
    ParaSession m_session;
    int32_t m_nStationId;
};

#pragma once

#include <string>

#include "JsonReport.h"
#include "ParaContext.h"
#include "params/ParamSet.h"
#include "protocol/ReadBackReport.h"

// What makes veld-para's writes safe: the drive's set saved before anything
// is written (--backup), every write group read back and compared with what
// was sent (unless --no-verify), and the commands diff and restore.
class SafeWriteCommands {
  public:
    using enum ParaExit::Code;

    explicit SafeWriteCommands(ParaContext& context);

    // diff FILE_A FILE_B: the two files compared, no port.
    int Diff();
    // restore FILE: reads the drive, sends the parameters of FILE that differ
    // from it, reads back.
    int Restore();
    // The same with `values` (`whose`: "the file's" as the report says it;
    // `filePath`, recorded in the journal once its values are sent).
    int Restore(const ParamSet& values, const std::string& whose, const std::string& filePath = {});

    // Opens the port for a command that writes; with --backup it first reads
    // the drive and saves its set. Nothing may be written unless it is done.
    int OpenForWriting();
    // Right before the write group is queued: its read-back is asked for
    // unless --no-verify.
    void BeforeWriteGroup();
    // Sends the queued write group, whose values are `sent`, and reads it back
    // unless --no-verify: done when the drive holds every value as sent.
    int SendWriteGroup(const ParamSet& sent);

  private:
    // An existing --backup file (a dangling link too) is refused before the
    // drive is read: an earlier backup would be lost.
    int CheckBackupTarget() const;
    int SaveBackup();
    int Report(const ReadBackReport& report) const;
    // --json: the values sent (none, when the drive held them) and not read back.
    void ReportSent(const char* result, const ParamSet& sent) const;
    // --json: a write group that stopped before all of it went out.
    void ReportStopped(ParaSession::Outcome outcome) const;
    // The JSON document's fields common to every write command, and its
    // `result` (unless null).
    JsonReport Document(const char* result) const;

    ParaContext& m_context;
    const ParaArgs& m_args;
    std::string m_backupPath;
};

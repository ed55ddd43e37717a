#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ParaContext.h"
#include "ParaExit.h"
#include "journal/Journal.h"
#include "params/ParamSet.h"

namespace CLI {
class App;
}  // namespace CLI

// veld-para history: the journal's entries, one entry, two recorded reads (or
// one and a file) compared, the entries as JSON Lines, the check of every
// entry's hash, and a recorded read put back on the drive (which the drive's
// session records as any write).
class HistoryCommands {
  public:
    using enum ParaExit::Code;

    static constexpr const char* kSummary =
        "the journal: entries oldest first; show ID, diff ID ID|FILE, restore ID, export, verify";
    static void Define(CLI::App& app, ParaArgs& args);

    explicit HistoryCommands(ParaContext& context);
    int Run();

  private:
    int List();
    int Show(int64_t id);
    int Diff(int64_t id, const std::string& other);
    int Restore(int64_t id);
    int Export();
    int Verify();

    // Opens the journal and takes in the old backups once; false, with the
    // reason on stderr, when it cannot be opened.
    bool OpenJournal();
    // What the journal failed at, on stderr; kFileError.
    int JournalFailed() const;
    // The values of the recorded read `id`; nullopt, with the reason on stderr.
    std::optional<ParamSet> RecordedRead(int64_t id);

    ParaContext& m_context;
    const ParaArgs& m_args;
    std::unique_ptr<Journal> m_journal;
};

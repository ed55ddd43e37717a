#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "params/ParamSet.h"

// Drive sets kept before the tool overwrote them: parameter files (so each
// opens with "열기") in one folder, named with the local date and time of the
// save and the station, 20261207-143015-id0.par; a second save within the
// same second gets a sequence number, 20261207-143015-id0-2.par. Files of
// other names in the folder are not backups and are never touched.
class BackupStore {
  public:
    // The bound of the GUI's store: the oldest backups beyond it are dropped.
    static constexpr size_t kMaxBackups = 100;
    static constexpr size_t kUnbounded = 0;

    struct Entry {
        std::string path;
        std::string stamp;  // "20261207-143015"
        int32_t station = 0;
        int sequence = 1;
        // "2026-12-07 14:30:15"
        std::string When() const;
    };

    // `bound` backups at most (kUnbounded: no limit, for a folder the
    // operator chose).
    BackupStore(std::string folder, size_t bound);

    // $XDG_DATA_HOME/VELD_Host_Para/backups; ~/.local/share/... when
    // XDG_DATA_HOME is unset, empty or not an absolute path.
    static std::string DefaultFolder();
    const std::string& Folder() const { return m_folder; }

    // Saves `set` as a new backup of `station` taken at `when` (the folder is
    // made when missing), then drops the oldest beyond the bound. The path of
    // the new file, or empty when it could not be written.
    std::string Save(const ParamSet& set, int32_t station, std::time_t when) const;
    // The backups, newest first.
    std::vector<Entry> List() const;

    // The name of a backup; false for any other file name.
    static bool ParseName(const std::string& name, Entry& entry);
    static std::string FileName(const std::string& stamp, int32_t station, int sequence);

  private:
    void Prune() const;

    std::string m_folder;
    size_t m_bound;
};

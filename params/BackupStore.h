#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "params/ParamSet.h"

// Drive sets kept before the tool overwrote them: parameter files (so each
// opens with "열기") in one folder, named with the local date and time of the
// save and the station, 20261207-143015-id0.par; a second save within the
// same second gets a sequence number, 20261207-143015-id0-2.par. The port the
// drive was read on is kept beside it in a text file of the same name ending
// in ".port" (20261207-143015-id0.port), so that the backup stays a parameter
// file; a backup without one (saved before ports were kept) lists with no
// port. Files of other names in the folder are not backups and are never
// touched.
class BackupStore {
  public:
    struct Entry {
        std::string path;
        std::string stamp;  // "20261207-143015"
        int32_t station = 0;
        int sequence = 1;
        // "COM15", "/dev/ttyUSB0", "tcp://host:4001"; empty when not recorded.
        std::string port;
    };

    explicit BackupStore(std::string folder);

    // $XDG_DATA_HOME/VELD_Host_Para/backups; ~/.local/share/... when
    // XDG_DATA_HOME is unset, empty or not an absolute path.
    static std::string DefaultFolder();

    // Saves `set` as a new backup of `station` read on `port` (empty: not
    // known) at `when` (the folder is made when missing). The path of the
    // new file, or empty when it could not be written.
    std::string Save(const ParamSet& set, int32_t station, const std::string& port,
                     std::time_t when) const;
    // The backups, newest first.
    std::vector<Entry> List() const;

    // The backup at `path`: its name's parts and its port; false when the
    // file's name is not a backup's.
    static bool Describe(const std::string& path, Entry& entry);
    // The name of a backup; false for any other file name.
    static bool ParseName(const std::string& name, Entry& entry);
    static std::string FileName(const std::string& stamp, int32_t station, int sequence);

  private:
    // The file beside a backup that names its port.
    static std::string PortPath(const std::string& backup);
    static void SavePort(const std::string& backup, const std::string& port);

    std::string m_folder;
};

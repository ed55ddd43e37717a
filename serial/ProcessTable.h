#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

// What /proc tells of the running processes without opening any device:
// names from <proc>/PID/comm, users from <proc>/PID/status, open files from
// <proc>/PID/fd (only the user's own processes unless root), and the flock
// holders of every user's processes from <proc>/locks.
class ProcessTable {
  public:
    struct Process {
        int pid = 0;
        std::string name;
        uid_t uid = static_cast<uid_t>(-1);  // its real user; -1 when not known
        bool locks = false;                  // holds a lock on the node asked about
    };
    struct Holders {
        std::vector<Process> processes;  // by PID
        int hidden = 0;                  // processes whose open files could not be read
    };

    explicit ProcessTable(std::filesystem::path procRoot = "/proc");

    // The processes that have `node` open or hold a lock on it.
    Holders HoldersOf(const struct stat& node) const;
    // The running processes of that name.
    std::vector<Process> Named(const std::string& name) const;

  private:
    std::vector<int> Pids() const;
    std::string NameOf(int pid) const;
    Process Describe(int pid) const;
    // PIDs from <proc>/locks with a lock on `node`.
    std::vector<int> LockersOf(const struct stat& node) const;

    std::filesystem::path m_procRoot;
};

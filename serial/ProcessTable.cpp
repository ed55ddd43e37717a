#include "serial/ProcessTable.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Two names for one device: a device node by its device number (the same
// device may have a node in several places), any other file by its inode.
bool SameNode(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsPid(const std::string& name) {
    return !name.empty() && name.size() < 10 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One line of <proc>/locks: "1: FLOCK  ADVISORY  WRITE 812 00:05:1049 0 EOF", or
// with "->" after the number for a waiter. The file system's device is hexadecimal.
bool LockLineNames(const std::string& line, const struct stat& node, int& pid) {
    std::istringstream in(line);
    std::string number, kind, mode, access, where;
    in >> number >> kind;
    if (kind == "->") in >> kind;
    in >> mode >> access >> pid >> where;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (!in || std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) return false;
    return major == ::major(node.st_dev) && minor == ::minor(node.st_dev) && inode == node.st_ino;
}

// Whether an open file (`fd` in <proc>/PID/fd, stat `open`) is the master
// side of the pseudo-terminal whose terminal side is `node`: /dev/ptmx with
// the terminal's number as "tty-index" in <proc>/PID/fdinfo.
bool ServesTerminal(const fs::path& fd, const struct stat& open, const struct stat& node) {
    constexpr unsigned kPtmxMajor = 5, kPtmxMinor = 2;
    constexpr unsigned kPtsFirstMajor = 136, kPtsLastMajor = 143;
    unsigned major = ::major(node.st_rdev);
    if (!S_ISCHR(open.st_mode) || ::major(open.st_rdev) != kPtmxMajor ||
        ::minor(open.st_rdev) != kPtmxMinor || !S_ISCHR(node.st_mode) || major < kPtsFirstMajor ||
        major > kPtsLastMajor) {
        return false;
    }
    unsigned index = (major - kPtsFirstMajor) * 256 + ::minor(node.st_rdev);
    std::ifstream info(fd.parent_path().parent_path() / "fdinfo" / fd.filename());
    for (std::string line; std::getline(info, line);) {
        unsigned found = 0;
        if (std::sscanf(line.c_str(), "tty-index: %u", &found) == 1) return found == index;
    }
    return false;
}

}  // namespace

ProcessTable::ProcessTable(fs::path procRoot) : m_procRoot(std::move(procRoot)) {}

std::vector<int> ProcessTable::Pids() const {
    std::vector<int> pids;
    std::error_code error;
    for (fs::directory_iterator it(m_procRoot, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename();
        if (IsPid(name)) pids.push_back(std::atoi(name.c_str()));
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::string ProcessTable::NameOf(int pid) const {
    std::ifstream in(m_procRoot / std::to_string(pid) / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

ProcessTable::Process ProcessTable::Describe(int pid) const {
    Process process;
    process.pid = pid;
    process.name = NameOf(pid);
    // "Uid:\t1000\t1000\t1000\t1000": the real user first.
    std::ifstream status(m_procRoot / std::to_string(pid) / "status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Uid:", 0) != 0) continue;
        std::istringstream fields(line.substr(4));
        unsigned long uid = 0;
        if (fields >> uid) process.uid = static_cast<uid_t>(uid);
        break;
    }
    return process;
}

std::vector<int> ProcessTable::LockersOf(const struct stat& node) const {
    std::vector<int> pids;
    std::ifstream in(m_procRoot / "locks");
    for (std::string line; std::getline(in, line);) {
        int pid = 0;
        if (LockLineNames(line, node, pid) && pid > 0) pids.push_back(pid);
    }
    return pids;
}

ProcessTable::Holders ProcessTable::HoldersOf(const struct stat& node) const {
    Holders holders;
    std::set<int> found;
    for (int pid : Pids()) {
        std::error_code error;
        fs::directory_iterator fds(m_procRoot / std::to_string(pid) / "fd", error);
        if (error) {
            // Another user's process, or one that ended meanwhile.
            if (error == std::errc::permission_denied) ++holders.hidden;
            continue;
        }
        bool opens = false;
        bool serves = false;
        for (fs::directory_iterator end; !error && fds != end; fds.increment(error)) {
            struct stat open {};
            if (::stat(fds->path().c_str(), &open) != 0) continue;
            opens = opens || SameNode(open, node);
            serves = serves || ServesTerminal(fds->path(), open, node);
        }
        // The program at the other end of a pseudo-terminal (a simulator) may
        // hold its terminal side too; it is the line, not a user of it.
        if (opens && !serves) found.insert(pid);
    }
    std::vector<int> lockers = LockersOf(node);
    found.insert(lockers.begin(), lockers.end());
    for (int pid : found) {
        Process process = Describe(pid);
        process.locks = std::find(lockers.begin(), lockers.end(), pid) != lockers.end();
        holders.processes.push_back(process);
    }
    return holders;
}

std::vector<ProcessTable::Process> ProcessTable::Named(const std::string& name) const {
    std::vector<Process> processes;
    for (int pid : Pids()) {
        if (NameOf(pid) == name) processes.push_back({pid, name});
    }
    return processes;
}

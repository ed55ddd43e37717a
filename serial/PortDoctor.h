#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "serial/PortFinding.h"
#include "serial/PortInventory.h"
#include "serial/ProcessTable.h"
#include "serial/UserIdentity.h"

// Finds out why a port will not open, or that it will, without opening it:
// from the device node, sysfs, /proc and the group file. A network port has
// none of these to look at: the doctor connects to it (and lets go at once)
// unless an open just failed with a reason that tells enough.
class PortDoctor {
  public:
    struct Roots {
        std::filesystem::path sys = "/sys";
        std::filesystem::path dev = "/dev";
        std::filesystem::path proc = "/proc";
        std::filesystem::path groupFile = "/etc/group";
    };
    struct Report {
        std::string name;  // as asked: "COM15", "/dev/ttyUSB0", a by-id link
        std::string path;  // the device it stands for; empty when it names none
        std::optional<PortInventory::Port> port;  // what the inventory knows of it
        std::vector<PortFinding> findings;        // the blocking ones first; kReady last

        bool Ready() const;
        // The first finding that blocks, or the last one (kReady or a note).
        const PortFinding& Verdict() const;
    };

    // USB ids that brltty's device rules claim: CH340 and CP210x adapters.
    static constexpr const char* kBrlttyUsbIds[] = {"1a86:7523", "10c4:ea60"};
    // How long a server that turns a client away takes to close, at most.
    static constexpr std::chrono::milliseconds kServerCloseWait{300};

    PortDoctor();
    PortDoctor(Roots roots, UserIdentity who);

    // `openError`: the errno of an open that just failed, or 0.
    Report Examine(const std::string& name, int openError = 0) const;

  private:
    void ExamineNode(Report& report, int openError) const;
    void ExamineAccess(Report& report, const struct stat& node) const;
    void ExamineHolders(Report& report, const struct stat& node, int openError) const;
    void ExamineServices(Report& report) const;
    void ExamineNetwork(Report& report, int openError) const;
    bool HasUart(const std::string& name) const;
    // A brltty adapter that is plugged in but has no port (brltty took it).
    std::string PortlessBrlttyAdapter() const;
    std::optional<PortInventory::Port> FindPort(const std::string& path) const;

    Roots m_roots;
    UserIdentity m_who;
    PortInventory m_inventory;
    ProcessTable m_processes;
};

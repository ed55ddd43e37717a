#pragma once

#include <string>

// One thing the port doctor found out about a port: what it is and the data
// a front end needs to say it, with the remedy, in its own language.
struct PortFinding {
    enum class Kind {
        kReady,         // nothing keeps it from opening
        kNoSuchDevice,  // `path` does not exist
        kNotADevice,    // `path` is no character device
        kNoUart,        // a ttyS without a UART behind it
        kJoinGroup,     // `group` may use it; `user` is not in it
        kLogInAgain,    // `user` is in `group`, but only from the next login on
        kNoAccess,      // no group may use it: only its owner
        kHeldBy,        // process `process` (`pid`) has it open or locked; `self`: this one
        kHolderHidden,  // in use, by a process this user may not look into
        kBrltty,        // brltty (`pid`) runs and claims adapters of this kind (`usbId`)
        kModemManager,  // ModemManager (`pid`) runs and probes new ACM devices
        kOpenFailed,    // the open failed with `error` for a reason not found above
    };

    Kind kind = Kind::kReady;
    std::string path;
    std::string user;
    std::string group;
    int pid = 0;
    std::string process;
    bool self = false;
    std::string usbId;
    int error = 0;

    // Whether it keeps the port from opening; ModemManager only delays.
    bool Blocks() const { return kind != Kind::kReady && kind != Kind::kModemManager; }
};

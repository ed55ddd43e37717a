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
        kHeldBy,        // process `process` (`pid`) of `user` has it: see `hold`; `self`: this one
        kHolderHidden,  // the open was refused as busy, and no holder is to be seen
        kBrltty,        // brltty (`pid`) runs and claims adapters of this kind (`usbId`)
        kModemManager,  // ModemManager (`pid`) runs and probes new ACM devices
        kOpenFailed,    // the open failed with `error` for a reason not found above
        // Network ports; `path` is the port's name, `host` its host.
        kBadAddress,      // not of the form tcp://HOST:PORT or rfc2217://HOST:PORT
        kNameUnresolved,  // `host` does not resolve
        kRefused,         // nothing listens there (connection refused)
        kNoAnswer,        // no answer within the open's time
        kClosedAtOnce,    // the server ended the connection at once; `said` what it sent
        kNoTelnet,        // rfc2217://, but no Telnet answer: a raw TCP port?
        kTelnetRefused,   // Telnet, but binary mode or the COM-PORT-OPTION refused
        kLineRefused,     // the server did not take the line settings
        kServerAnswers,   // the server accepts the connection (and RFC 2217)
    };
    // How a holder holds the port: it has it open (the open is not refused,
    // but both would take each other's bytes), or it refuses the open with
    // its lock or its exclusive flag.
    enum class Hold { kOpen, kLock, kExclusive };

    Kind kind = Kind::kReady;
    std::string path;
    std::string user;
    std::string group;
    int pid = 0;
    std::string process;
    bool self = false;
    Hold hold = Hold::kOpen;
    bool otherUser = false;  // kHeldBy: `user` is not the one asking
    std::string usbId;
    int error = 0;
    std::string host;
    std::string said;

    // Whether it keeps the port from opening; ModemManager only delays.
    bool Blocks() const {
        return kind != Kind::kReady && kind != Kind::kModemManager && kind != Kind::kServerAnswers;
    }
};

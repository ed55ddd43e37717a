#pragma once

// veld-para's exit codes, as its man page lists them.
struct ParaExit {
    enum Code {
        kDone = 0,
        kNoPort = 1,
        kUsage = 2,
        kNoReply = 3,  // also a reply that lacks parameters asked for, or a port lost
        kFileError = 4,
        kDiffer = 5,        // also a read-back that found the drive not holding what was sent
        kReplyError = 6,    // "통신처리에러": a reply named a parameter outside 0..109
        kWriteFailed = 7,   // "TTY Error!": a write failed or stalled
        kOutputLost = 8,    // stdout could not be written (full, closed, gone)
        kSignalBase = 128,  // stopped by a signal: 128 + its number, as a shell tells it
    };
};

#pragma once

#include <string>
#include <vector>

// The options a command takes among its arguments, wherever they stand:
// --json, --no-verify, --backup PATH. Those a command does not take stay
// among its arguments, where the command reports them as unexpected.
class CommandFlags {
  public:
    enum Flag { kJson = 1, kNoVerify = 2, kBackup = 4 };
    static constexpr int kWriteFlags = kJson | kNoVerify | kBackup;

    // The flags `command` takes.
    static int AcceptedBy(const std::string& command);

    // Takes the flags of `accepted` out of `args`; false, with `error`, for
    // --backup without a PATH.
    bool Take(std::vector<std::string>& args, int accepted, std::string& error);

    bool json = false;
    bool noVerify = false;
    std::string backupPath;  // empty: no backup
};

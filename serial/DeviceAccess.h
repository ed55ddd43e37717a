#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "serial/UserIdentity.h"

// Whether a user may read and write a device node by its owner, group and
// mode bits, as the kernel decides (root always may; ACLs are not looked at),
// and when not, what would let them: the node's group, which the user is
// either not in, or in by the group file but not yet in this login session.
class DeviceAccess {
  public:
    enum class Verdict {
        kAllowed,
        kJoinGroup,   // the group may; the user is not in it
        kLogInAgain,  // the group may; the user is in it from the next login on
        kDenied,      // no group would do: only the owner (or nobody) may
    };
    struct Result {
        Verdict verdict = Verdict::kAllowed;
        std::string group;  // the node's group by name (its number when unnamed)
    };

    // `groupFile` is /etc/group or a stand-in.
    static Result Check(const struct stat& node, const UserIdentity& who,
                        const std::filesystem::path& groupFile);
};

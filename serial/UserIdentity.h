#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Who asks for a device: the user and the groups the kernel grants the
// process now. A user added to a group later gets it only at the next login.
struct UserIdentity {
    uid_t uid = 0;
    std::string name;
    std::vector<gid_t> groups;  // the effective group and the supplementary ones

    static UserIdentity OfThisProcess();
    // The user's name from the password database, or the number.
    static std::string NameOf(uid_t uid);
    bool HasGroup(gid_t gid) const;
};

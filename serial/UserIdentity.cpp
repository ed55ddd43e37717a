#include "serial/UserIdentity.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

UserIdentity UserIdentity::OfThisProcess() {
    UserIdentity who;
    who.uid = ::geteuid();
    who.groups.push_back(::getegid());
    int count = ::getgroups(0, nullptr);
    std::vector<gid_t> supplementary(count > 0 ? static_cast<size_t>(count) : 0);
    count = ::getgroups(static_cast<int>(supplementary.size()), supplementary.data());
    supplementary.resize(count > 0 ? static_cast<size_t>(count) : 0);
    who.groups.insert(who.groups.end(), supplementary.begin(), supplementary.end());
    who.name = NameOf(who.uid);
    return who;
}

std::string UserIdentity::NameOf(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->pw_name;
    }
    return std::to_string(uid);
}

bool UserIdentity::HasGroup(gid_t gid) const {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

#include "serial/DeviceAccess.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr mode_t kOwnerRw = S_IRUSR | S_IWUSR;
constexpr mode_t kGroupRw = S_IRGRP | S_IWGRP;
constexpr mode_t kOtherRw = S_IROTH | S_IWOTH;

bool Grants(mode_t mode, mode_t both) { return (mode & both) == both; }

struct GroupEntry {
    std::string name;
    std::vector<std::string> members;
};

// The entry of `gid` in a group file ("name:x:gid:member,member"); empty when absent.
GroupEntry FindGroup(const std::filesystem::path& groupFile, gid_t gid) {
    std::ifstream in(groupFile);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream parts(line);
        for (std::string field; std::getline(parts, field, ':');) fields.push_back(field);
        if (fields.size() < 3 || fields[2] != std::to_string(gid)) continue;
        GroupEntry entry{fields[0], {}};
        std::stringstream members(fields.size() > 3 ? fields[3] : "");
        for (std::string member; std::getline(members, member, ',');) {
            entry.members.push_back(member);
        }
        return entry;
    }
    return {};
}

}  // namespace

DeviceAccess::Result DeviceAccess::Check(const struct stat& node, const UserIdentity& who,
                                         const std::filesystem::path& groupFile) {
    GroupEntry group = FindGroup(groupFile, node.st_gid);
    Result result{Verdict::kAllowed, group.name.empty() ? std::to_string(node.st_gid) : group.name};
    if (who.uid == 0) return result;
    // The kernel looks at one class only: owner, else group, else the others.
    bool allowed = who.uid == node.st_uid      ? Grants(node.st_mode, kOwnerRw)
                   : who.HasGroup(node.st_gid) ? Grants(node.st_mode, kGroupRw)
                                               : Grants(node.st_mode, kOtherRw);
    if (allowed) return result;
    if (who.uid == node.st_uid || who.HasGroup(node.st_gid) || !Grants(node.st_mode, kGroupRw)) {
        result.verdict = Verdict::kDenied;
        return result;
    }
    bool listed = false;
    for (const std::string& member : group.members) listed = listed || member == who.name;
    result.verdict = listed ? Verdict::kLogInAgain : Verdict::kJoinGroup;
    return result;
}

#include "journal/JournalOrigin.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "VeldVersion.h"

JournalOrigin JournalOrigin::Current(const std::string& program) {
    return {program, VeldVersion::kFull, UserName(), HostName()};
}

std::string JournalOrigin::UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    if (user && user->pw_name) return user->pw_name;
    const char* name = std::getenv("USER");
    return name ? name : "";
}

std::string JournalOrigin::HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

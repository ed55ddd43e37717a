#include "params/DataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}

}  // namespace

std::string DataFolder::Path() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base = data && data[0] == '/' ? data : HomeFolder() + "/.local/share";
    return base + "/VELD_Host_Para";
}

#include "serial/PortMap.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "serial/NetAddress.h"

namespace {

// The number of "COM<n>" (any case), or 0 when the text is not such a name.
int ComNumber(const std::string& name) {
    if (name.size() < 4 || strncasecmp(name.c_str(), "COM", 3) != 0) return 0;
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        char c = name[i];
        if (c < '0' || c > '9' || number > 99999) return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` that matches `component` without regard to case, or "".
std::string FindIgnoringCase(const std::string& dir, const std::string& component) {
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (d == nullptr) return "";
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (strcasecmp(e->d_name, component.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::map<int, std::string>& PortMap::Mappings() {
    static std::map<int, std::string> mappings;
    return mappings;
}

bool PortMap::AddMapping(const std::string& text) {
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    int number = ComNumber(text.substr(0, eq));
    std::string path = text.substr(eq + 1);
    if (number == 0 || path.empty()) return false;
    Mappings()[number] = path;
    return true;
}

bool PortMap::AddMappingList(const std::string& list) {
    bool allGood = true;
    std::stringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (!entry.empty() && !AddMapping(entry)) allGood = false;
    }
    return allGood;
}

bool PortMap::LoadEnvironment() {
    const char* list = std::getenv("VELD_PORT_MAP");
    return list == nullptr || AddMappingList(list);
}

void PortMap::Clear() { Mappings().clear(); }

std::string PortMap::Resolve(const std::string& text) {
    // The port text names Windows devices ("\\.\COM15"); the prefix means nothing here.
    std::string name = text.rfind("\\\\.\\", 0) == 0 ? text.substr(4) : text;
    if (int number = ComNumber(name); number > 0) {
        auto it = Mappings().find(number);
        if (it == Mappings().end()) return "/dev/ttyS" + std::to_string(number - 1);
        name = it->second;
    }
    if (name.empty() || NetAddress::IsNetworkName(name)) return name;
    return ResolvePath(name);
}

std::string PortMap::Mapped(const std::string& comName) {
    auto it = Mappings().find(ComNumber(comName));
    return it == Mappings().end() ? "" : it->second;
}

std::string PortMap::ResolvePath(const std::string& name) {
    // A relative path is taken from the current folder, wherever it was named.
    std::string path = name;
    if (name[0] != '/') {
        char* cwd = ::getcwd(nullptr, 0);
        if (cwd == nullptr) return "";
        path = std::string(cwd) + "/" + name;
        std::free(cwd);
    }
    std::string resolved;
    std::stringstream components(path);
    std::string component;
    while (std::getline(components, component, '/')) {
        if (component.empty()) continue;
        std::string exact = resolved + "/" + component;
        if (Exists(exact)) {
            resolved = exact;
            continue;
        }
        std::string match = FindIgnoringCase(resolved, component);
        resolved += "/" + (match.empty() ? component : match);
    }
    return resolved.empty() ? "/" : resolved;
}

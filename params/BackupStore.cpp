#include "params/BackupStore.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <utility>

#include "params/DataFolder.h"
#include "params/ParamFile.h"
#include "params/SafeFile.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxSequence = 1000;
constexpr const char* kExtension = ".par";
constexpr const char* kPortExtension = ".port";
// A port name is a device path or a network address: far less than this.
constexpr size_t kMaxPortBytes = 4096;

// The digits at `pos` as a number; moves `pos` past them. False when there are none.
bool TakeNumber(const std::string& text, size_t& pos, int32_t& value) {
    size_t end = pos;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    auto [stop, error] = std::from_chars(text.data() + pos, text.data() + end, value);
    if (end == pos || error != std::errc() || stop != text.data() + end) return false;
    pos = end;
    return true;
}

bool TakeDigits(const std::string& text, size_t& pos, size_t count) {
    for (size_t i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) {
            return false;
        }
    }
    return true;
}

bool TakeText(const std::string& text, size_t& pos, const std::string& expected) {
    if (text.compare(pos, expected.size(), expected) != 0) return false;
    pos += expected.size();
    return true;
}

bool IsNewer(const BackupStore::Entry& a, const BackupStore::Entry& b) {
    if (a.stamp != b.stamp) return a.stamp > b.stamp;
    return a.sequence > b.sequence;
}

}  // namespace

BackupStore::BackupStore(std::string folder) : m_folder(std::move(folder)) {}

std::string BackupStore::DefaultFolder() { return DataFolder::Path() + "/backups"; }

std::string BackupStore::FileName(const std::string& stamp, int32_t station, int sequence) {
    std::string name = stamp + "-id" + std::to_string(station);
    if (sequence > 1) name += "-" + std::to_string(sequence);
    return name + kExtension;
}

bool BackupStore::ParseName(const std::string& name, Entry& entry) {
    size_t pos = 0;
    if (!TakeDigits(name, pos, 8) || !TakeText(name, pos, "-") || !TakeDigits(name, pos, 6) ||
        !TakeText(name, pos, "-id")) {
        return false;
    }
    Entry parsed;
    parsed.stamp = name.substr(0, 15);
    bool negative = TakeText(name, pos, "-");
    if (!TakeNumber(name, pos, parsed.station)) return false;
    if (negative) parsed.station = -parsed.station;
    if (TakeText(name, pos, "-") &&
        (!TakeNumber(name, pos, parsed.sequence) || parsed.sequence < 2)) {
        return false;
    }
    if (name.substr(pos) != kExtension) return false;
    entry = parsed;
    return true;
}

std::string BackupStore::Save(const ParamSet& set, int32_t station, const std::string& port,
                              std::time_t when) const {
    std::error_code error;
    fs::create_directories(m_folder, error);
    std::tm local{};
    char stamp[16] = {};
    if (!::localtime_r(&when, &local) ||
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local) != 15) {
        return "";
    }
    for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
        fs::path path = fs::path(m_folder) / FileName(stamp, station, sequence);
        if (fs::exists(fs::symlink_status(path, error))) continue;
        if (!ParamFile::Create(path.string(), set)) return "";
        SavePort(path.string(), port);
        return path.string();
    }
    return "";
}

std::string BackupStore::PortPath(const std::string& backup) {
    return backup.substr(0, backup.size() - std::char_traits<char>::length(kExtension)) +
           kPortExtension;
}

void BackupStore::SavePort(const std::string& backup, const std::string& port) {
    std::string side = PortPath(backup);
    // One left by a backup of this name that was deleted names another read's port.
    std::error_code error;
    fs::remove(side, error);
    // Without it the backup still stands; it lists with no port.
    if (!port.empty()) SafeFile::Create(side, port + "\n");
}

bool BackupStore::Describe(const std::string& path, Entry& entry) {
    if (!ParseName(fs::path(path).filename().string(), entry)) return false;
    entry.path = path;
    std::string port;
    if (SafeFile::ReadRegular(PortPath(path), kMaxPortBytes, port)) {
        entry.port = port.substr(0, port.find('\n'));
    }
    return true;
}

std::vector<BackupStore::Entry> BackupStore::List() const {
    std::vector<Entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        Entry entry;
        if (it->is_regular_file(error) && Describe(it->path().string(), entry)) {
            entries.push_back(entry);
        }
    }
    std::sort(entries.begin(), entries.end(), IsNewer);
    return entries;
}

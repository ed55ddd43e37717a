#include "journal/JournalFile.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr size_t kHeaderBytes = 100;

uint32_t BigEndian(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

bool MakeFolders(const fs::path& folder, std::string& error) {
    std::error_code unknown;
    if (folder.empty() || fs::exists(folder, unknown)) return true;
    if (!MakeFolders(folder.parent_path(), error)) return false;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the folder " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string LocalStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[16] = {};
    if (!::localtime_r(&now, &local)) return "00000000-000000";
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return stamp;
}

}  // namespace

bool JournalFile::Prepare(const std::string& path, std::string& error) {
    if (!MakeFolders(fs::path(path).parent_path(), error)) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) return true;
    if (fd < 0) {
        error = "cannot make " + path + ": " + std::strerror(errno);
        return false;
    }
    // The umask may have taken the owner's bits.
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

bool JournalFile::CutShort(sqlite3* db) {
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        file == nullptr || file->pMethods == nullptr ||
        file->pMethods->xFileSize(file, &size) != SQLITE_OK || size == 0) {
        return false;
    }
    if (size < static_cast<sqlite3_int64>(kHeaderBytes)) return true;
    unsigned char header[kHeaderBytes] = {};
    if (file->pMethods->xRead(file, header, kHeaderBytes, 0) != SQLITE_OK) return true;
    uint32_t pageSize = BigEndian(header + 16, 2);
    if (pageSize == 1) pageSize = 65536;
    uint32_t pages = BigEndian(header + 28, 4);
    // The page count holds only while the change counter matches the one it was written with.
    bool countValid = BigEndian(header + 24, 4) == BigEndian(header + 92, 4);
    return countValid && static_cast<sqlite3_int64>(pages) * pageSize > size;
}

std::string JournalFile::MoveAside(const std::string& path) {
    std::string stamp = LocalStamp();
    std::string aside = path + ".damaged-" + stamp;
    std::error_code error;
    for (int sequence = 2; fs::exists(fs::symlink_status(aside, error)); ++sequence) {
        aside = path + ".damaged-" + stamp + "-" + std::to_string(sequence);
    }
    if (::rename(path.c_str(), aside.c_str()) != 0) return "";
    for (const char* side : {"-wal", "-shm"}) {
        std::string from = path + side;
        if (fs::exists(fs::symlink_status(from, error)))
            ::rename(from.c_str(), (aside + side).c_str());
    }
    return aside;
}

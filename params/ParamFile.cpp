#include "params/ParamFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "params/Cp949.h"
#include "params/DecimalText.h"

std::string ParamFile::Format(const ParamTable& table) {
    std::string text;
    for (int32_t number : table.ListedNumbers()) {
        text +=
            Record(number, Cp949::FromUtf8(table.Entry(number).name), table.GetParamValue(number));
    }
    return text + "\r\n";
}

std::string ParamFile::Record(int32_t number, const std::string& name, int32_t value) {
    constexpr const char* kRecord = "%5d, %20s, %10d \r\n";
    int length = std::snprintf(nullptr, 0, kRecord, number, name.c_str(), value);
    std::string record(static_cast<size_t>(length), '\0');
    std::snprintf(record.data(), record.size() + 1, kRecord, number, name.c_str(), value);
    return record;
}

bool ParamFile::Write(const std::string& path, const ParamTable& table) {
    std::string target = TargetPath(path);
    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    // Replacing a file that may not be written, or something that is no file,
    // would go past what the user is allowed to do with it.
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        return false;
    }
    std::string temp = target + "." + std::to_string(::getpid()) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool done = (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) &&
                WriteAll(fd, Format(table)) && ::fsync(fd) == 0;
    done = ::close(fd) == 0 && done;
    done = done && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!done) ::unlink(temp.c_str());
    return done;
}

// A save through a symbolic link replaces the file it points to, not the link.
std::string ParamFile::TargetPath(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool ParamFile::WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ParamFile::Read(const std::string& path, ParamTable& table, RefreshFlag& refresh) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // One byte more than allowed tells a file that is too large.
    std::string content(kMaxFileBytes + 1, '\0');
    size_t length = 0;
    bool readable = true;
    while (length < content.size()) {
        ssize_t n = ::read(fd, content.data() + length, content.size() - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) readable = false;
        if (n <= 0) break;
        length += static_cast<size_t>(n);
    }
    ::close(fd);
    if (!readable || length > kMaxFileBytes) return false;
    Parse(std::string_view(content.data(), length), table);
    refresh.Raise();
    return true;
}

void ParamFile::Parse(std::string_view content, ParamTable& table) {
    enum Field { kNumber, kName, kValue };
    int field = kNumber;
    int32_t number = 0;
    std::string text;
    auto endField = [&] {
        if (field == kNumber) number = DecimalText::Parse(text);
        if (field == kValue && number >= 0 && number < ParamTable::kCount) {
            table.SetParamValue(number, DecimalText::Parse(text));
        }
        field = (field + 1) % 3;
        text.clear();
    };
    for (char c : content) {
        if (c == ',' || c == '\n') {
            endField();
        } else if (c != ' ' && c != '\r' && text.size() < kMaxFieldBytes) {
            text += c;
        }
    }
    endField();
}

#include "params/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

bool SafeFile::ReadRegular(const std::string& path, size_t maxBytes, std::string& content) {
    // Looked at before it is opened: opening a FIFO waits for a writer, and
    // opening a serial device raises its modem lines.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    // The name may have been replaced by something else in between.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // One byte more than allowed tells a file that is too large.
    content.assign(maxBytes + 1, '\0');
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
    content.resize(length);
    return readable && length <= maxBytes;
}

bool SafeFile::Replace(const std::string& path, const std::string& text) {
    std::string target = TargetPath(path);
    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    // Replacing a file that may not be written, or something that is no file,
    // would go past what the user is allowed to do with it.
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        return false;
    }
    std::string staging = StagingPath(target);
    // What a save killed at the unlucky moment left behind.
    ::unlink(staging.c_str());
    bool named = false;
    int fd = CreateStaging(target, staging, named);
    if (fd < 0) return false;
    bool done = (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0) && WriteAll(fd, text) &&
                ::fsync(fd) == 0;
    // The file gets a name only once it is complete.
    if (done && !named) done = Link(fd, staging);
    done = ::close(fd) == 0 && done;
    done = done && ::rename(staging.c_str(), target.c_str()) == 0;
    if (!done) ::unlink(staging.c_str());
    return done;
}

bool SafeFile::Create(const std::string& path, const std::string& text) {
    std::string staging = StagingPath(path);
    ::unlink(staging.c_str());
    bool named = false;
    int fd = CreateStaging(path, staging, named);
    if (fd < 0) return false;
    bool done = WriteAll(fd, text) && ::fsync(fd) == 0;
    // A link, unlike a rename, never replaces what has the name already.
    if (done && !named) done = Link(fd, path);
    done = ::close(fd) == 0 && done;
    if (named) {
        done = done && ::link(staging.c_str(), path.c_str()) == 0;
        ::unlink(staging.c_str());
    }
    return done;
}

// A save through a symbolic link replaces the file it points to, not the link.
std::string SafeFile::TargetPath(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// One fixed hidden name per target, so that no stray file can pile up.
std::string SafeFile::StagingPath(const std::string& target) {
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return dir + "." + name + ".saving";
}

int SafeFile::CreateStaging(const std::string& target, const std::string& staging, bool& named) {
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    named = fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR);
    if (!named) return fd;
    return ::open(staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool SafeFile::Link(int fd, const std::string& name) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool SafeFile::WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

#include "StdoutCheck.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Why the first write failed (errno); 0 while none did, or when it is not known.
int g_nFirstError = 0;

}  // namespace

void StdoutCheck::HoldClosedStreams() {
    // Ascending: each open takes the lowest free number, the one missing.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        ::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
    }
}

bool StdoutCheck::Flush() {
    bool failedBefore = std::ferror(stdout) != 0;
    // The C library drops a buffer it could not write: only this moment knows why.
    if (std::fflush(stdout) != 0 && !failedBefore) g_nFirstError = errno;
    return std::ferror(stdout) == 0;
}

bool StdoutCheck::Close() {
    bool written = Flush();
    if (std::fclose(stdout) != 0 && written) {
        g_nFirstError = errno;
        written = false;
    }
    if (written) return true;
    std::fprintf(stderr, "veld-para: the output could not be written%s%s\n",
                 g_nFirstError != 0 ? ": " : "",
                 g_nFirstError != 0 ? std::strerror(g_nFirstError) : "");
    return false;
}

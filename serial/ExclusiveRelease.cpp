#include "serial/ExclusiveRelease.h"

#include <sys/ioctl.h>

#include <atomic>
#include <csignal>

namespace {

// A port or two a program; the simulator's --device is one more.
constexpr int kSlots = 8;
std::atomic<int> g_fds[kSlots] = {-1, -1, -1, -1, -1, -1, -1, -1};

// The signals that end a program by default and may be caught.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,
                                  SIGBUS,  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGPIPE,
                                  SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                                  SIGPROF, SIGIO,   SIGPWR,    SIGSYS};

// Only async-signal-safe calls: atomic loads, ioctl, raise.
void OnEndingSignal(int signal) {
    for (std::atomic<int>& slot : g_fds) {
        int fd = slot.load();
        if (fd >= 0) (void)::ioctl(fd, TIOCNXCL);
    }
    // SA_RESETHAND put the default action back: the signal ends the program as it would have.
    ::raise(signal);
}

}  // namespace

void ExclusiveRelease::Install() {
    for (int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void ExclusiveRelease::Add(int fd) {
    for (std::atomic<int>& slot : g_fds) {
        int free = -1;
        if (slot.compare_exchange_strong(free, fd)) return;
    }
}

void ExclusiveRelease::Remove(int fd) {
    for (std::atomic<int>& slot : g_fds) {
        int held = fd;
        if (slot.compare_exchange_strong(held, -1)) return;
    }
}

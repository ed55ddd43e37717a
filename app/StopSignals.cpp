#include "app/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGINT, SIGTERM};

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::ReadPipe);
    struct sigaction action = {};
    action.sa_handler = &StopSignals::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals() {
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
    for (int& fd : g_pipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void StopSignals::Handle(int signal) {
    int saved = errno;
    unsigned char number = static_cast<unsigned char>(signal);
    ssize_t written = ::write(g_pipe[1], &number, 1);
    (void)written;  // a full pipe already holds a signal to act on
    errno = saved;
}

void StopSignals::ReadPipe() {
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1) emit Received(number);
}

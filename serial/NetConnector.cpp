#include "serial/NetConnector.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = NetConnector::Clock;

struct Address {
    sockaddr_storage bytes{};
    socklen_t length = 0;
    int family = 0;
};

// One lookup, shared by the caller and the helper thread; whichever lets go
// last frees it, so a caller that gave up leaves nothing behind.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    int systemError = 0;
    std::vector<Address> addresses;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup, const std::string& host,
               const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    int systemError = errno;
    std::vector<Address> addresses;
    for (addrinfo* ai = status == 0 ? found : nullptr; ai != nullptr; ai = ai->ai_next) {
        Address address;
        std::copy_n(reinterpret_cast<const char*>(ai->ai_addr), ai->ai_addrlen,
                    reinterpret_cast<char*>(&address.bytes));
        address.length = ai->ai_addrlen;
        address.family = ai->ai_family;
        addresses.push_back(address);
    }
    if (found != nullptr) ::freeaddrinfo(found);
    std::lock_guard lock(lookup->mutex);
    lookup->status = status;
    lookup->systemError = systemError;
    lookup->addresses = std::move(addresses);
    lookup->finished = true;
    lookup->done.notify_all();
}

std::vector<Address> Resolve(const NetAddress& address, Clock::time_point deadline, int& error) {
    auto lookup = std::make_shared<Lookup>();
    std::thread(RunLookup, lookup, address.host, std::to_string(address.port)).detach();
    std::unique_lock lock(lookup->mutex);
    // A lookup that takes longer than the connect may is a name that does not resolve.
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
        error = NetConnector::kUnresolved;
        return {};
    }
    if (lookup->status == EAI_SYSTEM) {
        error = lookup->systemError;
    } else if (lookup->status != 0 || lookup->addresses.empty()) {
        error = NetConnector::kUnresolved;
    }
    return lookup->addresses;
}

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A socket connected to `address`, or -1 with `error`.
int ConnectTo(const Address& address, Clock::time_point deadline, int& error) {
    int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.bytes), address.length) != 0) {
        error = errno;
        while (error == EINPROGRESS) {
            pollfd pfd{fd, POLLOUT, 0};
            int ready = ::poll(&pfd, 1, MsLeft(deadline));
            if (ready < 0 && errno == EINTR) continue;
            socklen_t size = sizeof error;
            if (ready == 0) {
                error = ETIMEDOUT;
            } else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                error = errno;
            }
        }
    }
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    // Command lines are short and each one waits for its answer.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

int NetConnector::Connect(const NetAddress& address, Clock::time_point deadline, int& error) {
    error = 0;
    std::vector<Address> addresses = Resolve(address, deadline, error);
    for (const Address& candidate : addresses) {
        error = 0;
        int fd = ConnectTo(candidate, deadline, error);
        if (fd >= 0) return fd;
        if (error == ETIMEDOUT) break;
    }
    return -1;
}

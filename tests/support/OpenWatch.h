#pragma once

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <string>
#include <vector>

// Notes the files opened below the watched folders (inotify), so a test can
// tell that a reader of sysfs and /dev opened no device node.
class OpenWatch {
  public:
    explicit OpenWatch(const std::vector<std::string>& folders)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        for (const std::string& folder : folders) {
            EXPECT_GE(::inotify_add_watch(m_fd, folder.c_str(), IN_OPEN), 0) << folder;
        }
    }
    ~OpenWatch() { ::close(m_fd); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    // Names of the files opened since the last call.
    std::vector<std::string> OpenedFiles() {
        std::vector<std::string> names;
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                if ((event->mask & IN_ISDIR) == 0 && event->len > 0) names.push_back(event->name);
                p += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

  private:
    int m_fd;
};

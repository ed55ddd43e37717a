#pragma once

#include <string>
#include <vector>

// Notes the files opened below the watched folders (inotify), so a test can
// tell that a reader of sysfs and /dev opened no device node.
class OpenWatch {
  public:
    explicit OpenWatch(const std::vector<std::string>& folders);
    ~OpenWatch();
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    // Names of the files opened since the last call.
    std::vector<std::string> OpenedFiles();

  private:
    int m_fd;
};

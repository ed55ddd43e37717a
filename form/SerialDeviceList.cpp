#include "form/SerialDeviceList.h"

#include <fcntl.h>
#include <glob.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

std::vector<std::string> SerialDeviceList::Glob(const std::string& pattern) {
    std::vector<std::string> paths;
    glob_t found{};
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i) paths.emplace_back(found.gl_pathv[i]);
    }
    ::globfree(&found);
    return paths;
}

// Every ttyS node exists whether or not a UART stands behind it; only ports
// whose driver reports a known UART type are real.
bool SerialDeviceList::OnBoardPortAnswers(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    bool answers = ::ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type != PORT_UNKNOWN;
    ::close(fd);
    return answers;
}

std::vector<std::string> SerialDeviceList::Detect() {
    std::vector<std::string> devices;
    for (const char* pattern : {"/dev/ttyUSB*", "/dev/ttyACM*"}) {
        for (std::string& path : Glob(pattern)) devices.push_back(std::move(path));
    }
    for (std::string& path : Glob("/dev/ttyS*")) {
        if (OnBoardPortAnswers(path)) devices.push_back(std::move(path));
    }
    for (std::string& path : Glob("/dev/serial/by-id/*")) devices.push_back(std::move(path));
    return devices;
}

#include "serial/TtyDevice.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "serial/ExclusiveRelease.h"

namespace {

// Standard rates keep their B-codes, so readers of the settings see them as such.
unsigned StandardRateCode(uint32_t baud) {
    static constexpr std::pair<uint32_t, unsigned> kRates[] = {
        {50, B50},         {75, B75},         {110, B110},        {134, B134},
        {150, B150},       {200, B200},       {300, B300},        {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},      {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},    {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},  {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}};
    for (const auto& [rate, code] : kRates) {
        if (rate == baud) return code;
    }
    return BOTHER;
}

unsigned DataBitsFlag(uint8_t dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// Parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
unsigned ParityFlags(uint8_t parity) {
    static constexpr unsigned kFlags[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                          PARENB | CMSPAR};
    return kFlags[parity];
}

}  // namespace

bool TtyDevice::Open(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) return Fail();
    if (!TakeExclusive()) {
        Fail();
        Close();
        return false;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_nError = errno == EWOULDBLOCK ? EBUSY : errno;
        Close();
        return false;
    }
    return true;
}

// A flag found already set (only root gets that far) belongs to someone else
// and stays; a device that is no terminal has no flag to set.
bool TtyDevice::TakeExclusive() {
    int found = 0;
    if (::ioctl(m_fd, TIOCGEXCL, &found) == 0 && found != 0) return true;
    if (::ioctl(m_fd, TIOCEXCL) != 0) return errno == ENOTTY;
    m_bExclusiveSet = true;
    ExclusiveRelease::Add(m_fd);
    return true;
}

// A device already hung up refuses the call; its flag goes with it.
void TtyDevice::LeaveExclusive() {
    if (!m_bExclusiveSet) return;
    (void)::ioctl(m_fd, TIOCNXCL);
    ExclusiveRelease::Remove(m_fd);
    m_bExclusiveSet = false;
}

void TtyDevice::Close() {
    if (m_fd < 0) return;
    LeaveExclusive();
    ::close(m_fd);
    m_fd = -1;
}

void TtyDevice::ReleaseDevice() {
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) return;
    LeaveExclusive();
    ::dup3(null, m_fd, O_CLOEXEC);
    ::close(null);
}

bool TtyDevice::SetLine(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits) {
    if (!LineIsValid(baud, parity, dataBits, stopBits)) {
        m_nError = EINVAL;
        return false;
    }
    struct termios2 t {};
    if (::ioctl(m_fd, TCGETS2, &t) != 0) return Fail();
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
    if (parity != 0) t.c_iflag |= INPCK;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CLOCAL | CREAD | FormatFlags(parity, dataBits, stopBits);
    unsigned code = StandardRateCode(baud);
    t.c_cflag |= code;
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::ioctl(m_fd, TCSETS2, &t) != 0) return Fail();
    return true;
}

uint32_t TtyDevice::FormatFlags(uint8_t parity, uint8_t dataBits, uint8_t stopBits) {
    return DataBitsFlag(dataBits) | ParityFlags(parity) | (stopBits == 2 ? CSTOPB : 0u);
}

bool TtyDevice::ModemLines(unsigned long request, int bits) {
    if (::ioctl(m_fd, request, &bits) == 0) return true;
    if (errno == ENOTTY || errno == EINVAL) return true;  // a pseudo-terminal has none
    return Fail();
}

bool TtyDevice::RaiseDtrRts() { return ModemLines(TIOCMBIS, TIOCM_DTR | TIOCM_RTS); }

bool TtyDevice::DropDtr() { return ModemLines(TIOCMBIC, TIOCM_DTR); }

bool TtyDevice::Purge() {
    if (::ioctl(m_fd, TCFLSH, TCIOFLUSH) != 0) return Fail();
    return true;
}

int TtyDevice::BytesWaiting() {
    int count = 0;
    if (::ioctl(m_fd, FIONREAD, &count) != 0) {
        Fail();
        return -1;
    }
    return count;
}

ssize_t TtyDevice::Read(char* buffer, size_t maximum) { return ::read(m_fd, buffer, maximum); }

ssize_t TtyDevice::Write(const char* bytes, size_t count) { return ::write(m_fd, bytes, count); }

bool TtyDevice::Fail() {
    m_nError = errno;
    return false;
}

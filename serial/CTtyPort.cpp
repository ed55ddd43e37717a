#include "serial/CTtyPort.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "serial/NetAddress.h"
#include "serial/PortMap.h"
#include "serial/PortText.h"
#include "serial/WorkerThread.h"

namespace {

// A write that fails with one of these found the device gone: a terminal hung
// up or removed, a connection closed or reset.
bool IsDeviceGone(int error) {
    switch (error) {
        case EIO:
        case ENXIO:
        case ENODEV:
        case EPIPE:
        case ECONNRESET:
        case ENOTCONN:
        case ESHUTDOWN:
            return true;
        default:
            return false;
    }
}

}  // namespace

CTtyPort::CTtyPort(Notifier& notifier) : m_notifier(notifier) {}

CTtyPort::~CTtyPort() {
    Close();
    JoinFinishedReader();
    ReleaseDeviceFiles();
}

void CTtyPort::SetReadInterval(uint32_t ms) {
    m_nReadInterval.store(ms, std::memory_order_relaxed);
}

bool CTtyPort::OpenFromText(const std::string& text) {
    PortText line = PortText::Parse(text);
    return Open(line.device, line.baud, line.parity, line.dataBits, line.stopBits);
}

bool CTtyPort::Open(const std::string& device, uint32_t baud, uint8_t parity, uint8_t dataBits,
                    uint8_t stopBits) {
    if (IsReaderRegistered()) return false;
    JoinFinishedReader();
    ReleaseDeviceFiles();  // what a lost device left behind

    m_wakeEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeEvent < 0) {
        m_nOpenError = errno;
        return false;
    }
    std::string path = PortMap::Resolve(device);
    m_hComm = NetAddress::IsNetworkName(path) ? static_cast<PortDevice*>(&m_net) : &m_tty;
    bool opened = !path.empty() && m_hComm->Open(path) && m_hComm->Purge() &&
                  m_hComm->SetLine(baud, parity, dataBits, stopBits) && m_hComm->RaiseDtrRts();
    if (!opened) {
        m_nOpenError = path.empty() ? ENOENT : m_hComm->Error();
        ReleaseDeviceFiles();
        return false;
    }
    m_nOpenError = 0;
    m_bLostByWrite.store(false, std::memory_order_relaxed);
    // Empty before Open returns, so a consumer that starts following now
    // starts at slot 0; the reader empties it again as it starts.
    m_ring.Reset();
    m_bConnected.store(true, std::memory_order_release);
    m_pReaderThread.store(&m_readerThread, std::memory_order_release);
    m_readerThread = std::thread([this] { ReaderThreadProc(); });
    return true;
}

bool CTtyPort::Close() {
    if (!IsReaderRegistered()) return false;
    m_bConnected.store(false, std::memory_order_release);
    // Adding to the counter fails only when it is full, which wakes the reader too.
    ::eventfd_write(m_wakeEvent, 1);
    // The reader is released from its wait; it is joined before its device goes.
    JoinFinishedReader();
    bool done = m_hComm->DropDtr();
    done = m_hComm->Purge() && done;
    ReleaseDeviceFiles();
    return done;
}

void CTtyPort::ReleaseDeviceFiles() {
    m_hComm->Close();
    if (m_wakeEvent >= 0) ::close(m_wakeEvent);
    m_wakeEvent = -1;
}

void CTtyPort::JoinFinishedReader() {
    if (m_readerThread.joinable()) m_readerThread.join();
}

uint32_t CTtyPort::ReadBlock(char* buffer, uint32_t maximum) {
    int waiting = m_hComm->BytesWaiting();
    if (waiting < 0) m_bReadFailed = true;
    if (waiting <= 0) return 0;
    uint32_t count = 0;
    while (count < maximum) {
        ssize_t n = m_hComm->Read(buffer + count, maximum - count);
        if (n > 0) {
            count += static_cast<uint32_t>(n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_bReadFailed = true;
            m_bTelnetBroken = n < 0 && errno == NetDevice::kTelnetBroken;
            break;
        }
        // The read ends when the interval passes without a new byte.
        pollfd pfd{m_hComm->Fd(), POLLIN, 0};
        int interval = static_cast<int>(m_nReadInterval.load(std::memory_order_relaxed));
        if (::poll(&pfd, 1, interval) <= 0 || (pfd.revents & POLLIN) == 0) break;
    }
    return count;
}

uint32_t CTtyPort::WriteBlock(const char* bytes, uint32_t count) {
    // Either the reader sees this write under way and keeps the device until
    // it ends, or this sees the loss and writes nothing (both sequentially
    // consistent, so one of the two always sees the other).
    m_bWriting.store(true, std::memory_order_seq_cst);
    uint32_t written = 0;
    auto lastProgress = std::chrono::steady_clock::now();
    while (written < count && m_bConnected.load(std::memory_order_seq_cst)) {
        ssize_t n = m_hComm->Write(bytes + written, count - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            lastProgress = std::chrono::steady_clock::now();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            WriteFailed(errno);
            break;
        }
        // Rounded up: the write never gives up before the stall limit has passed.
        auto left = std::chrono::ceil<std::chrono::milliseconds>(lastProgress + kWriteStall -
                                                                 std::chrono::steady_clock::now())
                        .count();
        pollfd pfd{m_hComm->Fd(), POLLOUT, 0};
        int ready = left > 0 ? ::poll(&pfd, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            ReportWriteError(ETIMEDOUT);
            break;
        }
        if (ready < 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            WriteFailed(ready < 0 ? errno : EIO);
            break;
        }
    }
    m_bWriting.store(false, std::memory_order_release);
    m_bWriting.notify_all();
    return written;
}

void CTtyPort::WriteFailed(int error) {
    if (!IsDeviceGone(error)) {
        ReportWriteError(error);
        return;
    }
    // Callers see the loss as soon as this returns; the reader, woken, lets go of the device.
    m_bLostByWrite.store(true, std::memory_order_relaxed);
    m_bConnected.store(false, std::memory_order_release);
    ::eventfd_write(m_wakeEvent, 1);
}

void CTtyPort::ReportWriteError(int error) {
    m_notifier.Notify(Notifier::kTtyErrorCaption, "<CE-" + std::to_string(error) + ">");
}

uint32_t CTtyPort::ReaderThreadProc() {
    WorkerThread::Prepare("veld-reader");
    m_ring.Reset();
    m_bReadFailed = false;
    m_bTelnetBroken = false;
    m_nOverflows = 0;
    uint32_t exitCode = 1;
    while (IsConnected()) {
        Wake wake = WaitForInput();
        if (wake == Wake::kQuiet) EndOverflowRun();
        if (wake == Wake::kWoken || wake == Wake::kQuiet) continue;
        uint32_t count = wake == Wake::kInput ? ReadBlock(m_rxBuffer, RxLineRing::kSlotSize) : 0;
        StoreBytes(m_rxBuffer, count);
        if (wake == Wake::kLost || m_bReadFailed) {
            std::string telnetError = m_bTelnetBroken ? m_net.TelnetError() : std::string();
            ReleaseLostDevice();
            if (!telnetError.empty()) ReportTelnetError(telnetError);
            exitCode = 0;
            break;
        }
    }
    if (m_bLostByWrite.exchange(false, std::memory_order_relaxed)) {
        ReleaseLostDevice();
        exitCode = 0;
    }
    m_pReaderThread.store(nullptr, std::memory_order_release);
    return exitCode;
}

void CTtyPort::ReportTelnetError(const std::string& error) {
    m_notifier.Notify(Notifier::kAppCaption, "RFC 2217: the server broke the Telnet protocol (" +
                                                 error + "); the connection was closed");
}

CTtyPort::Wake CTtyPort::WaitForInput() {
    // A socket the server closed reads as POLLRDHUP; a terminal never reports it.
    pollfd pfds[2] = {{m_hComm->Fd(), POLLIN | POLLRDHUP, 0}, {m_wakeEvent, POLLIN, 0}};
    // While a line overflows its slot, its end is looked for after the read interval.
    int wait =
        m_nOverflows > 0 ? static_cast<int>(m_nReadInterval.load(std::memory_order_relaxed)) : -1;
    int ready = ::poll(pfds, 2, wait);
    if (ready == 0) return Wake::kQuiet;
    if (ready < 0) return errno == EINTR ? Wake::kWoken : Wake::kLost;
    if (pfds[1].revents != 0) {
        eventfd_t drained = 0;
        ::eventfd_read(m_wakeEvent, &drained);
        return Wake::kWoken;
    }
    if ((pfds[0].revents & (POLLHUP | POLLERR | POLLNVAL | POLLRDHUP)) != 0 &&
        m_hComm->BytesWaiting() <= 0) {
        return Wake::kLost;
    }
    return Wake::kInput;
}

void CTtyPort::ReleaseLostDevice() {
    // Not connected before the device becomes /dev/null, and the write under
    // way (bounded by its stall limit) ends on the device it began on.
    m_bConnected.store(false, std::memory_order_seq_cst);
    while (m_bWriting.load(std::memory_order_seq_cst))
        m_bWriting.wait(true, std::memory_order_acquire);
    m_hComm->ReleaseDevice();
}

void CTtyPort::StoreBytes(const char* bytes, uint32_t count) { m_ring.Store(bytes, count, *this); }

void CTtyPort::EndOverflowRun() {
    if (m_nOverflows == 0) return;
    std::string text = "Rx Buffer FULL";
    if (m_nOverflows > 1) text += " (" + std::to_string(m_nOverflows) + " times)";
    m_nOverflows = 0;
    m_notifier.Notify(Notifier::kAppCaption, text);
}

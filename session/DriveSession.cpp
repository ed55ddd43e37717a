#include "session/DriveSession.h"

#include <algorithm>
#include <string_view>

#include "serial/NetAddress.h"
#include "serial/PortMap.h"

namespace {

// The port a port text names: "\\.\COM15:9600,N,8,0" gives "COM15"; the
// line settings follow the last colon, as a network port has one of its own.
std::string PortNameOf(std::string_view text) {
    if (text.starts_with("\\\\.\\")) text.remove_prefix(4);
    return std::string(text.substr(0, text.rfind(':')));
}

}  // namespace

DriveSession::DriveSession(ParamTable& table, RefreshFlag& refresh, Notifier& portNotifier,
                           Notifier& dispatchNotifier, LineListView& sentView)
    : m_port(portNotifier),
      m_dispatcher(m_port, table, refresh, dispatchNotifier),
      m_queue(sentView, m_writer) {
    m_queue.SetObserver(&m_guard);
    m_queue.SetGoneListener(this);
}

DriveSession::~DriveSession() {
    WaitForOpen();
    m_writer.GiveUpWaiting();
    m_port.Close();
    m_dispatcher.Stop();
}

std::string DriveSession::PortText(const std::string& port, const std::string& baud) {
    return "\\\\.\\" + port + ":" + baud + ",N,8,0";
}

bool DriveSession::OpenFromText(const std::string& text) {
    if (IsOpening() || !m_port.OpenFromText(text)) return false;
    Opened(text);
    return true;
}

bool DriveSession::IsNetworkPort(const std::string& port) {
    return NetAddress::IsNetworkName(PortMap::Resolve(port));
}

bool DriveSession::BeginOpen(const std::string& text) {
    if (IsOpening() || m_port.IsReaderRegistered()) return false;
    // Nothing may write to the port while it opens: the writer lets go of
    // what it holds (no port is open, so it would send none of it).
    m_writer.GiveUpWaiting();
    m_openingText = text;
    m_openState.store(OpenState::kOpening, std::memory_order_relaxed);
    m_opener = std::thread([this, text] {
        bool opened = m_port.OpenFromText(text);
        m_openState.store(opened ? OpenState::kOpened : OpenState::kFailed,
                          std::memory_order_release);
    });
    return true;
}

std::optional<bool> DriveSession::TakeOpenResult() {
    if (!IsOpening()) return std::nullopt;
    OpenState state = m_openState.load(std::memory_order_acquire);
    if (state == OpenState::kOpening) return std::nullopt;
    m_opener.join();
    if (state == OpenState::kFailed) return false;
    Opened(m_openingText);
    return true;
}

void DriveSession::WaitForOpen() {
    if (IsOpening()) m_opener.join();
}

void DriveSession::Opened(const std::string& text) {
    m_bOpened = true;
    m_portName = PortNameOf(text);
    m_openedText = text;
    m_guard.OnPortOpened();
    m_follower.Restart();
    // Another connection may be another drive.
    m_unsaved = UnsavedWrites();
}

bool DriveSession::Close() {
    WaitForOpen();
    // The writer must be outside its write before the device goes.
    m_writer.GiveUpWaiting();
    m_bOpened = false;
    return m_port.Close();
}

bool DriveSession::TakePortLost() {
    if (!m_bOpened || m_port.IsConnected()) return false;
    m_bOpened = false;
    return true;
}

void DriveSession::QueueRead(int32_t station, std::vector<int32_t> wanted) {
    m_guard.SetNextReadWanted(std::move(wanted));
    m_queue.QueueReadAll(station);
}

int DriveSession::GiveUpLines() {
    int before = m_nNotSent;
    m_queue.GiveUpWaiting();
    m_guard.DropDueReadBack();
    return m_nNotSent - before;
}

void DriveSession::Tick(Clock::time_point now) {
    // While a port opens the lines wait for its result.
    bool handOver = !IsOpening();
    if (handOver) {
        m_queue.FlushTxQueue();
    } else {
        m_queue.EchoGoneLines();
    }
    ReceiveLines();
    m_guard.Poll(now);
    if (handOver) QueueDueReadBack();
}

void DriveSession::HandOverLines() {
    if (!IsOpening()) m_queue.FlushTxQueue();
}

void DriveSession::QueueDueReadBack() {
    int32_t station = 0;
    if (!m_guard.TakeReadBackDue(station)) return;
    // Right behind its write group, outside the queue's own calls.
    m_queue.QueueReadAll(station);
    m_queue.FlushTxQueue();
}

void DriveSession::ReceiveLines() {
    for (std::string line; m_follower.Next(line);) {
        Tell([&](Listener& l) { l.OnLineReceived(line); });
    }
}

void DriveSession::AddListener(Listener* listener) { m_listeners.push_back(listener); }

void DriveSession::RemoveListener(Listener* listener) { std::erase(m_listeners, listener); }

template <class Call>
void DriveSession::Tell(Call call) {
    // A listener may come or go while it is told.
    std::vector<Listener*> listeners = m_listeners;
    for (Listener* listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end()) {
            call(*listener);
        }
    }
}

void DriveSession::OnReadFinished(bool complete) {
    Tell([&](Listener& l) { l.OnReadFinished(complete); });
}

void DriveSession::OnBackupSaved(const std::string& path) {
    Tell([&](Listener& l) { l.OnBackupSaved(path); });
}

void DriveSession::OnReadBackFinished(const ReadBackReport& report) {
    Tell([&](Listener& l) { l.OnReadBackFinished(report); });
}

void DriveSession::OnLineGone(const TxLineWriter::Gone& gone) {
    m_guard.OnLineGone(gone, Clock::now());
    m_unsaved.OnLineGone(gone);
    if (gone.fate == TxLineWriter::Fate::kNotSent) ++m_nNotSent;
    Tell([&](Listener& l) { l.OnLineGone(gone); });
}

#include "session/DriveSession.h"

#include <algorithm>
#include <string_view>

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
    m_writer.GiveUpWaiting();
    m_port.Close();
    m_dispatcher.Stop();
}

std::string DriveSession::PortText(const std::string& port, const std::string& baud) {
    return "\\\\.\\" + port + ":" + baud + ",N,8,0";
}

bool DriveSession::OpenFromText(const std::string& text) {
    if (!m_port.OpenFromText(text)) return false;
    m_bOpened = true;
    m_portName = PortNameOf(text);
    m_openedText = text;
    m_guard.OnPortOpened();
    m_follower.Restart();
    return true;
}

bool DriveSession::Close() {
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

void DriveSession::GiveUpLines() {
    m_queue.GiveUpWaiting();
    m_guard.DropDueReadBack();
}

void DriveSession::Tick(Clock::time_point now) {
    m_queue.FlushTxQueue();
    ReceiveLines();
    m_guard.Poll(now);
    QueueDueReadBack();
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
    Tell([&](Listener& l) { l.OnLineGone(gone); });
}

#include "session/DriveSession.h"

#include <algorithm>
#include <string_view>

#include "protocol/SentCommand.h"
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
    m_queue.SetObserver(this);
    m_queue.SetGoneListener(this);
}

DriveSession::~DriveSession() {
    // Closed as the owner would, so that the journal records the end.
    Close();
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
    m_bLineGone = false;
    m_failedAt.reset();
    m_guard.OnPortOpened();
    m_follower.Restart();
    // Another connection may be another drive.
    m_unsaved = UnsavedWrites();
    m_journal.Connected(m_portName);
}

bool DriveSession::Close() {
    WaitForOpen();
    // The writer must be outside its write before the device goes.
    m_writer.GiveUpWaiting();
    bool closed = m_port.Close();
    // The lines given up belong to the connection that ends, which the journal closes.
    m_queue.EchoGoneLines();
    if (m_bOpened) m_journal.Disconnected();
    m_bOpened = false;
    return closed;
}

bool DriveSession::TakePortLost() {
    if (!PortWentAndDrained()) return false;
    m_bOpened = false;
    m_journal.PortLost();
    return true;
}

bool DriveSession::PortWentAndDrained() const {
    if (!m_bOpened || m_port.IsConnected()) return false;
    // The reader publishes its last lines before it lets the port go; the
    // session takes lines behind the dispatcher, which may still be on them.
    const RxLineRing& ring = m_port.Ring();
    return !m_dispatcher.IsRunning() || ring.ReadIndex() == ring.WriteIndex();
}

DriveSession::LineFault DriveSession::Fault(Clock::time_point now) const {
    // A port that went by itself counts from the tick that settled the reads
    // with it; one closed or never opened, at once.
    if (!IsConnected() && (m_bLineGone || !m_bOpened)) return LineFault::kPortLost;
    if (m_failedAt && now - *m_failedAt < kLossNotice) return LineFault::kUndecided;
    return m_failedAt ? LineFault::kWriteFailed : LineFault::kNone;
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
    // Seen before the lines are taken, so that every line the port received is among them.
    m_bLineGone = PortWentAndDrained();
    if (handOver) FlushQueue();
    ReceiveLines();
    m_guard.Poll(now, m_bLineGone);
    m_journal.Poll(now);
    if (handOver) QueueDueReadBack();
}

void DriveSession::FlushQueue() {
    bool refused = false;
    m_queue.FlushTxQueue([&](const std::string& line) {
        SentCommand command;
        if (!SentCommand::Parse(line, command) || !command.ChangesDrive()) return false;
        SessionJournal::Verdict verdict = m_journal.WriteVerdict();
        refused = verdict == SessionJournal::Verdict::kRefuse;
        return verdict != SessionJournal::Verdict::kPass;
    });
    if (!refused) return;
    GiveUpLines();
    std::string reason = m_journal.Reason();
    Tell([&](Listener& l) { l.OnJournalRefused(reason); });
}

void DriveSession::EndWriteGroup(int32_t station) {
    m_guard.EndWriteGroup(station);
    m_journal.EndWriteGroup(station);
}

void DriveSession::OnLineQueued(const std::string& line, Origin origin) {
    m_guard.OnLineQueued(line);
    m_journal.LineQueued(line, origin);
}

void DriveSession::HandOverLines() {
    if (!IsOpening()) FlushQueue();
}

void DriveSession::QueueDueReadBack() {
    int32_t station = 0;
    if (!m_guard.TakeReadBackDue(station)) return;
    // Right behind its write group, outside the queue's own calls.
    m_queue.QueueReadAll(station);
    FlushQueue();
}

void DriveSession::ReceiveLines() {
    // A line that has left is echoed before the replies to it.
    m_queue.EchoGoneLines();
    for (std::string line; m_follower.Next(line);) {
        m_journal.LineReceived(line);
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
    const PraReplyTracker& replies = m_guard.Reads().Replies();
    m_journal.ReadFinished(replies.Station(), replies.Carried(), complete);
    Tell([&](Listener& l) { l.OnReadFinished(complete); });
}

void DriveSession::OnReadBackFinished(const ReadBackReport& report) {
    m_journal.ReadBackFinished(m_guard.Reads().Replies().Station(), report);
    Tell([&](Listener& l) { l.OnReadBackFinished(report); });
}

void DriveSession::OnLineGone(const TxLineWriter::Gone& gone) {
    Clock::time_point now = Clock::now();
    if (gone.fate == TxLineWriter::Fate::kFailed && !m_failedAt) m_failedAt = now;
    m_guard.OnLineGone(gone, now);
    m_journal.LineGone(gone, now);
    m_unsaved.OnLineGone(gone);
    if (gone.fate == TxLineWriter::Fate::kNotSent) ++m_nNotSent;
    Tell([&](Listener& l) { l.OnLineGone(gone); });
}

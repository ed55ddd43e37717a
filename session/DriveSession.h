#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "params/ParamTable.h"
#include "params/RefreshFlag.h"
#include "protocol/LineListView.h"
#include "protocol/ResponseDispatcher.h"
#include "protocol/RxLineFollower.h"
#include "protocol/TxLineWriter.h"
#include "protocol/TxQueue.h"
#include "protocol/UnsavedWrites.h"
#include "protocol/WriteGuard.h"
#include "serial/CTtyPort.h"
#include "serial/Notifier.h"
#include "session/SessionJournal.h"

// One session with a drive, shared by the GUI and veld-para: the port, the
// response dispatcher, the outgoing queue and the writer that paces it, and
// the rules beside them: when a read is complete (DriveReads), the backup
// before the first write after a read and the read-back after a write group
// (WriteGuard), the station check of replies, and what became of each line
// sent. The owner calls Tick often (the form's timer, veld-para's loop);
// nothing here waits on the line, except OpenFromText (a network port may take
// up to NetDevice::kOpenTimeout to connect; BeginOpen does not wait) and Close,
// which joins the port's reader.
class DriveSession : private WriteGuard::Listener,
                     private TxQueue::GoneListener,
                     private TxLineObserver {
  public:
    using Clock = std::chrono::steady_clock;

    // Told, on the owner's thread during Tick, what happened; each call has
    // a default that ignores it.
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void OnReadFinished(bool /*complete*/) {}
        virtual void OnReadBackFinished(const ReadBackReport& /*report*/) {}
        // A line left the writer: written, failed, or not sent.
        virtual void OnLineGone(const TxLineWriter::Gone& /*gone*/) {}
        // A line the dispatcher consumed, without its carriage return.
        virtual void OnLineReceived(const std::string& /*line*/) {}
        // The journal could not record what came before a write: the lines
        // queued were given up, none of them sent.
        virtual void OnJournalRefused(const std::string& /*reason*/) {}
    };

    // The port's messages ("Rx Buffer FULL" from the reader, "TTY Error!" from
    // the writer) go to `portNotifier`, the dispatcher's ("통신처리에러") to
    // `dispatchNotifier`; the sent lines are echoed in `sentView`.
    DriveSession(ParamTable& table, RefreshFlag& refresh, Notifier& portNotifier,
                 Notifier& dispatchNotifier, LineListView& sentView);
    ~DriveSession() override;
    DriveSession(const DriveSession&) = delete;
    DriveSession& operator=(const DriveSession&) = delete;

    // The port text the form's connect builds: "\\.\" + port + ":" + baud + ",N,8,0".
    static std::string PortText(const std::string& port, const std::string& baud);

    bool OpenFromText(const std::string& text);
    // Whether the port a name stands for ("COM5" through its mapping too) is
    // a network port, whose open and whose examination by the port doctor
    // try a connect.
    static bool IsNetworkPort(const std::string& port);
    // Opens as OpenFromText does, on a thread of its own; false (nothing
    // begun) while an open is under way or a port is open. Until the owner
    // takes the result, the session is not connected and no line goes to the
    // writer: the lines queued meanwhile go out once the port is open, or are
    // lost when it fails, as lines without a port are.
    bool BeginOpen(const std::string& text);
    bool IsOpening() const { return m_opener.joinable(); }
    // Once the open begun has ended, its result (OpenFromText's), given once;
    // nothing while it goes on.
    std::optional<bool> TakeOpenResult();
    // The port text of the last open that succeeded, for records of what was done.
    const std::string& OpenedText() const { return m_openedText; }
    // The lines not yet written are given up; then the port closes, after
    // the open under way, if any, has ended.
    bool Close();
    bool IsConnected() const { return !IsOpening() && m_port.IsConnected(); }
    // The port open now as its port text named it ("COM15", "/dev/ttyUSB0"),
    // for what the tools record and compare; empty while none is.
    std::string OpenPort() const { return IsConnected() ? m_portName : std::string(); }
    int LastOpenError() const { return m_port.LastOpenError(); }
    // True once after a port this session opened went away by itself.
    bool TakePortLost();

    // What stops the lines, decided here for every owner. A device that went
    // away fails the line it was given too, and the reader tells the loss
    // within moments: a failed line is a write failure only once kLossNotice
    // has passed with the port still open.
    // kUndecided: a line failed, and whether the port went is not known yet.
    enum class LineFault { kNone, kUndecided, kPortLost, kWriteFailed };
    static constexpr std::chrono::milliseconds kLossNotice{200};
    LineFault Fault(Clock::time_point now) const;
    // A new run of lines starts: the lines that failed before are not its fault.
    void ForgetFailedLines() { m_failedAt.reset(); }
    const CTtyPort& Port() const { return m_port; }
    void SetReadInterval(uint32_t ms) { m_port.SetReadInterval(ms); }

    // The dispatcher runs whether or not a port is open; one at a time.
    bool StartDispatcher() { return m_dispatcher.Start(); }
    void RequestStopDispatch() { m_dispatcher.RequestStop(); }
    void StopDispatch() { m_dispatcher.Stop(); }
    bool IsDispatcherRunning() const { return m_dispatcher.IsRunning(); }
    bool IsDispatchDone() const { return m_dispatcher.IsDone(); }

    // The queue's builders run on the owner's thread; Tick hands the lines over.
    TxQueue& Queue() { return m_queue; }
    // Hands the queued lines to the writer (and a read-back's PRA after its
    // write group), echoes the lines that left, takes the received lines and
    // tells the listeners what finished. Never waits on the line.
    void Tick(Clock::time_point now);
    // Hands the queued lines to the writer now, for a tool whose line is due
    // between two ticks; the tick does the rest.
    void HandOverLines();
    // Lines queued or on their way to the drive.
    bool LinesWaiting() const { return m_queue.HasPending(); }
    // Gives up every line not yet written, and the read-back of a write group
    // that was not handed over; the line in flight finishes first. Returns
    // how many lines were given up.
    int GiveUpLines();
    // A PWR went out with no PSV after it: the drive holds values it has not saved.
    bool Unsaved() const { return m_unsaved.Unsaved(); }
    // Echoes the lines that have left since; for an owner that the writer's
    // wake calls back between ticks.
    void EchoGoneLines() { m_queue.EchoGoneLines(); }
    // Called on the writer's thread when a line has left; set before the
    // first line is sent.
    void SetGoneWake(std::function<void()> wake) { m_writer.SetGoneWake(std::move(wake)); }
    // After a line that failed, nothing more is written (veld-para); the form
    // goes on with the next line, as the queue always did.
    void SetStopAfterWriteFailure(bool stop) { m_writer.SetStopAfterFailure(stop); }

    // Queues a PRA to `station` whose read is complete once `wanted` came.
    void QueueRead(int32_t station, std::vector<int32_t> wanted);
    void SetReadSilence(std::chrono::milliseconds silence) { m_guard.SetSilence(silence); }
    const DriveReads& Reads() const { return m_guard.Reads(); }
    const DriveReads::Read* LastRead() const { return m_guard.LastRead(); }
    bool ReadPending() const { return m_guard.ReadPending(); }

    // Backups before writes: none until a saver is set.
    void SetBackupSaver(WriteGuard::BackupSaver saver) { m_guard.SetBackupSaver(std::move(saver)); }
    // Saves the last complete read now, unless that read was saved already.
    std::string BackUpLastRead() { return m_guard.BackUpLastRead(); }
    // Saves the last complete read with `saver`, as its one backup.
    std::string SaveLastRead(const WriteGuard::BackupSaver& saver) {
        return m_guard.SaveLastRead(saver);
    }
    void SetVerifyAfterWrite(bool on) { m_guard.SetVerifyAfterWrite(on); }
    bool VerifyAfterWrite() const { return m_guard.VerifyAfterWrite(); }
    // The number of the next write group, which a read-back's report covers.
    uint64_t ReadBackNextGroup() { return m_guard.ReadBackNextGroup(); }
    // Ends the write group being queued as PSV would, for PWR lines sent alone.
    void EndWriteGroup(int32_t station);
    bool ReadBackPending() const { return m_guard.ReadBackPending(); }

    // What the session does is recorded here once the owner opens it.
    SessionJournal& Journal() { return m_journal; }

    void AddListener(Listener* listener);
    void RemoveListener(Listener* listener);

    // For the tools that follow the received lines themselves (scan, monitor).
    const CTtyPort& Ring() const { return m_port; }

  private:
    void OnReadFinished(bool complete) override;
    void OnReadBackFinished(const ReadBackReport& report) override;
    void OnLineGone(const TxLineWriter::Gone& gone) override;
    void OnLineQueued(const std::string& line, Origin origin) override;
    // The port went by itself and the dispatcher has taken every line it received.
    bool PortWentAndDrained() const;
    // Hands the queued lines over, each write once the journal holds what came before it.
    void FlushQueue();
    void Opened(const std::string& text);
    // Lets the open under way end (NetDevice::kOpenTimeout at most), its result untaken.
    void WaitForOpen();
    void QueueDueReadBack();
    void ReceiveLines();
    template <class Call>
    void Tell(Call call);

    CTtyPort m_port;
    ResponseDispatcher m_dispatcher;
    TxLineWriter m_writer{m_port};
    TxQueue m_queue;
    WriteGuard m_guard{m_port, *this};
    RxLineFollower m_follower{m_port};
    SessionJournal m_journal;
    UnsavedWrites m_unsaved;
    int m_nNotSent = 0;  // lines that left unsent, counted for GiveUpLines
    std::vector<Listener*> m_listeners;
    bool m_bOpened = false;
    std::string m_portName;
    std::string m_openedText;
    // The last tick saw the port gone by itself.
    bool m_bLineGone = false;
    // When the first line that failed since the open (or since forgotten) left.
    std::optional<Clock::time_point> m_failedAt;
    // The open under way: its text, its thread and what came of it.
    enum class OpenState { kOpening, kOpened, kFailed };
    std::string m_openingText;
    std::thread m_opener;
    std::atomic<OpenState> m_openState{OpenState::kOpening};
};

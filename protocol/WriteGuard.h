#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "params/BackupStore.h"
#include "params/ParamSet.h"
#include "protocol/DriveReads.h"
#include "protocol/PraReplyTracker.h"
#include "protocol/ReadBackReport.h"
#include "protocol/RxLineFollower.h"
#include "protocol/SentCommand.h"
#include "protocol/TxLineObserver.h"
#include "protocol/TxQueue.h"

// Watches the lines the form queues and the replies the dispatcher takes,
// without adding a line of its own unless asked: keeps the drive's last
// complete read and saves it as a backup before the first command after it
// that writes the drive, and, when asked, follows a write group (PWR..., COP,
// PSV) with a PRA and compares what was sent with what came back.
class WriteGuard : public TxLineObserver {
  public:
    using Clock = DriveReads::Clock;

    class Listener {
      public:
        virtual ~Listener() = default;
        // A read the queue sent is complete, or has given up.
        virtual void OnReadFinished(bool complete) = 0;
        // A backup was saved before a write; `path` is empty when it could not be.
        virtual void OnBackupSaved(const std::string& path) = 0;
        virtual void OnReadBackFinished(const ReadBackReport& report) = 0;
    };

    WriteGuard(const CTtyPort& port, TxQueue& queue, const BackupStore& store, Listener& listener);

    // Every write group is read back ("전송 후 확인").
    void SetVerifyAfterWrite(bool on) { m_bVerify = on; }
    bool VerifyAfterWrite() const { return m_bVerify; }
    // The next write group is read back whatever the setting.
    void ReadBackNextGroup() { m_bReadBackNext = true; }

    void OnLineQueued(const std::string& line) override;
    // Takes the lines consumed since the last call and tells what finished.
    void Poll(Clock::time_point now);

    const DriveReads::Read* LastRead() const { return m_reads.Last(); }
    bool ReadPending() const { return m_reads.Pending(); }
    bool ReadBackPending() const { return m_bReadBack; }

  private:
    void Follow(Clock::time_point now);
    void SettleRead(Clock::time_point now, bool closing);
    // Saves the last complete read unless it was saved already or belongs to
    // another station.
    void BackUpBefore(const SentCommand& write, Clock::time_point now);
    void EndGroup(int32_t station, Clock::time_point now);
    void StartReadBack(const ParamSet& sent, int32_t station, Clock::time_point now);
    void SettleReadBack(Clock::time_point now);

    const CTtyPort& m_port;
    TxQueue& m_queue;
    const BackupStore& m_store;
    Listener& m_listener;
    RxLineFollower m_follower;
    bool m_bWasConnected = false;
    DriveReads m_reads;
    uint64_t m_nBackedUpSerial = 0;

    bool m_bVerify = false;
    bool m_bReadBackNext = false;
    // The PWR values of the group being queued.
    ParamSet m_group;
    // Groups that ended while a read-back was under way: read back after it.
    ParamSet m_waiting;
    int32_t m_nWaitingStation = 0;
    // The read-back under way.
    bool m_bReadBack = false;
    ParamSet m_readBackSent;
    PraReplyTracker m_readBackReplies;
    Clock::time_point m_readBackLastLine;
};

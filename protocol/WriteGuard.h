#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "params/ParamSet.h"
#include "protocol/DriveReads.h"
#include "protocol/ReadBackReport.h"
#include "protocol/RxLineFollower.h"
#include "protocol/SentCommand.h"
#include "protocol/TxLineWriter.h"

// Watches the lines queued and the replies the dispatcher takes, without
// adding a line of its own: keeps the drive's last complete read and saves it
// as a backup before the first command after it that writes the drive, and,
// when asked, has a write group (PWR..., COP, PSV) followed by a PRA (its
// owner queues it, outside the queue's own calls) and compares what was sent
// with what came back.
class WriteGuard {
  public:
    using Clock = DriveReads::Clock;
    // Saves a drive's set as a backup of `station`; the path, or empty when it could not.
    using BackupSaver = std::function<std::string(const ParamSet& set, int32_t station)>;

    class Listener {
      public:
        virtual ~Listener() = default;
        // A read the queue sent is complete, or has given up.
        virtual void OnReadFinished(bool complete) = 0;
        virtual void OnReadBackFinished(const ReadBackReport& report) = 0;
    };

    WriteGuard(const CTtyPort& port, Listener& listener);

    // Without a saver nothing is backed up.
    void SetBackupSaver(BackupSaver saver) { m_saver = std::move(saver); }
    // Every write group is read back ("전송 후 확인").
    void SetVerifyAfterWrite(bool on) { m_bVerify = on; }
    bool VerifyAfterWrite() const { return m_bVerify; }
    // The next write group is read back whatever the setting; the number it
    // gets, which the read-back that covers it tells (ReadBackReport::Covers).
    uint64_t ReadBackNextGroup();
    // What the next read must bring to be complete (by default the listed parameters).
    void SetNextReadWanted(std::vector<int32_t> wanted) { m_nextWanted = std::move(wanted); }
    // A longer silence limit for the reads and read-backs, for a slow line.
    void SetSilence(std::chrono::milliseconds silence);

    // The port was opened: the received lines start again at the ring's first slot.
    void OnPortOpened();
    // Told of every line the moment it is queued.
    void OnLineQueued(const std::string& line);
    // A line has left the writer.
    void OnLineGone(const TxLineWriter::Gone& gone, Clock::time_point now);
    // Takes the lines consumed since the last call and tells what finished.
    // `lineGone`: the port went, so nothing more will come: a read that carried
    // what it asked for is complete now, any other has given up.
    void Poll(Clock::time_point now, bool lineGone = false);
    // Ends the write group being queued as PSV would (SET mode writes one PWR alone).
    void EndWriteGroup(int32_t station) { EndGroup(station); }
    // A write group ended and wants its read-back: the station to send PRA to.
    bool TakeReadBackDue(int32_t& station);
    // The lines queued were given up: a read-back not yet queued reads back
    // nothing that went out.
    void DropDueReadBack();
    // Saves the last complete read now, unless it was saved already; the
    // path, or empty when there is none or it could not be saved.
    std::string BackUpLastRead();
    // Saves the last complete read with `saver` (a station's record of its
    // own), which is then its backup: none more is taken of it before a write.
    std::string SaveLastRead(const BackupSaver& saver);

    const DriveReads::Read* LastRead() const { return m_reads.Last(); }
    // The read under way, or the last one that ended.
    const DriveReads& Reads() const { return m_reads; }
    bool ReadPending() const { return m_reads.Pending(); }
    bool ReadBackPending() const { return m_bReadBack || m_bReadBackDue; }

  private:
    void Follow(Clock::time_point now);
    void SettleRead(Clock::time_point now, DriveReads::Moment moment);
    void StartRead(int32_t station, Clock::time_point now);
    // Saves the last complete read unless it was saved already or belongs to
    // another station.
    void BackUpBefore(const SentCommand& write, Clock::time_point now);
    void EndGroup(int32_t station);
    void SettleReadBack(Clock::time_point now, DriveReads::Moment moment);

    const CTtyPort& m_port;
    Listener& m_listener;
    BackupSaver m_saver;
    RxLineFollower m_follower;
    int32_t m_nLastOffset = 0;
    DriveReads m_reads;
    std::vector<int32_t> m_nextWanted;
    uint64_t m_nBackedUpSerial = 0;

    bool m_bVerify = false;
    bool m_bReadBackNext = false;
    // The PWR values of the group being queued.
    ParamSet m_group;
    // The write groups read back are numbered as they end: the last one.
    uint64_t m_nGroups = 0;
    // The groups that ended and wait for a read-back, and their station.
    ParamSet m_due;
    int32_t m_nDueStation = 0;
    bool m_bReadBackDue = false;
    // The read-back whose PRA was asked for, then under way.
    bool m_bReadBackAsked = false;
    bool m_bReadBack = false;
    ParamSet m_readBackSent;
    uint64_t m_nReadBackLastGroup = 0;
    DriveReads m_readBack;
};

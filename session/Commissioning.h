#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "params/ParamSet.h"
#include "protocol/UnsavedWrites.h"
#include "session/DriveSession.h"

// One target set brought to several drives on the session's line, one station
// after the other: read the drive (every parameter of the target must come),
// keep that read as the station's backup, ask its version (FRD 0), compare,
// send only the differing values (PWR..., COP, PSV) unless comparing only,
// read back, and classify the station. The owner steps it as it ticks the
// session (the form's timer, veld-para's loop); it queues lines and takes what
// the session tells, and never waits on the line. One station's failure does
// not stop the others. A lost port, a line that could not be written, a backup
// or a record of the run that could not be saved, or Cancel end the run; the
// stations not reached are told so.
class Commissioning : private DriveSession::Listener {
  public:
    using Clock = DriveSession::Clock;
    // How long the version's answer is waited for once FRD 0 has left.

    enum class State {
        kWaiting,     // its turn has not come
        kReading,     // the read and the version
        kSending,     // the write group and its read-back
        kVerified,    // the drive holds every value of the target
        kMismatch,    // it holds others: compared only, or a value sent it did not keep
        kNoReply,     // no complete reply to the read or the read-back, or the port went
        kNotReached,  // the run ended before any line went to it
        kCancelled,   // cancelled while it was under way
    };
    enum class Stop { kNone, kCancelled, kPortLost, kWriteFailed, kBackupFailed, kReportFailed };

    struct Mismatch {
        int32_t number = 0;
        int32_t target = 0;  // the file's value
        int32_t kept = 0;    // what the drive holds
        bool sent = false;   // whether the target went out (not when comparing only)
    };
    struct Station {
        int32_t id = 0;
        State state = State::kWaiting;
        std::optional<std::string> version;
        std::optional<ParamSet> before;   // the complete read
        std::optional<ParamSet> after;    // the read-back; the read when nothing was sent
        std::string backup;               // where the read was saved
        std::vector<std::string> sent;    // the write lines written, without their CR
        std::vector<std::string> unsent;  // the write lines queued that did not go out
        std::vector<Mismatch> mismatches;
        std::vector<int32_t> missing;  // what a reply that came incomplete lacked

        // Whether a PWR went out with no PSV after it.
        UnsavedWrites saves;

        bool Finished() const { return state > State::kSending; }
        // The drive holds values it has not saved.
        bool Unsaved() const { return saves.Unsaved(); }
    };
    // Saves a station's read as its backup: the path, or empty when it could not.
    using BackupSaver = std::function<std::string(const ParamSet& set, int32_t station)>;
    // Told of a station whose state changed.
    using ProgressFn = std::function<void(const Commissioning& run, const Station& station)>;
    // Records the run as it stands, after each station; false when it could
    // not: the run then ends before its next line.
    using RecordFn = std::function<bool(const Commissioning& run)>;

    // `stations` in the order they are done.
    Commissioning(DriveSession& session, ParamSet target, const std::vector<int32_t>& stations,
                  bool compareOnly, BackupSaver saveBackup, RecordFn record,
                  ProgressFn progress = {});
    ~Commissioning() override;
    Commissioning(const Commissioning&) = delete;
    Commissioning& operator=(const Commissioning&) = delete;

    // Queues the next lines once what was waited for has come; ends the run
    // when the port went or a line could not be written.
    void Step(Clock::time_point now);
    // Gives up the lines not yet written (the one in flight finishes) and ends the run.
    void Cancel() { End(Stop::kCancelled); }

    bool Running() const { return m_stop == Stop::kNone && m_nCurrent < m_stations.size(); }
    Stop Stopped() const { return m_stop; }
    bool CompareOnly() const { return m_bCompareOnly; }
    const ParamSet& Target() const { return m_target; }
    const std::vector<Station>& Stations() const { return m_stations; }
    int FinishedCount() const;

    // The report's word for a state: "verified", "no reply", ...
    static const char* ResultName(State state);
    // What the operator reads: "확인됨", "응답 없음", ...
    static const char* StateText(State state);
    static const char* StopName(Stop stop);
    // What the operator reads for a stop named by StopName: "포트 연결이 끊어졌습니다";
    // null for a name that is none.
    static const char* StopText(const std::string& name);
    static const char* StopText(Stop stop) { return StopText(StopName(stop)); }

  private:
    enum class Phase { kIdle, kRead, kVersion, kReadBack };

    void OnReadFinished(bool complete) override;
    void OnReadBackFinished(const ReadBackReport& report) override;
    void OnLineGone(const TxLineWriter::Gone& gone) override;
    void OnLineReceived(const std::string& line) override;

    Station& Current() { return m_stations[m_nCurrent]; }
    void StartStation();
    void TakeRead();
    void CompareAndSend(bool mayWrite);
    void TakeReadBack();
    void SetState(State state);
    // The station under way is done; the next one starts at the next step.
    void Finish(State state);
    void End(Stop stop);

    DriveSession& m_session;
    ParamSet m_target;
    bool m_bCompareOnly;
    BackupSaver m_saveBackup;
    RecordFn m_record;
    ProgressFn m_progress;
    std::vector<Station> m_stations;
    size_t m_nCurrent = 0;
    Stop m_stop = Stop::kNone;

    // The station under way.
    Phase m_phase = Phase::kIdle;
    bool m_bReached = false;  // a line went to it
    std::optional<bool> m_readComplete;
    std::string m_versionLine;
    std::optional<Clock::time_point> m_versionLeft;
    bool m_bVersionCame = false;
    ParamSet m_writes;
    uint64_t m_nGroup = 0;  // the write group's number, for its read-back
    std::optional<ReadBackReport> m_readBack;
    std::optional<ParamSet> m_readBackValues;
};

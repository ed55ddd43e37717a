#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "params/BackupStore.h"
#include "params/ParamFile.h"
#include "protocol/ReplyWaits.h"
#include "session/Commissioning.h"
#include "session/DriveSession.h"
#include "support/DispatchedPortTest.h"
#include "support/Eventually.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = DriveSession::Clock;

class Recorder : public DriveSession::Listener {
  public:
    void OnReadFinished(bool complete) override { reads.push_back(complete); }
    void OnReadBackFinished(const ReadBackReport& report) override { readBacks.push_back(report); }
    void OnLineGone(const TxLineWriter::Gone& gone) override { fates.push_back(gone.fate); }

    std::vector<bool> reads;
    std::vector<ReadBackReport> readBacks;
    std::vector<TxLineWriter::Fate> fates;
};

// The drive's PRA reply from `station`: every parameter, 16 pairs a line;
// parameter n holds n * 2 unless `values` says otherwise, and those in
// `omit` are left out.
std::vector<std::string> PraReply(const std::map<int32_t, int32_t>& values,
                                  const std::vector<int32_t>& omit = {}, char station = '0') {
    std::vector<std::string> lines;
    for (int32_t first = 0; first < ParamTable::kCount; first += 16) {
        std::ostringstream line;
        line << '#' << station << ".PRA" << std::uppercase << std::hex;
        for (int32_t n = first; n < std::min(first + 16, ParamTable::kCount); ++n) {
            auto it = values.find(n);
            int32_t value = it == values.end() ? n * 2 : it->second;
            if (std::count(omit.begin(), omit.end(), n) == 0) {
                line << ' ' << n << ' ' << static_cast<uint16_t>(value);
            }
        }
        lines.push_back(line.str());
    }
    return lines;
}

// The session on one end of a pseudo-terminal; the test plays the drive.
class DriveSessionTest : public DispatchedPortTest {
  protected:
    void SetUp() override {
        fs::remove_all(dir);
        DispatchedPortTest::SetUp();
        session.AddListener(&recorder);
        session.SetBackupSaver([this](const ParamSet& set, int32_t station) {
            backups.push_back(store.Save(set, station, "", std::time(nullptr)));
            return backups.back();
        });
    }
    void TearDown() override { fs::remove_all(dir); }

    // Ticks until every queued line has left, and returns the bytes the drive got.
    std::string Send() {
        session.Tick(Clock::now());
        EXPECT_TRUE(Eventually([&] {
            session.Tick(Clock::now());
            return !session.LinesWaiting();
        }));
        return pty.Read(1 << 16, 50ms);
    }
    // Ticks as if `after` had passed since now.
    void Later(Clock::duration after) { session.Tick(Clock::now() + after); }
    // Steps a commissioning run through station 0's read (parameter 20 at
    // 500) and its version, as the drive answers them.
    void ReadStationZero(Commissioning& run) {
        run.Step(Clock::now());
        ASSERT_EQ(Send(), "#0.PRA\r");
        Answer(PraReply({{20, 500}}));
        session.Tick(Clock::now());
        run.Step(Clock::now());
        ASSERT_EQ(Send(), "#0.FRD 0\r");
        Answer({"#0.FRD 0 0105"});
        session.Tick(Clock::now());
        run.Step(Clock::now());
    }
    void ReadDrive(const std::map<int32_t, int32_t>& values) {
        session.Queue().QueueReadAll(0);
        ASSERT_EQ(Send(), "#0.PRA\r");
        Answer(PraReply(values));
        Later(ReplyWaits::kReadQuiet);
    }

    fs::path dir = fs::temp_directory_path() / ("veld-session-" + std::to_string(::getpid()));
    BackupStore store{dir.string()};
    std::vector<std::string> backups;
    Recorder recorder;
};

TEST_F(DriveSessionTest, BacksUpTheLastCompleteReadBeforeTheFirstWriteAfterIt) {
    // No read yet: nothing to keep.
    session.Queue().QueueWriteGroup(0, {{20, 1}});
    Send();

    ReadDrive({{20, 500}});
    // Saved as the write is queued, before it goes out.
    session.Queue().QueueParamWrite(0, 20, 5);
    ASSERT_EQ(backups.size(), 1u);
    ParamSet saved;
    ASSERT_TRUE(ParamFile::Read(backups[0], saved));
    EXPECT_EQ(saved.Value(20), 500);
    Send();

    ReadDrive({{20, 5}});
    // A write to another station does not overwrite the drive that was read.
    session.Queue().QueueWriteGroup(3, {{20, 1}});
    EXPECT_EQ(backups.size(), 1u);
    session.Queue().QueueParamInit(0);
    ASSERT_EQ(backups.size(), 2u);
    ASSERT_TRUE(ParamFile::Read(backups[1], saved));
    EXPECT_EQ(saved.Value(20), 5);
    Send();

    // A read that lacks parameters gives up and is no drive set to keep; the
    // read before it was kept already.
    session.Queue().QueueReadAll(0);
    Send();
    Answer(PraReply({}, {20}));
    Later(ReplyWaits::kReadQuiet);
    EXPECT_EQ(recorder.reads, (std::vector<bool>{true, true}));
    Later(ReplyWaits::kReadSilence + 1s);
    EXPECT_EQ(recorder.reads, (std::vector<bool>{true, true, false}));
    session.Queue().QueueWriteGroup(0, {{20, 1}});
    EXPECT_EQ(store.List().size(), 2u);
    Send();

    // A new connection may lead to another drive: what was read before is not kept.
    ReadDrive({{20, 7}});
    session.Close();
    ASSERT_TRUE(session.OpenFromText(DriveSession::PortText(pty.SlavePath(), "115200")));
    consumed = 0;
    EXPECT_EQ(session.LastRead(), nullptr);
    session.Queue().QueueWriteGroup(0, {{20, 1}});
    EXPECT_EQ(store.List().size(), 2u);
}

// One rule for every read: the asked station's replies, then a quiet line.
TEST_F(DriveSessionTest, AReadIsCompleteWhenTheStationAskedSentEveryParameterAndTheLineIsQuiet) {
    session.QueueRead(3, {20, 21});
    ASSERT_EQ(Send(), "#3.PRA\r");
    // Another drive's reply sets the table (the grid's rule) but completes nothing.
    Answer({"#5.PRA 14 1F4 15 64"});
    Later(ReplyWaits::kReadQuiet);
    EXPECT_TRUE(recorder.reads.empty());
    EXPECT_EQ(table.GetParamValue(20), 500);
    Answer({"#3.PRA 14 12C 15 C8"});
    session.Tick(Clock::now());
    EXPECT_TRUE(recorder.reads.empty());  // not quiet yet
    // A line still arriving is no quiet time.
    pty.Write("#3.STA");
    ASSERT_TRUE(Eventually([&] { return session.Port().Ring().Offset() > 0; }));
    Later(ReplyWaits::kReadQuiet);
    EXPECT_TRUE(recorder.reads.empty());
    Later(2 * ReplyWaits::kReadQuiet);
    EXPECT_EQ(recorder.reads, std::vector<bool>{true});
    ASSERT_NE(session.LastRead(), nullptr);
    EXPECT_EQ(session.LastRead()->values.Value(20), 300);
    EXPECT_EQ(session.LastRead()->station, 3);
}

TEST_F(DriveSessionTest, ReadsBackAWriteGroupOnlyWhenAsked) {
    session.ReadBackNextGroup();
    session.Queue().QueueWriteGroup(0, {{21, 9}});
    EXPECT_EQ(Send(), "#0.PWR 21 9\r#0.COP\r#0.PSV\r#0.PRA\r");
    Answer(PraReply({{21, 9}}));
    Later(ReplyWaits::kReadQuiet);
    ASSERT_EQ(recorder.readBacks.size(), 1u);
    EXPECT_EQ(recorder.readBacks[0].Result(), ReadBackReport::Outcome::kConfirmed);
    session.Queue().QueueWriteGroup(0, {{21, 10}});
    EXPECT_EQ(Send(), "#0.PWR 21 10\r#0.COP\r#0.PSV\r");

    // A drive that does not answer the read-back.
    session.ReadBackNextGroup();
    session.Queue().QueueWriteGroup(0, {{20, 300}});
    Send();
    Later(ReplyWaits::kReadSilence + 1s);
    ASSERT_EQ(recorder.readBacks.size(), 2u);
    EXPECT_EQ(recorder.readBacks[1].Result(), ReadBackReport::Outcome::kNoCompleteReply);
    EXPECT_EQ(recorder.readBacks[1].Missing(), std::vector<int32_t>{20});
}

// With every group read back, one read-back at a time: the groups that end
// while one is under way are read back together after it.
TEST_F(DriveSessionTest, GroupsQueuedDuringAReadBackAreReadBackAfterIt) {
    session.SetVerifyAfterWrite(true);
    session.Queue().QueueWriteGroup(0, {{20, 300}, {22, 70000}});
    session.Queue().QueueWriteGroup(0, {{21, 2}});
    session.Queue().QueueWriteGroup(0, {{20, 3}, {23, 4}});
    EXPECT_EQ(Send(),
              "#0.PWR 20 300\r#0.PWR 22 70000\r#0.COP\r#0.PSV\r#0.PWR 21 2\r#0.COP\r#0.PSV\r"
              "#0.PWR 20 3\r#0.PWR 23 4\r#0.COP\r#0.PSV\r#0.PRA\r");
    // The drive keeps 16 bits of 70000.
    Answer(PraReply({{20, 3}, {21, 2}, {22, 70000}, {23, 4}}));
    Later(ReplyWaits::kReadQuiet);
    ASSERT_EQ(recorder.readBacks.size(), 1u);
    const ReadBackReport& first = recorder.readBacks[0];
    EXPECT_EQ(first.Result(), ReadBackReport::Outcome::kMismatch);
    EXPECT_EQ(first.SentCount(), 4);
    EXPECT_EQ(first.ConfirmedCount(), 3);
    // Groups after the read-back went out wait for it.
    session.Queue().QueueWriteGroup(0, {{25, 1}});
    EXPECT_EQ(Send(), "#0.PWR 25 1\r#0.COP\r#0.PSV\r#0.PRA\r");
}

TEST_F(DriveSessionTest, ClosingGivesUpTheLinesNotYetWritten) {
    for (int i = 0; i < 40; ++i) session.Queue().QueueCop(0);
    session.Tick(Clock::now());
    ASSERT_EQ(pty.ReadUntil("\r", 10s), "#0.COP\r");
    session.Close();
    session.EchoGoneLines();
    EXPECT_FALSE(session.LinesWaiting());
    EXPECT_EQ(sent.lines.size(), 20u);  // every line left, the echo keeps twenty
    size_t unsent = static_cast<size_t>(
        std::count(recorder.fates.begin(), recorder.fates.end(), TxLineWriter::Fate::kNotSent));
    EXPECT_EQ(recorder.fates.size(), 40u);
    EXPECT_GT(unsent, 0u);
    EXPECT_EQ(recorder.fates.front(), TxLineWriter::Fate::kWritten);
}

// A line that has gone still waits until its fate is taken: whoever waits for
// the lines to go (veld-para's flush) learns of a failure before it goes on.
TEST_F(DriveSessionTest, ALineWaitsUntilItsFateIsTaken) {
    // Longer than the terminal buffers: it is still being written when the
    // hand-over returns, so nothing but a tick can take its fate.
    std::string line = std::string(1 << 18, 'x') + "\r";
    session.Queue().QueueCommand(line);
    session.HandOverLines();
    ASSERT_EQ(pty.Read(line.size(), 10s).size(), line.size());
    std::this_thread::sleep_for(50ms);  // the writer marks it gone right after its write
    EXPECT_TRUE(session.LinesWaiting());
    EXPECT_TRUE(recorder.fates.empty());
    session.Tick(Clock::now());
    EXPECT_FALSE(session.LinesWaiting());
    EXPECT_EQ(recorder.fates, std::vector<TxLineWriter::Fate>{TxLineWriter::Fate::kWritten});
}

// Asked to stop at a failed write, the writer sends nothing behind it: neither the
// line handed over while the failed one stalled nor a line handed over later.
TEST_F(DriveSessionTest, AfterAFailedWriteNothingMoreGoesOutWhenAskedSo) {
    session.SetStopAfterWriteFailure(true);
    session.Queue().QueueCommand(std::string(100000, 'x'));  // the drive reads none of it
    session.Tick(Clock::now());
    session.Queue().QueueCop(0);
    session.Tick(Clock::now());
    ASSERT_TRUE(Eventually(
        [&] {
            session.Tick(Clock::now());
            return recorder.fates.size() == 2;
        },
        10s));
    session.Queue().QueueCop(0);
    ASSERT_TRUE(Eventually([&] {
        session.Tick(Clock::now());
        return recorder.fates.size() == 3;
    }));
    using Fate = TxLineWriter::Fate;
    EXPECT_EQ(recorder.fates, (std::vector<Fate>{Fate::kFailed, Fate::kNotSent, Fate::kNotSent}));
    EXPECT_EQ(pty.Read(1 << 20, 200ms).find("COP"), std::string::npos);
    // With the port still open once the loss would have been told, the failure is the write's.
    using LineFault = DriveSession::LineFault;
    EXPECT_EQ(session.Fault(Clock::now() + DriveSession::kLossNotice), LineFault::kWriteFailed);
    session.ForgetFailedLines();
    EXPECT_EQ(session.Fault(Clock::now()), LineFault::kNone);
}

// An open begun off the owner's thread: the session is not connected and hands
// no line to the writer until its result is taken; then the lines queued
// meanwhile go out on the port opened, or are lost as lines without a port are.
// Closing meanwhile waits for the open and closes what it opened.
TEST_F(DriveSessionTest, LinesQueuedWhileAPortOpensWaitForItsResult) {
    struct Case {
        const char* what;
        std::string device;
        bool opens;
    };
    const Case cases[] = {{"the terminal", pty.SlavePath(), true},
                          {"no such device", "/dev/veld-no-such-port", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session.Close();
        recorder.fates.clear();
        ASSERT_TRUE(session.BeginOpen(DriveSession::PortText(c.device, "115200")));
        EXPECT_FALSE(session.BeginOpen(DriveSession::PortText(pty.SlavePath(), "115200")));
        EXPECT_FALSE(session.IsConnected());
        session.Queue().QueueCop(0);
        std::optional<bool> opened;
        ASSERT_TRUE(Eventually([&] {
            session.Tick(Clock::now());
            opened = session.TakeOpenResult();
            return opened.has_value();
        }));
        EXPECT_EQ(session.Queue().Pending(), 1);
        EXPECT_TRUE(recorder.fates.empty());
        EXPECT_EQ(*opened, c.opens);
        EXPECT_EQ(session.IsConnected(), c.opens);
        EXPECT_EQ(session.LastOpenError(), c.opens ? 0 : ENOENT);
        EXPECT_EQ(Send(), c.opens ? "#0.COP\r" : "");
        EXPECT_EQ(recorder.fates,
                  std::vector<TxLineWriter::Fate>(
                      {c.opens ? TxLineWriter::Fate::kWritten : TxLineWriter::Fate::kNotSent}));
    }
    ASSERT_TRUE(session.BeginOpen(DriveSession::PortText(pty.SlavePath(), "115200")));
    session.Close();
    EXPECT_FALSE(port.IsConnected());
    EXPECT_FALSE(session.TakeOpenResult());
}

// A commissioning run cancelled after it queued its write group, before a tick
// handed it over: none of it goes out, nor its read-back; the record lists what
// did not go, and the station after it is not reached.
TEST_F(DriveSessionTest, ACommissioningRunCancelledBetweenLinesSendsNothingMore) {
    ParamSet target;
    target.Set(20, 999);
    target.Set(21, 42);
    Commissioning run(
        session, target, {0, 1}, false,
        [](const ParamSet&, int32_t station) { return "id" + std::to_string(station); },
        [](const Commissioning&) { return true; });
    ReadStationZero(run);
    ASSERT_EQ(run.Stations()[0].state, Commissioning::State::kSending);
    run.Cancel();
    EXPECT_EQ(Send(), "");
    const Commissioning::Station& cancelled = run.Stations()[0];
    EXPECT_EQ(cancelled.state, Commissioning::State::kCancelled);
    EXPECT_EQ(cancelled.version, "0105");
    EXPECT_EQ(cancelled.backup, "id0");
    // The backup the run keeps of each station is the only one.
    EXPECT_TRUE(store.List().empty());
    EXPECT_EQ(cancelled.before->Value(20), 500);
    EXPECT_TRUE(cancelled.sent.empty());
    EXPECT_EQ(cancelled.unsent, (std::vector<std::string>{"#0.PWR 20 999", "#0.COP", "#0.PSV"}));
    EXPECT_EQ(run.Stations()[1].state, Commissioning::State::kNotReached);
    EXPECT_EQ(run.Stopped(), Commissioning::Stop::kCancelled);
}

// A station whose backup could not be saved is compared and nothing is
// written to it; its values were not sent, so none is told as sent, and the
// run goes no further.
TEST_F(DriveSessionTest, AStationWhoseBackupIsNotSavedIsOnlyComparedAndTheRunEnds) {
    ParamSet target;
    target.Set(20, 999);
    Commissioning run(
        session, target, {0, 1}, false, [](const ParamSet&, int32_t) { return std::string(); },
        [](const Commissioning&) { return true; });
    run.Step(Clock::now());
    ASSERT_EQ(Send(), "#0.PRA\r");
    Answer(PraReply({{20, 500}}));
    session.Tick(Clock::now());
    run.Step(Clock::now());
    EXPECT_EQ(Send(), "");
    const Commissioning::Station& station = run.Stations()[0];
    EXPECT_EQ(station.state, Commissioning::State::kMismatch);
    ASSERT_EQ(station.mismatches.size(), 1u);
    EXPECT_EQ(station.mismatches[0].kept, 500);
    EXPECT_FALSE(station.mismatches[0].sent);
    EXPECT_TRUE(station.sent.empty());
    EXPECT_EQ(run.Stations()[1].state, Commissioning::State::kNotReached);
    EXPECT_EQ(run.Stopped(), Commissioning::Stop::kBackupFailed);
}

// A run whose record cannot be saved after a station goes no further: the
// next station's read never goes out.
TEST_F(DriveSessionTest, ACommissioningRunWhoseRecordCannotBeSavedStopsBeforeTheNextStation) {
    ParamSet target;
    target.Set(20, 500);
    int records = 0;
    Commissioning run(
        session, target, {0, 1}, false,
        [](const ParamSet&, int32_t station) { return "id" + std::to_string(station); },
        [&records](const Commissioning&) {
            ++records;
            return false;
        });
    ReadStationZero(run);
    run.Step(Clock::now());
    session.Tick(Clock::now());
    EXPECT_EQ(Send(), "");
    EXPECT_EQ(records, 1);
    EXPECT_EQ(run.Stations()[0].state, Commissioning::State::kVerified);
    EXPECT_EQ(run.Stations()[1].state, Commissioning::State::kNotReached);
    EXPECT_EQ(run.Stopped(), Commissioning::Stop::kReportFailed);
}

}  // namespace

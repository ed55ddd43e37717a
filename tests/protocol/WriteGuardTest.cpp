#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "params/ParamFile.h"
#include "protocol/WriteGuard.h"
#include "support/DispatchedPortTest.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = WriteGuard::Clock;

class RecordingListener : public WriteGuard::Listener {
  public:
    void OnReadFinished(bool complete) override { reads.push_back(complete); }
    void OnBackupSaved(const std::string& path) override { backups.push_back(path); }
    void OnReadBackFinished(const ReadBackReport& report) override { readBacks.push_back(report); }

    std::vector<bool> reads;
    std::vector<std::string> backups;
    std::vector<ReadBackReport> readBacks;
};

// The drive's PRA reply: every parameter, 16 pairs a line; parameter n holds
// n * 2 unless `values` says otherwise, and those in `omit` are left out.
std::vector<std::string> PraReply(const std::map<int32_t, int32_t>& values,
                                  const std::vector<int32_t>& omit = {}) {
    std::vector<std::string> lines;
    for (int32_t first = 0; first < ParamTable::kCount; first += 16) {
        std::ostringstream line;
        line << "#0.PRA" << std::uppercase << std::hex;
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

class WriteGuardTest : public DispatchedPortTest {
  protected:
    void SetUp() override {
        fs::remove_all(dir);
        DispatchedPortTest::SetUp();
        queue.SetObserver(&guard);
    }
    void TearDown() override { fs::remove_all(dir); }

    void ReadDrive(const std::map<int32_t, int32_t>& values) {
        queue.QueueReadAll(0);
        ASSERT_EQ(Flush(), "#0.PRA\r");
        Answer(PraReply(values));
        guard.Poll(Clock::now());
    }

    fs::path dir = fs::temp_directory_path() / ("veld-guard-" + std::to_string(::getpid()));
    BackupStore store{dir.string(), BackupStore::kMaxBackups};
    RecordingListener listener;
    WriteGuard guard{port, queue, store, listener};
};

TEST_F(WriteGuardTest, BacksUpTheLastCompleteReadBeforeTheFirstWriteAfterIt) {
    // No read yet: nothing to keep.
    queue.QueueWriteGroup(0, {{20, 1}});
    Flush();

    ReadDrive({{20, 500}});
    // Saved as the write is queued, before it goes out.
    queue.QueueParamWrite(0, 20, 5);
    ASSERT_EQ(listener.backups.size(), 1u);
    ParamSet saved;
    ASSERT_TRUE(ParamFile::Read(listener.backups[0], saved));
    EXPECT_EQ(saved.Value(20), 500);
    Flush();

    ReadDrive({{20, 5}});
    // A write to another station does not overwrite the drive that was read.
    queue.QueueWriteGroup(3, {{20, 1}});
    EXPECT_EQ(listener.backups.size(), 1u);
    queue.QueueParamInit(0);
    ASSERT_EQ(listener.backups.size(), 2u);
    ASSERT_TRUE(ParamFile::Read(listener.backups[1], saved));
    EXPECT_EQ(saved.Value(20), 5);
    Flush();

    // A read that lacks parameters gives up and is no drive set to keep; the
    // read before it was kept already.
    queue.QueueReadAll(0);
    Flush();
    Answer(PraReply({}, {20}));
    guard.Poll(Clock::now());
    guard.Poll(Clock::now() + DriveReads::kGiveUp + 1s);
    EXPECT_EQ(listener.reads, (std::vector<bool>{true, true, false}));
    queue.QueueWriteGroup(0, {{20, 1}});
    EXPECT_EQ(store.List().size(), 2u);
    Flush();

    // One that lacks only unlisted parameters completes once the line is quiet.
    queue.QueueReadAll(0);
    Flush();
    Answer(PraReply({}, {101}));
    Clock::time_point answered = Clock::now() + DriveReads::kGiveUp + 2s;
    guard.Poll(answered);
    EXPECT_EQ(listener.reads.size(), 3u);
    guard.Poll(answered + DriveReads::kSettle + 50ms);
    EXPECT_EQ(listener.reads, (std::vector<bool>{true, true, false, true}));
}

TEST_F(WriteGuardTest, ReadsBackAWriteGroupOnlyWhenAsked) {
    guard.ReadBackNextGroup();
    queue.QueueWriteGroup(0, {{21, 9}});
    EXPECT_EQ(Flush(), "#0.PWR 21 9\r#0.COP\r#0.PSV\r#0.PRA\r");
    Answer(PraReply({{21, 9}}));
    guard.Poll(Clock::now());
    ASSERT_EQ(listener.readBacks.size(), 1u);
    EXPECT_EQ(listener.readBacks[0].Result(), ReadBackReport::Outcome::kConfirmed);
    queue.QueueWriteGroup(0, {{21, 10}});
    EXPECT_EQ(Flush(), "#0.PWR 21 10\r#0.COP\r#0.PSV\r");

    // A drive that does not answer the read-back.
    guard.ReadBackNextGroup();
    queue.QueueWriteGroup(0, {{20, 300}});
    Flush();
    guard.Poll(Clock::now() + DriveReads::kGiveUp + 1s);
    ASSERT_EQ(listener.readBacks.size(), 2u);
    EXPECT_EQ(listener.readBacks[1].Result(), ReadBackReport::Outcome::kNoCompleteReply);
    EXPECT_EQ(listener.readBacks[1].Missing(), std::vector<int32_t>{20});
}

// With every group read back, one read-back at a time: the answer to the
// first PRA comes before the later groups reach the drive.
TEST_F(WriteGuardTest, GroupsQueuedDuringAReadBackAreReadBackAfterIt) {
    guard.SetVerifyAfterWrite(true);
    queue.QueueWriteGroup(0, {{20, 300}, {22, 70000}});
    queue.QueueWriteGroup(0, {{21, 2}});
    queue.QueueWriteGroup(0, {{20, 3}, {23, 4}});
    EXPECT_EQ(Flush(),
              "#0.PWR 20 300\r#0.PWR 22 70000\r#0.COP\r#0.PSV\r#0.PRA\r#0.PWR 21 2\r#0.COP\r"
              "#0.PSV\r#0.PWR 20 3\r#0.PWR 23 4\r#0.COP\r#0.PSV\r");
    // The drive keeps 16 bits of 70000.
    Answer(PraReply({{20, 300}, {22, 70000}}));
    guard.Poll(Clock::now());
    EXPECT_EQ(Flush(), "#0.PRA\r");
    Answer(PraReply({{20, 3}, {21, 2}, {23, 4}}));
    guard.Poll(Clock::now());
    ASSERT_EQ(listener.readBacks.size(), 2u);
    EXPECT_EQ(listener.readBacks[0].Result(), ReadBackReport::Outcome::kMismatch);
    EXPECT_EQ(listener.readBacks[0].ConfirmedCount(), 1);
    EXPECT_EQ(listener.readBacks[1].Result(), ReadBackReport::Outcome::kConfirmed);
    EXPECT_EQ(listener.readBacks[1].SentCount(), 3);
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/PollRecorder.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

// 7 December 2026, 20:03:04.056 UTC, plus `ms`.
PollMonitor::Row MakeRow(int64_t ms, const char* code, std::vector<int32_t> values) {
    PollMonitor::Row row;
    row.ms = ms;
    row.wall = system_clock::time_point(seconds(1796673784)) + milliseconds(56 + ms);
    row.reply.code = code;
    row.reply.values = std::move(values);
    return row;
}

class PollRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir = fs::temp_directory_path() / ("veld-recorder-" + std::to_string(::getpid()));
    ScopedEnv zone{"TZ", "XYZ3:30"};
};

// Local times with their offset in ISO 8601's extended form.
TEST_F(PollRecorderTest, RowsReachTheFileAsTheyAreTaken) {
    fs::path path = dir / "watch.csv";
    PollRecorder recorder;
    ASSERT_TRUE(recorder.Open(path.string()));
    ASSERT_TRUE(recorder.Write(MakeRow(0, "MVW", {1500, -10, 3100, 300})));
    ASSERT_TRUE(recorder.Write(MakeRow(1640, "MTP", {-2147483647 - 1})));
    // In the file while the recording goes on.
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "ms,time,code,fields\n"
              "0,2026-12-07T16:33:04.056-03:30,MVW,1500,-10,3100,300\n"
              "1640,2026-12-07T16:33:05.696-03:30,MTP,-2147483648\n");
}

TEST_F(PollRecorderTest, RefusesWhatIsNoRegularFileAtOnce) {
    fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PollRecorder recorder;
    for (fs::path path : {fifo, dir / "missing" / "x.csv"}) {
        EXPECT_FALSE(recorder.Open(path.string())) << path;
        EXPECT_FALSE(recorder.Write(MakeRow(0, "STA", {1})));
    }
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/PollRecorder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

// The time a recorded ISO text stands for.
system_clock::time_point ParseIso(const std::string& text) {
    std::tm local{};
    const char* rest = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &local);
    EXPECT_NE(rest, nullptr) << text;
    int ms = 0;
    int zoneHours = 0;
    int zoneMinutes = 0;
    char sign = '+';
    EXPECT_EQ(std::sscanf(rest, ".%3d%c%2d:%2d", &ms, &sign, &zoneHours, &zoneMinutes), 4) << text;
    int offset = (sign == '-' ? -1 : 1) * (zoneHours * 3600 + zoneMinutes * 60);
    time_t utc = timegm(&local) - offset;
    return system_clock::from_time_t(utc) + milliseconds(ms);
}

PollMonitor::Row MakeRow(int64_t ms, const char* code, std::vector<int32_t> values) {
    PollMonitor::Row row;
    row.ms = ms;
    row.wall = time_point_cast<milliseconds>(system_clock::now()) + milliseconds(ms);
    row.reply.code = code;
    row.reply.values = std::move(values);
    return row;
}

class PollRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veld-recorder-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
};

TEST_F(PollRecorderTest, RowsReadBackAsTheyWereTaken) {
    const std::vector<PollMonitor::Row> rows = {
        MakeRow(0, "MVW", {1500, -10, 3100, 300}),
        MakeRow(212, "STA", {1}),
        MakeRow(423, "PRD", {20, -2147483647 - 1}),
        MakeRow(640, "MTP", {}),
    };
    fs::path path = dir / "watch.csv";
    {
        PollRecorder recorder;
        ASSERT_TRUE(recorder.Open(path.string()));
        for (const PollMonitor::Row& row : rows) ASSERT_TRUE(recorder.Write(row));
        // The rows are in the file while the recording goes on.
        std::ifstream in(path);
        std::string header;
        std::getline(in, header);
        EXPECT_EQ(header, PollRecorder::kCsvHeader);
        size_t lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        EXPECT_EQ(lines, rows.size());
    }
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    for (const PollMonitor::Row& row : rows) {
        ASSERT_TRUE(std::getline(in, line));
        std::vector<std::string> cells = Split(line);
        ASSERT_GE(cells.size(), 3u) << line;
        EXPECT_EQ(std::stoll(cells[0]), row.ms);
        EXPECT_EQ(ParseIso(cells[1]), row.wall) << cells[1];
        EXPECT_EQ(cells[2], row.reply.code);
        std::vector<int32_t> values;
        for (size_t i = 3; i < cells.size(); ++i) values.push_back(std::stoi(cells[i]));
        EXPECT_EQ(values, row.reply.values) << line;
    }
    EXPECT_FALSE(std::getline(in, line));
}

TEST_F(PollRecorderTest, RefusesWhatIsNoRegularFileAtOnce) {
    fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(dir / "folder");
    PollRecorder recorder;
    for (fs::path path : {fifo, dir / "folder", dir / "missing" / "x.csv"}) {
        EXPECT_FALSE(recorder.Open(path.string())) << path;
        EXPECT_FALSE(recorder.IsOpen());
        EXPECT_FALSE(recorder.Write(MakeRow(0, "STA", {1})));
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "params/ParamFile.h"

namespace {

namespace fs = std::filesystem;

// The listed parameters and their names as CP949 bytes, written out by hand.
struct Cp949Name {
    int32_t number;
    const char* bytes;
};
const Cp949Name kListedNames[] = {
    {10, "\xc0\xfc\xb7\xf9\xb7\xe7\xc7\xc1\xbb\xe7\xbf\xeb"},  // 전류루프사용
    {11, "\xbc\xd3\xb5\xb5\xb7\xe7\xc7\xc1\xbb\xe7\xbf\xeb"},  // 속도루프사용
    {13, "\xc0\xfc\xb7\xf9 P gain"},
    {14, "\xc0\xfc\xb7\xf9 I gain"},
    {15, "\xbc\xd3\xb5\xb5 P gain"},
    {16, "\xbc\xd3\xb5\xb5 I gain"},
    {20, "\xb0\xa1\xbc\xd3\xbd\xc3\xb0\xa3"},                                  // 가속시간
    {21, "\xb0\xa8\xbc\xd3\xbd\xc3\xb0\xa3"},                                  // 감속시간
    {22, "\xc3\xd6\xc0\xfa\xbc\xd3\xb5\xb5"},                                  // 최저속도
    {23, "\xc3\xd6\xb0\xed\xbc\xd3\xb5\xb5"},                                  // 최고속도
    {25, "\xc0\xfc\xb7\xf9\xc1\xa6\xc7\xd1"},                                  // 전류제한
    {26, "\xc0\xfc\xb7\xf9\xc1\xa6\xc7\xd1\xc7\xd1\xb0\xe8\xbd\xc3\xb0\xa3"},  // 전류제한한계시간
    {27, "\xb0\xfa\xbf\xc2\xb5\xb5\xc7\xd1\xb0\xe8"},                          // 과온도한계
    {28, "\xb0\xfa\xbf\xc2\xb5\xb5\xc7\xd1\xb0\xe8\xbd\xc3\xb0\xa3"},  // 과온도한계시간
    {29, "\xc0\xfc\xbf\xf8\xba\xaf\xb5\xbf\xc7\xd1\xb0\xe8\xbd\xc3\xb0\xa3"},  // 전원변동한계시간
    {30, "\xc1\xa4\xc1\xf6\xb9\xe6\xb9\xfd"},                                  // 정지방법
    {31, "\xb1\xe4\xb1\xde\xc1\xa4\xc1\xf6\xb9\xe6\xb9\xfd"},                  // 긴급정지방법
    {37, "\xb8\xf0\xb4\xcf\xc5\xcd\xb8\xb5\xc1\xbe\xb7\xf9"},                  // 모니터링종류
    {38, "\xbc\xd3\xb5\xb5\xb5\xb5\xb4\xde\xc7\xe3\xbf\xeb\xc6\xf8"},  // 속도도달허용폭
    {50,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "1"},  // 속도인덱스1
    {51,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "2"},
    {52,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "3"},
    {53,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "4"},
    {54,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "5"},
    {55,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "6"},
    {56,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "7"},
    {57,
     "\xbc\xd3\xb5\xb5\xc0\xce\xb5\xa6\xbd\xba"
     "8"},
    {60, "AD\xb1\xd8\xbc\xba"},                   // AD극성
    {61, "AD\xc0\xd4\xb7\xc2\xc3\xd6\xbc\xd2 "},  // AD입력최소 (with its blank)
};

std::string LeftPadded(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// One record assembled field by field, without the writer's format string.
std::string ExpectedRecord(int32_t number, const std::string& name, int32_t value) {
    return LeftPadded(std::to_string(number), 5) + ", " + LeftPadded(name, 20) + ", " +
           LeftPadded(std::to_string(value), 10) + " \r\n";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<int32_t> Values(const ParamTable& table) {
    std::vector<int32_t> values;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) values.push_back(table.GetParamValue(n));
    return values;
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("paramfile-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
    ParamTable table;
    RefreshFlag refresh;
};

TEST_F(ParamFileTest, SaveRightAfterStartIs1220BytesFrom10To61) {
    fs::path file = dir / "start.par";
    ASSERT_TRUE(ParamFile::Write(file, table));
    std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.size(), 1220u);
    EXPECT_EQ(bytes.substr(0, 7), "   10, ");
    EXPECT_EQ(bytes.substr(bytes.size() - 44),
              "   61, " + LeftPadded(kListedNames[28].bytes, 20) + ",          0 \r\n\r\n");
}

TEST_F(ParamFileTest, SavedBytesEqualAFileBuiltFromHandWrittenCp949Names) {
    std::string expected;
    for (const Cp949Name& name : kListedNames) {
        int32_t value = name.number * 37 - 1000;
        if (name.number == 21) value = 300;
        // Wider than ten places: the record grows, nothing is cut.
        if (name.number == 55) value = -2147483647 - 1;
        table.SetParamValue(name.number, value);
        expected += ExpectedRecord(name.number, name.bytes, value);
    }
    expected += "\r\n";
    table.SetParamValue(42, 3);  // not listed: not saved
    fs::path file = dir / "values.par";
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_NE(expected.find("       300 \r\n"), std::string::npos);
}

TEST_F(ParamFileTest, ASavedFileReadsBackToTheSameValues) {
    for (int32_t n = 0; n < ParamTable::kCount; ++n) table.SetParamValue(n, n % 2 ? -n * 1001 : n);
    table.SetParamValue(20, 2147483647);
    fs::path file = dir / "round.par";
    ASSERT_TRUE(ParamFile::Write(file, table));

    ParamTable loaded;
    for (int32_t n = 0; n < ParamTable::kCount; ++n)
        loaded.SetParamValue(n, table.GetParamValue(n));
    for (int32_t n : loaded.ListedNumbers()) loaded.SetParamValue(n, 12345);
    ASSERT_TRUE(ParamFile::Read(file, loaded, refresh));
    EXPECT_EQ(Values(loaded), Values(table));
    EXPECT_TRUE(refresh.IsRaised());
}

TEST_F(ParamFileTest, SaveOverALongerFileLeavesExactlyTheNewText) {
    fs::path file = dir / "long.par";
    WriteBytes(file, std::string(5000, 'x'));
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_EQ(ReadBytes(file), ParamFile::Format(table));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // The temporary file has gone into the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ParamFileTest, SaveThroughASymbolicLinkReplacesTheFileItNames) {
    fs::path real = dir / "real.par";
    fs::path link = dir / "link.par";
    WriteBytes(real, "old");
    fs::create_symlink(real, link);
    ASSERT_TRUE(ParamFile::Write(link, table));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), ParamFile::Format(table));
}

TEST_F(ParamFileTest, ATargetThatCanBeNeitherWrittenNorCreatedFails) {
    fs::path readOnlyDir = dir / "locked";
    fs::create_directories(readOnlyDir);
    ::chmod(readOnlyDir.c_str(), 0555);
    std::vector<fs::path> targets = {
        dir / "missing" / "x.par",  // no such directory
        dir,                        // a directory, not a file
        "/proc/veld.par",           // a directory nobody can write, root included
    };
    // Permissions stop everyone but root.
    if (::geteuid() != 0) targets.push_back(readOnlyDir / "x.par");
    for (const fs::path& target : targets) {
        EXPECT_FALSE(ParamFile::Write(target, table)) << target;
    }
    EXPECT_TRUE(fs::is_empty(readOnlyDir));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    ::chmod(readOnlyDir.c_str(), 0755);
}

TEST_F(ParamFileTest, ParseFollowsTheFieldRules) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::pair<int32_t, int32_t>> expected;  // everything else stays 7
    };
    const Case cases[] = {
        {"the seven characters", "20,x,77", {{20, 77}}},
        {"commas only", "10,a,1,11,b,2,13,c,-3,", {{10, 1}, {11, 2}, {13, -3}}},
        {"line ends", "10,a,1\r\n11,b,2\r\n13,c,-3\r\n\r\n", {{10, 1}, {11, 2}, {13, -3}}},
        {"blanks dropped inside", "2 1, name with blanks ,3 0 0", {{21, 300}}},
        {"tabs and sign", "\t22,n,\t-45x9", {{22, -45}}},
        {"no digits addresses 0", ",name,5", {{0, 5}}},
        {"saturates",
         "23,n,99999999999,25,n,-99999999999",
         {{23, 2147483647}, {25, -2147483647 - 1}}},
        {"outside 0..109 skipped", "110,n,1,-1,n,2,109,n,3", {{109, 3}}},
        {"a missing comma shifts the cycle", "30 n,4\n31,n,5\n", {{30, 31}, {0, 0}}},
        {"an empty last field is a value", "26,n,", {{26, 0}}},
        {"line feed without CR", "27\nn\n8", {{27, 8}}},
        {"field kept to 63 bytes", "28,n," + std::string(62, '0') + "12", {{28, 1}}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        ParamTable parsed;
        for (int32_t n = 0; n < ParamTable::kCount; ++n) parsed.SetParamValue(n, 7);
        ParamFile::Parse(c.content, parsed);
        std::vector<int32_t> expected(ParamTable::kCount, 7);
        for (const auto& [number, value] : c.expected) expected[number] = value;
        EXPECT_EQ(Values(parsed), expected) << c.what;
    }
}

TEST_F(ParamFileTest, AnEmptyFileChangesNothingButRaisesTheRefresh) {
    fs::path file = dir / "empty.par";
    WriteBytes(file, "");
    table.SetParamValue(20, 5);
    ASSERT_TRUE(ParamFile::Read(file, table, refresh));
    EXPECT_EQ(table.GetParamValue(20), 5);
    EXPECT_TRUE(refresh.Take());
}

TEST_F(ParamFileTest, FilesUpTo1MiBAreReadWhole) {
    fs::path file = dir / "big.par";
    std::string content = "20,x,77";
    content += std::string(ParamFile::kMaxFileBytes - content.size() - 7, ' ') + ",21,x,8";
    WriteBytes(file, content);
    ASSERT_TRUE(ParamFile::Read(file, table, refresh));
    EXPECT_EQ(table.GetParamValue(20), 77);
    EXPECT_EQ(table.GetParamValue(21), 8);
}

TEST_F(ParamFileTest, AFileThatCannotBeReadLeavesTheTableUnchanged) {
    fs::path tooLarge = dir / "large.par";
    WriteBytes(tooLarge, "20,x,77" + std::string(ParamFile::kMaxFileBytes, ' '));
    fs::path fifo = dir / "fifo.par";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Should the reader wait on the FIFO, a writer comes after 2 s and the read
    // then succeeds with nothing in it, which the expectation below catches.
    std::atomic<bool> returned{false};
    std::thread writer([&] {
        for (int i = 0; i < 200 && !returned.load(); ++i) ::usleep(10000);
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    });
    for (const fs::path& path : {dir / "absent.par", dir, tooLarge, fifo, fs::path("/dev/null")}) {
        table.SetParamValue(20, 5);
        EXPECT_FALSE(ParamFile::Read(path, table, refresh)) << path;
        EXPECT_EQ(table.GetParamValue(20), 5) << path;
        EXPECT_FALSE(refresh.IsRaised()) << path;
    }
    returned = true;
    writer.join();
}

// A save killed at any moment leaves the old or the new text, and no more than
// one leftover file, which the next save takes away.
TEST_F(ParamFileTest, SavesKilledAtRandomMomentsLeaveNoStrayFiles) {
    fs::path file = dir / "killed.par";
    ParamTable other;
    for (int32_t n : other.ListedNumbers()) other.SetParamValue(n, n * 1000);
    const std::string oldText = ParamFile::Format(table);
    const std::string newText = ParamFile::Format(other);
    ASSERT_TRUE(ParamFile::Write(file, table));
    std::mt19937 random(7);
    for (int kill = 0; kill < 200; ++kill) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) ParamFile::Write(file, kill % 2 ? table : other);
        }
        ::usleep(random() % 3000);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        std::string text = ReadBytes(file);
        ASSERT_TRUE(text == oldText || text == newText) << "after kill " << kill;
        ASSERT_LE(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
            << "after kill " << kill;
    }
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace

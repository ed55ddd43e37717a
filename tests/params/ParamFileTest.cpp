#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "params/Cp949.h"
#include "params/ParamFile.h"
#include "support/OpenWatch.h"

namespace {

namespace fs = std::filesystem;

std::string LeftPadded(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

long FilesIn(const fs::path& dir) {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}

class ParamFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir = fs::temp_directory_path() / ("paramfile-" + std::to_string(::getpid()));
    fs::path file = dir / "drive.par";
    ParamTable table;
    RefreshFlag refresh;
};

// One record per listed parameter: number, CP949 name and value right-aligned
// in 5, 20 and 10 places; then CR LF.
TEST_F(ParamFileTest, SavedRecordsHaveFixedWidthsAndCp949Names) {
    std::string expected;
    for (int32_t n : table.ListedNumbers()) {
        // Wider than ten places: the record grows, nothing is cut.
        int32_t value = n == 55 ? -2147483647 - 1 : n * 37 - 1000;
        table.SetParamValue(n, value);
        expected += LeftPadded(std::to_string(n), 5) + ", " +
                    LeftPadded(Cp949::FromUtf8(ParamTable::NameOf(n)), 20) + ", " +
                    LeftPadded(std::to_string(value), 10) + " \r\n";
    }
    table.SetParamValue(42, 3);  // not listed: not saved
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_EQ(ReadBytes(file), expected + "\r\n");
}

TEST_F(ParamFileTest, SaveReplacesTheFileALinkNamesKeepingItsMode) {
    fs::path real = dir / "real.par";
    WriteBytes(real, "x");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, file);
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(ReadBytes(real), ParamFile::Format(table));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A backup is made as a new file and never replaces one, not even through a
// link that leads nowhere.
TEST_F(ParamFileTest, CreateMakesANewFileAndNeverReplacesOne) {
    ParamSet set = ParamSet::Listed(table);
    fs::path fresh = dir / "new.par";
    ASSERT_TRUE(ParamFile::Create(fresh, set));
    fs::path dangling = dir / "dangling.par";
    fs::create_symlink(dir / "nowhere.par", dangling);
    for (const fs::path& taken : {fresh, dangling}) {
        EXPECT_FALSE(ParamFile::Create(taken, ParamSet())) << taken;
    }
    EXPECT_EQ(ReadBytes(fresh), ParamFile::Format(set));
    EXPECT_FALSE(fs::exists(dir / "nowhere.par"));
    EXPECT_EQ(FilesIn(dir), 2);
}

TEST_F(ParamFileTest, ATargetThatCanBeNeitherWrittenNorCreatedFails) {
    const fs::path targets[] = {
        dir / "missing" / "x.par",  // no such directory
        dir,                        // a directory, not a file
        "/proc/veld.par",           // a directory nobody can write, root included
    };
    for (const fs::path& target : targets) {
        EXPECT_FALSE(ParamFile::Write(target, table)) << target;
    }
}

TEST_F(ParamFileTest, ParseFollowsTheFieldRules) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::pair<int32_t, int32_t>> expected;  // everything else stays 7
    };
    const Case cases[] = {
        {"the seven characters", "20,x,77", {{20, 77}}},
        {"line ends", "10,a,1\r\n11,b,2\r\n13,c,-3\r\n\r\n", {{10, 1}, {11, 2}, {13, -3}}},
        {"blanks dropped inside", "2 1, name with blanks ,3 0 0", {{21, 300}}},
        {"no digits addresses 0", ",name,5", {{0, 5}}},
        {"outside 0..109 skipped", "110,n,1,-1,n,2,109,n,3", {{109, 3}}},
        {"a missing comma shifts the cycle", "30 n,4\n31,n,5\n", {{30, 31}, {0, 0}}},
        {"field kept to 63 bytes", "28,n," + std::string(62, '0') + "12", {{28, 1}}},
    };
    for (const Case& c : cases) {
        ParamTable parsed;
        for (int32_t n = 0; n < ParamTable::kCount; ++n) parsed.SetParamValue(n, 7);
        ParamFile::Parse(c.content, parsed);
        std::vector<int32_t> expected(ParamTable::kCount, 7);
        for (const auto& [number, value] : c.expected) expected[number] = value;
        for (int32_t n = 0; n < ParamTable::kCount; ++n) {
            EXPECT_EQ(parsed.GetParamValue(n), expected[n]) << c.what << ", " << n;
        }
    }
}

// 1 MiB is read whole, a byte more is too large. Nothing but a regular file is
// opened: opening a FIFO may wait for a writer, opening a serial device raises
// its modem lines.
TEST_F(ParamFileTest, FilesUpTo1MiBAreReadAndOthersLeaveTheTableUnchanged) {
    std::string content = "20,x,77";
    content += std::string(ParamFile::kMaxFileBytes - content.size() - 7, ' ') + ",21,x,8";
    // An empty file is read all the same.
    for (const std::string& text : {std::string(), content}) {
        WriteBytes(file, text);
        ASSERT_TRUE(ParamFile::Read(file, table, refresh));
        EXPECT_TRUE(refresh.Take());
    }
    EXPECT_EQ(table.GetParamValue(21), 8);
    fs::path tooLarge = dir / "large.par";
    WriteBytes(tooLarge, content + " ");
    fs::path fifo = dir / "fifo.par";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    OpenWatch watch({dir.string()});
    for (const fs::path& path : {dir / "absent.par", dir, tooLarge, fifo, fs::path("/dev/null")}) {
        table.SetParamValue(20, 5);
        EXPECT_FALSE(ParamFile::Read(path, table, refresh)) << path;
        EXPECT_EQ(table.GetParamValue(20), 5) << path;
        EXPECT_FALSE(refresh.IsRaised()) << path;
    }
    EXPECT_EQ(watch.OpenedFiles(), std::vector<std::string>{"large.par"});
}

// A save killed at any moment leaves the old or the new text, and no more than
// one leftover file, which the next save takes away.
TEST_F(ParamFileTest, SavesKilledAtRandomMomentsLeaveNoStrayFiles) {
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
        ASSERT_LE(FilesIn(dir), 2) << "after kill " << kill;
    }
    ASSERT_TRUE(ParamFile::Write(file, table));
    EXPECT_EQ(FilesIn(dir), 1);
}

}  // namespace

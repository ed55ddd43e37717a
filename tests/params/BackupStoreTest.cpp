#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "params/BackupStore.h"
#include "params/ParamFile.h"

namespace {

namespace fs = std::filesystem;

// 7 December 2026, 14:30:15 local time.
std::time_t At(int second, int minute = 30) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 7;
    local.tm_hour = 14;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

class BackupStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("veld-backups-" + std::to_string(::getpid()));
        fs::remove_all(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> Names(const BackupStore& store) const {
        std::vector<std::string> names;
        for (const BackupStore::Entry& entry : store.List()) {
            names.push_back(fs::path(entry.path).filename().string());
        }
        return names;
    }

    fs::path dir;
};

TEST_F(BackupStoreTest, SavesDatedFilesThatOpenAsParameterFiles) {
    BackupStore store((dir / "made" / "here").string(), BackupStore::kMaxBackups);
    ParamSet drive;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) drive.Set(n, n * 3 - 100);
    std::string path = store.Save(drive, 3, At(15));
    EXPECT_EQ(fs::path(path).filename(), "20261207-143015-id3.par");
    // Every number the drive reported, read back by the file reader.
    ParamSet read;
    ASSERT_TRUE(ParamFile::Read(path, read));
    EXPECT_EQ(read, drive);

    // The same second again, another station, a negative one.
    store.Save(drive, 3, At(15));
    store.Save(drive, 3, At(15));
    store.Save(drive, -2, At(16));
    store.Save(drive, 12, At(14));
    EXPECT_EQ(Names(store),
              (std::vector<std::string>{"20261207-143016-id-2.par", "20261207-143015-id3-3.par",
                                        "20261207-143015-id3-2.par", "20261207-143015-id3.par",
                                        "20261207-143014-id12.par"}));
    std::vector<BackupStore::Entry> entries = store.List();
    EXPECT_EQ(entries[0].station, -2);
    EXPECT_EQ(entries[0].When(), "2026-12-07 14:30:16");
    EXPECT_EQ(entries[1].station, 3);
}

TEST_F(BackupStoreTest, KeepsTheNewestUpToItsBoundAndLeavesOtherFilesAlone) {
    fs::create_directories(dir);
    for (const char* other : {"notes.txt", "20261207-143015-idX.par", "20261207-1430-id0.par",
                              "20261207-143015-id0-1.par", "drive.par"}) {
        std::ofstream(dir / other) << "x";
    }
    fs::create_directories(dir / "20261207-143059-id0.par");  // a folder, not a backup
    BackupStore store(dir.string(), 3);
    for (int second = 0; second < 5; ++second)
        ASSERT_FALSE(store.Save(ParamSet(), 0, At(second)).empty());
    EXPECT_EQ(Names(store),
              (std::vector<std::string>{"20261207-143004-id0.par", "20261207-143003-id0.par",
                                        "20261207-143002-id0.par"}));
    for (const char* other :
         {"notes.txt", "20261207-143015-idX.par", "20261207-1430-id0.par",
          "20261207-143015-id0-1.par", "drive.par", "20261207-143059-id0.par"}) {
        EXPECT_TRUE(fs::exists(dir / other)) << other;
    }
    // An operator's folder keeps everything.
    BackupStore unbounded(dir.string(), BackupStore::kUnbounded);
    for (int second = 10; second < 15; ++second) unbounded.Save(ParamSet(), 0, At(second));
    EXPECT_EQ(unbounded.List().size(), 8u);
}

TEST_F(BackupStoreTest, AFolderThatCannotBeMadeSavesNothing) {
    fs::create_directories(dir);
    std::ofstream(dir / "file") << "x";
    BackupStore store((dir / "file" / "backups").string(), BackupStore::kMaxBackups);
    EXPECT_EQ(store.Save(ParamSet(), 0, At(0)), "");
    EXPECT_TRUE(store.List().empty());
}

TEST_F(BackupStoreTest, DefaultFolderFollowsXdgDataHome) {
    const char* savedData = std::getenv("XDG_DATA_HOME");
    std::string data = savedData ? savedData : "";
    const char* savedHome = std::getenv("HOME");
    std::string home = savedHome ? savedHome : "";
    ::setenv("HOME", "/home/operator", 1);
    struct FolderCase {
        const char* xdgDataHome;  // null: unset
        const char* folder;
    };
    const FolderCase cases[] = {
        {"/data/share", "/data/share/VELD_Host_Para/backups"},
        {nullptr, "/home/operator/.local/share/VELD_Host_Para/backups"},
        {"", "/home/operator/.local/share/VELD_Host_Para/backups"},
        // Relative paths are invalid there and ignored.
        {"share", "/home/operator/.local/share/VELD_Host_Para/backups"},
    };
    for (const FolderCase& c : cases) {
        if (c.xdgDataHome) {
            ::setenv("XDG_DATA_HOME", c.xdgDataHome, 1);
        } else {
            ::unsetenv("XDG_DATA_HOME");
        }
        EXPECT_EQ(BackupStore::DefaultFolder(), c.folder)
            << (c.xdgDataHome ? c.xdgDataHome : "unset");
    }
    if (savedData) {
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    ::setenv("HOME", home.c_str(), 1);
}

}  // namespace

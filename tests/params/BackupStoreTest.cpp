#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "params/BackupStore.h"
#include "params/ParamFile.h"
#include "support/ScopedEnv.h"

namespace {

namespace fs = std::filesystem;

// 7 December 2026, 14:30:00 UTC, plus `seconds`; the fixture runs in UTC.
std::time_t At(int seconds) { return 1796653800 + seconds; }

class BackupStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::remove_all(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::vector<std::string> Names(const BackupStore& store) const {
        std::vector<std::string> names;
        for (const BackupStore::Entry& entry : store.List()) {
            names.push_back(fs::path(entry.path).filename().string());
        }
        return names;
    }

    fs::path dir = fs::temp_directory_path() / ("veld-backups-" + std::to_string(::getpid()));
    ScopedEnv zone{"TZ", "UTC0"};
};

TEST_F(BackupStoreTest, SavesDatedFilesThatOpenAsParameterFiles) {
    BackupStore store((dir / "made" / "here").string());
    ParamSet drive;
    for (int32_t n = 0; n < ParamTable::kCount; ++n) drive.Set(n, n * 3 - 100);
    std::string path = store.Save(drive, 3, "/dev/ttyUSB0", At(15));
    EXPECT_EQ(fs::path(path).filename(), "20261207-143015-id3.par");
    // Every number the drive reported, read back by the file reader.
    ParamSet read;
    ASSERT_TRUE(ParamFile::Read(path, read));
    EXPECT_EQ(read, drive);

    // The same second again, another station, a negative one; the port beside
    // each, none for a port not known (a file left by a deleted backup of the
    // same name is no record of this one's).
    std::ofstream(dir / "made" / "here" / "20261207-143016-id-2.port") << "COM9\n";
    store.Save(drive, 3, "tcp://[::1]:4001", At(15));
    store.Save(drive, -2, "", At(16));
    store.Save(drive, 12, "COM15", At(14));
    EXPECT_EQ(Names(store),
              (std::vector<std::string>{"20261207-143016-id-2.par", "20261207-143015-id3-2.par",
                                        "20261207-143015-id3.par", "20261207-143014-id12.par"}));
    std::vector<std::string> ports;
    for (const BackupStore::Entry& entry : store.List()) ports.push_back(entry.port);
    EXPECT_EQ(ports, (std::vector<std::string>{"", "tcp://[::1]:4001", "/dev/ttyUSB0", "COM15"}));
    EXPECT_EQ(store.List()[0].station, -2);
}

TEST_F(BackupStoreTest, ListsOnlyBackupsAndLeavesOtherFilesAlone) {
    fs::create_directories(dir);
    const std::vector<std::string> others = {"20261207-143015-idX.par", "20261207-1430-id0.par",
                                             "drive.par"};
    for (const std::string& other : others) std::ofstream(dir / other) << "x";
    fs::create_directories(dir / "20261207-160000-id0.par");  // a folder, not a backup
    BackupStore store(dir.string());
    ASSERT_FALSE(store.Save(ParamSet(), 0, "COM1", At(0)).empty());
    EXPECT_EQ(Names(store), (std::vector<std::string>{"20261207-143000-id0.par"}));
    for (const std::string& other : others) EXPECT_TRUE(fs::exists(dir / other)) << other;
    EXPECT_TRUE(fs::is_directory(dir / "20261207-160000-id0.par"));
    // A folder that cannot be made saves nothing.
    BackupStore blocked((dir / "drive.par" / "backups").string());
    EXPECT_EQ(blocked.Save(ParamSet(), 0, "", At(0)), "");
}

TEST_F(BackupStoreTest, DefaultFolderFollowsXdgDataHome) {
    ScopedEnv home("HOME", "/home/operator");
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    const std::string fallback = "/home/operator/.local/share/VELD_Host_Para/backups";
    // Unset, empty and relative values (invalid there) are ignored.
    const std::pair<const char*, std::string> cases[] = {
        {"/data/share", "/data/share/VELD_Host_Para/backups"},
        {nullptr, fallback},
        {"share", fallback},
    };
    for (const auto& [xdgDataHome, folder] : cases) {
        data.Set(xdgDataHome);
        EXPECT_EQ(BackupStore::DefaultFolder(), folder) << (xdgDataHome ? xdgDataHome : "unset");
    }
}

}  // namespace

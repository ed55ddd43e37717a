#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortMap.h"

namespace {

class PortMapTest : public ::testing::Test {
  protected:
    void SetUp() override { PortMap::Clear(); }
    void TearDown() override { PortMap::Clear(); }
};

TEST_F(PortMapTest, ComNamesGoToTheirMappingOrTheMatchingTtyS) {
    EXPECT_EQ(PortMap::Resolve("COM1"), "/dev/ttyS0");
    EXPECT_EQ(PortMap::Resolve("\\\\.\\COM15"), "/dev/ttyS14");
    ASSERT_TRUE(PortMap::AddMapping("COM15=/dev/pts/3"));
    EXPECT_EQ(PortMap::Resolve("\\\\.\\COM15"), "/dev/pts/3");
    ASSERT_TRUE(PortMap::AddMapping("com15=/dev/pts/4"));
    EXPECT_EQ(PortMap::Resolve("COM15"), "/dev/pts/4");
    EXPECT_EQ(PortMap::Resolve(""), "");
    EXPECT_EQ(PortMap::Resolve("LPT1"), "");
}

TEST_F(PortMapTest, MalformedMappingsAreRefused) {
    for (const char* text :
         {"", "COM15", "COM15=", "=/dev/x", "LPT1=/dev/x", "COM0=/dev/x", "COMa=/x"}) {
        EXPECT_FALSE(PortMap::AddMapping(text)) << text;
    }
}

TEST_F(PortMapTest, PathsMatchWithoutRegardToCaseExactMatchFirst) {
    auto root = std::filesystem::temp_directory_path() / ("veld-map-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "SubDir");
    std::ofstream(root / "SubDir" / "ttyUSB0").put('x');
    std::ofstream(root / "SubDir" / "tty").put('x');
    std::ofstream(root / "SubDir" / "TTY").put('x');
    std::string upper = root.string();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(PortMap::Resolve(upper + "/SUBDIR/TTYUSB0"), (root / "SubDir" / "ttyUSB0").string());
    EXPECT_EQ(PortMap::Resolve(upper + "/SUBDIR/TTY"), (root / "SubDir" / "TTY").string());
    EXPECT_EQ(PortMap::Resolve(root.string() + "/SubDir/tty"), (root / "SubDir" / "tty").string());
    EXPECT_EQ(PortMap::Resolve(upper + "/NONE"), root.string() + "/NONE");
    std::filesystem::remove_all(root);
}

}  // namespace

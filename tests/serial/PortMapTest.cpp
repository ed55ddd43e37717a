#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortMap.h"

namespace {

namespace fs = std::filesystem;

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
    // Network ports stand as named, mapped or typed; the port text upper-cases them.
    ASSERT_TRUE(PortMap::AddMappingList("COM5=rfc2217://host:4001;COM6=tcp://[::1]:4002"));
    EXPECT_EQ(PortMap::Resolve("\\\\.\\COM5"), "rfc2217://host:4001");
    EXPECT_EQ(PortMap::Resolve("COM6"), "tcp://[::1]:4002");
    EXPECT_EQ(PortMap::Resolve("\\\\.\\TCP://HOST:4001"), "TCP://HOST:4001");
}

TEST_F(PortMapTest, MalformedMappingsAreRefused) {
    for (const char* text :
         {"", "COM15", "COM15=", "=/dev/x", "LPT1=/dev/x", "COM0=/dev/x", "COMa=/x"}) {
        EXPECT_FALSE(PortMap::AddMapping(text)) << text;
    }
}

// Each component is matched without regard to case, an exact match first; a
// relative path, typed or mapped, is taken from the current folder.
TEST_F(PortMapTest, PathsMatchWithoutRegardToCaseAndRelativeOnesFromTheCurrentFolder) {
    fs::path root = fs::temp_directory_path() / ("veld-map-" + std::to_string(::getpid()));
    fs::create_directories(root / "SubDir");
    std::ofstream(root / "SubDir" / "ttyUSB0").put('x');
    std::ofstream(root / "SubDir" / "tty").put('x');
    std::ofstream(root / "SubDir" / "TTY").put('x');
    std::string upper = root.string();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(PortMap::Resolve(upper + "/SUBDIR/TTYUSB0"), (root / "SubDir" / "ttyUSB0").string());
    EXPECT_EQ(PortMap::Resolve(upper + "/SUBDIR/TTY"), (root / "SubDir" / "TTY").string());
    EXPECT_EQ(PortMap::Resolve(root.string() + "/SubDir/tty"), (root / "SubDir" / "tty").string());
    EXPECT_EQ(PortMap::Resolve(upper + "/NONE"), root.string() + "/NONE");

    fs::path before = fs::current_path();
    fs::current_path(root);
    ASSERT_TRUE(PortMap::AddMapping("COM5=subdir/ttyusb0"));
    EXPECT_EQ(PortMap::Resolve("\\\\.\\SUBDIR/TTYUSB0"), (root / "SubDir" / "ttyUSB0").string());
    EXPECT_EQ(PortMap::Resolve("\\\\.\\COM5"), (root / "SubDir" / "ttyUSB0").string());
    EXPECT_EQ(PortMap::Resolve("LPT1"), (root / "LPT1").string());
    fs::current_path(before);
    fs::remove_all(root);
}

}  // namespace

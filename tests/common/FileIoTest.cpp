#include "common/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/MessageSink.h"

namespace fs = std::filesystem;
using namespace tessary;

namespace {
fs::path TempDir() {
    fs::path dir = fs::temp_directory_path() / ("tessary_fileio_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}
}  // namespace

TEST(FileIo, WriteReplacesWholeFileAndLeavesNoTemporary) {
    const fs::path dir = TempDir();
    const std::string path = (dir / "out.txt").string();
    std::string error;
    ASSERT_TRUE(WriteWholeFile(path, "a much longer first content", error)) << error;
    ASSERT_TRUE(WriteWholeFile(path, std::string("x\0y", 3), error)) << error;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes, error)) << error;
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'x', 0, 'y'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(FileIo, FailuresSayWhatAndKeepTheOldFile) {
    const fs::path dir = TempDir();
    std::string error;
    EXPECT_FALSE(WriteWholeFile((dir / "missing" / "out.txt").string(), "x", error));
    EXPECT_NE(error.find("missing/out.txt"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(WriteWholeFile(dir.string(), "x", error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;

    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile((dir / "nothing.tsy").string(), bytes, error));
    EXPECT_NE(error.find("nothing.tsy"), std::string::npos) << error;
}

namespace {
std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(FileIo, WritingThroughALinkReplacesTheFileItPointsTo) {
    const fs::path dir = TempDir();
    fs::create_directories(dir / "real");
    {
        std::ofstream(dir / "real" / "doc.tsy") << "old";
    }
    fs::create_symlink("real/doc.tsy", dir / "relative.tsy");
    fs::create_symlink(dir / "relative.tsy", dir / "chain.tsy");  // a link to a link
    std::string error;
    ASSERT_TRUE(WriteWholeFile((dir / "chain.tsy").string(), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "chain.tsy"));
    EXPECT_TRUE(fs::is_symlink(dir / "relative.tsy"));
    EXPECT_EQ(Contents(dir / "real" / "doc.tsy"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 1);

    // A link to a file not yet there creates that file.
    fs::create_symlink("real/fresh.tsy", dir / "dangling.tsy");
    ASSERT_TRUE(WriteWholeFile((dir / "dangling.tsy").string(), "made", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.tsy"));
    EXPECT_EQ(Contents(dir / "real" / "fresh.tsy"), "made");

    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    EXPECT_FALSE(WriteWholeFile((dir / "loop1").string(), "x", error));
    EXPECT_NE(error.find("loop1"), std::string::npos) << error;
}

TEST(FileIo, AReadOnlyFileIsRefusedAndAReplacedFileKeepsItsMode) {
    const fs::path dir = TempDir();
    const fs::path locked = dir / "locked.tsy";
    {
        std::ofstream(locked) << "keep";
    }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    std::string error;
    EXPECT_FALSE(WriteWholeFile(locked.string(), "lost", error));
    EXPECT_NE(error.find("locked.tsy"), std::string::npos) << error;
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(Contents(locked), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    const fs::path own = dir / "own.tsy";
    {
        std::ofstream(own) << "mine";
    }
    fs::permissions(own, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteWholeFile(own.string(), "still mine", error)) << error;
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileIo, WritesToCharacterDevicesInPlace) {
    std::string error;
    EXPECT_TRUE(WriteWholeFile("/dev/null", "text", error)) << error;
}

TEST(MessageSink, OneLineJoinsBoxLines) {
    EXPECT_EQ(OneLine("Rx frequency not activated.\nThe active frequency A or B\n must match"),
              "Rx frequency not activated. The active frequency A or B must match");
    EXPECT_EQ(OneLine("\n\t3 - 4  MHz\n"), "3 - 4 MHz");
}

#include "common/SerialTiming.h"

TEST(SerialTiming, RatesAndBytesFromTheClock) {
    auto t = SerialTimingFromClock(14.7456);
    EXPECT_EQ(t.rate, 57600);
    EXPECT_EQ(t.reload, 252);
    EXPECT_EQ(t.clockByte, 19);
    t = SerialTimingFromClock(3.0);
    EXPECT_EQ(t.rate, 9600);
    EXPECT_EQ(t.reload, 251);
    t = SerialTimingFromClock(12.0);
    EXPECT_EQ(t.rate, 38400);
    EXPECT_EQ(t.reload, 251);
    EXPECT_GT(SerialTimingFromClock(0.0001).rate, 0);  // ends even when nothing fits
}

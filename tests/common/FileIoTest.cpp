#include "common/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

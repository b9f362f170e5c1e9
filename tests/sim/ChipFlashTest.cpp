// The chip's flash and lock bits, their file, and the board's doors onto the chip.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/FileIo.h"
#include "sim/Boards.h"
#include "sim/chip/FlashFile.h"
#include "sim/chip/KX6500Chip.h"
#include "sim/chip/Sfr.h"

namespace fs = std::filesystem;
using sim::KX6500Chip;

namespace {

std::array<std::uint8_t, KX6500Chip::kPageSize> Filled(std::uint8_t value) {
    std::array<std::uint8_t, KX6500Chip::kPageSize> page;
    page.fill(value);
    return page;
}

fs::path TempDir(const char* name) {
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(ChipFlash, ProgrammingOnlyClearsBitsAndErasingSetsThemAgain) {
    KX6500Chip chip;
    int changes = 0;
    chip.OnFlashChanged([&] { ++changes; });
    EXPECT_EQ(chip.Flash()[0x1234], 0xFF);
    EXPECT_TRUE(chip.ProgramPage(3, Filled(0xF0)));
    EXPECT_TRUE(chip.ProgramPage(3, Filled(0x3C)));
    EXPECT_EQ(chip.Flash()[3 * 128], 0x30);  // not erased in between: old AND new
    EXPECT_EQ(chip.Flash()[3 * 128 + 127], 0x30);
    EXPECT_EQ(chip.Flash()[4 * 128], 0xFF);
    EXPECT_TRUE(chip.ProgramPage(4, Filled(0x00)));
    EXPECT_TRUE(chip.ErasePage(3));
    EXPECT_EQ(chip.Flash()[3 * 128 + 5], 0xFF);
    EXPECT_EQ(chip.Flash()[4 * 128 + 5], 0x00);  // a page erase is 128 bytes
    chip.EraseChip();
    EXPECT_EQ(chip.Flash()[4 * 128 + 5], 0xFF);
    EXPECT_EQ(changes, 5);
    EXPECT_FALSE(chip.ProgramPage(256, Filled(0)));
    EXPECT_FALSE(chip.ErasePage(-1));
}

TEST(ChipFlash, LockBitsProtectTheUpperAreaUntilAChipErase) {
    KX6500Chip chip;
    chip.ProgramLockWire(static_cast<std::uint8_t>(~0x02 & 0x1F));  // index 1: the upper 512 bytes
    EXPECT_EQ(chip.LockBits(), 0x02);
    EXPECT_FALSE(chip.ProgramPage(252, Filled(0)));
    EXPECT_FALSE(chip.ErasePage(255));
    EXPECT_TRUE(chip.ProgramPage(251, Filled(0)));
    EXPECT_EQ(chip.Flash()[252 * 128], 0xFF);
    chip.ProgramLockWire(0x1F);  // programming cannot remove a lock
    EXPECT_EQ(chip.LockBits(), 0x02);
    chip.ProgramLockWire(static_cast<std::uint8_t>(~0x0E & 0x1F));  // index 7: everything
    EXPECT_FALSE(chip.ProgramPage(0, Filled(0)));
    chip.EraseChip();
    EXPECT_EQ(chip.LockBits(), 0);
    EXPECT_TRUE(chip.ProgramPage(255, Filled(0)));
}

TEST(FlashFile, KeepsTheImageAndTheLockBitsAsTheBoardAlwaysHas) {
    const fs::path dir = TempDir("tessary_flashfile");
    const std::string path = (dir / "flash.bin").string();
    {
        KX6500Chip chip;
        sim::FlashFile file(path);
        ASSERT_TRUE(file.Load(chip)) << file.Error();
        EXPECT_EQ(fs::file_size(path), 0x8000u) << "a missing file is created erased";
        file.Follow(chip);
        chip.ProgramPage(1, Filled(0x5A));
        chip.ProgramLockWire(0x1C);
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(tessary::ReadWholeFile(path, bytes, error));
    EXPECT_EQ(bytes[128], 0x5A);
    EXPECT_EQ(bytes[0], 0xFF);
    ASSERT_TRUE(tessary::ReadWholeFile(path + ".lock", bytes, error));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x1C}));
    KX6500Chip again;
    sim::FlashFile file(path);
    ASSERT_TRUE(file.Load(again));
    EXPECT_EQ(again.Flash()[200], 0x5A);
    EXPECT_EQ(again.LockBits(), 0x03);
    // A file shorter than the flash leaves the chip erased.
    std::ofstream(path, std::ios::trunc) << "short";
    KX6500Chip third;
    ASSERT_TRUE(sim::FlashFile(path).Load(third));
    EXPECT_EQ(third.Flash()[200], 0xFF);
    EXPECT_FALSE(sim::FlashFile((dir / "missing" / "flash.bin").string()).Load(third));
    fs::remove_all(dir);
}

TEST(KX6500BoardOnTheChip, TheBoardBusReachesTheChipsRegistersAndTheRadiosLock) {
    sim::KX6500Board board;
    KX6500Chip& chip = board.Chip();
    // A program on the chip sees what the board wrote, and the board what the program wrote.
    board.OnLines(0xC1, 0);  // out of reset
    auto send = [&](unsigned byte, bool first) {
        for (int bit = 7; bit >= 0; --bit) {
            const auto data = static_cast<std::uint8_t>(0xC1 | (first && bit == 7 ? 0x02 : 0) | ((byte >> bit) & 1 ? 0x04 : 0));
            board.OnLines(data, 2);
            board.OnLines(data, 3);
        }
    };
    send(0x80 | (sim::sfr::B & 0x7F), true);
    send(0x5A, false);
    board.OnLines(0xC1, 0);
    EXPECT_EQ(chip.ReadSfr(sim::sfr::B), 0x5A);
    chip.WriteSfr(sim::sfr::RFMAIN, 0x00);
    EXPECT_EQ(board.Register(sim::sfr::RFMAIN), 0);
    // Lock: a word in range, calibrated.
    chip.WriteSfr(sim::sfr::FREQ0A, 0x00);
    chip.WriteSfr(sim::sfr::FREQ1A, 0x00);
    chip.WriteSfr(sim::sfr::FREQ2A, 0x50);
    EXPECT_FALSE(board.Locked());
    chip.WriteSfr(sim::sfr::CAL, 0x80);
    EXPECT_TRUE(board.Locked());
    EXPECT_EQ(board.Register(sim::sfr::LOCK).value() & 1, 1);
    chip.WriteSfr(sim::sfr::FREQ1A, 0x01);  // a new frequency needs a new calibration
    EXPECT_EQ(chip.ReadSfr(sim::sfr::LOCK) & 1, 0);
    // The hardware reset resets the chip.
    board.OnLines(0x01, 0);
    board.OnLines(0xC1, 0);
    EXPECT_EQ(chip.ReadSfr(sim::sfr::B), 0);
    EXPECT_EQ(chip.ReadSfr(sim::sfr::SP), 0x07);
    EXPECT_EQ(board.Resets(), 1);
}

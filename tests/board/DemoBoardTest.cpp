// The demonstration-board programmer's board operations on the virtual ATtiny12: what
// the part decoded from the line levels, what it holds afterwards, and the lines the
// programmer leaves behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "DemoRig.h"
#include "common/FileIo.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAreArray;

namespace {

std::vector<std::uint32_t> Words(std::initializer_list<std::uint32_t> w) { return w; }

std::uint32_t Instr(int b0, int b1, int b2, int b3) {
    return static_cast<std::uint32_t>(b0 << 24 | b1 << 16 | b2 << 8 | b3);
}

DemoFlash SomeFlash() {
    DemoFlash flash;
    for (int w = 0; w < kDemoFlashWords; ++w) flash[static_cast<std::size_t>(w)] = (w * 0x9E37 + 0x1234) & 0xFFFF;
    return flash;
}

// Loads a flash buffer through a generic hex file of every word.
void LoadFlash(DemoBoardProgrammer& programmer, const DemoFlash& flash, const std::string& path) {
    std::string text;
    char line[32];
    for (int w = 0; w < kDemoFlashWords; ++w) {
        std::snprintf(line, sizeof line, "%06x:%04x\r\n", static_cast<unsigned>(w),
                      static_cast<unsigned>(flash[static_cast<std::size_t>(w)]));
        text += line;
    }
    std::string error;
    ASSERT_TRUE(WriteWholeFile(path, text, error)) << error;
    ASSERT_EQ(programmer.LoadFlash(path), DemoOutcome::Done);
}

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("demo_board_" + std::to_string(getpid()) + "_" + name)).string();
}

}  // namespace

TEST(DemoBoardProgrammer, ProgramEepromWritesTheDefaultImageAndLeavesTheRestOfThePart) {
    for (int device : {4, 9}) {
        DemoRig rig(std::make_unique<sim::Tiny12>(), device);
        rig.tiny->SetEeprom(50, 0x12);
        rig.programmer->SelectSource(DemoBoardProgrammer::Source::Default);
        ASSERT_EQ(rig.programmer->ProgramEeprom(), DemoOutcome::Done);
        const DemoEeprom& image = *DefaultEepromImage(device);
        std::vector<std::uint32_t> expected{Instr(0xAC, 0x53, 0, 0)};
        for (int a = 0; a < kDemoEepromBytes; ++a) {
            expected.push_back(Instr(0xC0, 0, a, image[static_cast<std::size_t>(a)]));
            EXPECT_EQ(rig.tiny->Eeprom()[static_cast<std::size_t>(a)], image[static_cast<std::size_t>(a)]) << a;
        }
        EXPECT_THAT(rig.tiny->Instructions(), ElementsAreArray(expected));
        EXPECT_EQ(rig.tiny->Eeprom()[50], 0x12);
        EXPECT_EQ(rig.tiny->Eeprom()[44], 0xFF);
        EXPECT_EQ(rig.io.DataWrites().front().value, 0x05);
        EXPECT_EQ(rig.io.DataWrites().back().value, 0x01);  // the frame bus's idle level
        EXPECT_FALSE(rig.tiny->Programming());
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

TEST(DemoBoardProgrammer, ReadEepromFillsTheBufferOnlyWhenTheWholeEepromIsRead) {
    DemoRig rig;
    for (int a = 0; a < 64; ++a) rig.tiny->SetEeprom(a, static_cast<std::uint8_t>(a * 7 + 3));
    rig.programmer->SelectSource(DemoBoardProgrammer::Source::Board);
    EXPECT_FALSE(rig.programmer->Enabled().programEeprom);
    ASSERT_EQ(rig.programmer->ReadEeprom(), DemoOutcome::Done);
    for (int a = 0; a < kDemoEepromBytes; ++a)
        EXPECT_EQ(rig.programmer->Eeprom()[static_cast<std::size_t>(a)], (a * 7 + 3) & 0xFF);
    EXPECT_EQ(rig.programmer->EepromStatus(), kBoardReadToBuffer);
    EXPECT_TRUE(rig.programmer->Enabled().programEeprom);
    EXPECT_TRUE(rig.programmer->Enabled().save);
    EXPECT_EQ(rig.tiny->Instructions().size(), 45u);
    EXPECT_EQ(rig.tiny->Instructions()[44], Instr(0xA0, 0, 43, 0));
    EXPECT_EQ(rig.io.DataWrites().back().value, 0x01);
}

TEST(DemoBoardProgrammer, ProgramFlashIdentifiesThePartBeforeTheOneEraseAndWritesEveryByteOnce) {
    auto part = std::make_unique<sim::Tiny12>(0x1E, 0x6B);
    DemoRig rig(std::move(part));
    rig.tiny->SetFlash(3, 0x0000);  // the erase has to bring it back
    DemoFlash flash = SomeFlash();
    flash[0x1FF] = 0x1234;  // the file's word there gives way to the calibration byte
    const std::string path = TempPath("flash.hex");
    LoadFlash(*rig.programmer, flash, path);
    ASSERT_EQ(rig.programmer->ProgramFlash(), DemoOutcome::Done);

    const auto& done = rig.tiny->Instructions();
    ASSERT_EQ(done.size(), 4u + 1024u);
    EXPECT_THAT(std::vector<std::uint32_t>(done.begin(), done.begin() + 4),
                ElementsAreArray(Words({Instr(0xAC, 0x53, 0, 0), Instr(0x30, 0, 0, 0), Instr(0x38, 0, 0, 0),
                                        Instr(0xAC, 0x80, 0, 0)})));
    for (int w = 0; w < kDemoFlashWords; ++w) {
        const int value = w == 0x1FF ? 0x006B : flash[static_cast<std::size_t>(w)];
        EXPECT_EQ(done[4 + 2 * static_cast<std::size_t>(w)], Instr(0x40, w >> 8, w & 0xFF, value & 0xFF)) << w;
        EXPECT_EQ(done[5 + 2 * static_cast<std::size_t>(w)], Instr(0x48, w >> 8, w & 0xFF, value >> 8)) << w;
        EXPECT_EQ(rig.tiny->Flash()[static_cast<std::size_t>(w)], value) << w;
    }
    EXPECT_EQ(rig.programmer->Flash()[0x1FF], 0x1234);  // the buffer keeps the file's word
    EXPECT_EQ(rig.io.DataWrites().back().value, 0xBF);
    EXPECT_FALSE(rig.tiny->Programming());
    std::filesystem::remove(path);
}

TEST(DemoBoardProgrammer, AForeignPartIsToldAndLeftUntouched) {
    DemoRig rig(std::make_unique<sim::Tiny12>(0x1F, 0x5A));
    rig.tiny->SetFlash(0, 0x4321);
    rig.tiny->SetEeprom(0, 0x42);
    const std::string path = TempPath("foreign.hex");
    LoadFlash(*rig.programmer, SomeFlash(), path);
    EXPECT_EQ(rig.programmer->ProgramFlash(), DemoOutcome::ForeignPart);
    EXPECT_THAT(rig.messages.ShownTexts(), ElementsAreArray({std::string(kNotTiny12Message)}));
    EXPECT_EQ(rig.tiny->Flash()[0], 0x4321);
    EXPECT_EQ(rig.tiny->Eeprom()[0], 0x42);
    EXPECT_EQ(rig.tiny->Instructions().size(), 3u);  // enable and the two reads
    EXPECT_FALSE(rig.tiny->Programming());
    std::filesystem::remove(path);
}

TEST(DemoBoardProgrammer, WithoutTheDemonstrationBoardNothingIsSent) {
    DemoRig rig(nullptr);
    rig.programmer->SelectSource(DemoBoardProgrammer::Source::Default);
    EXPECT_EQ(rig.programmer->ReadEeprom(), DemoOutcome::NoBoard);
    ASSERT_EQ(rig.io.writes.size(), 1u);  // control := 3, then the status read
    EXPECT_EQ(rig.io.writes[0].address, 0x37A);
    EXPECT_EQ(rig.programmer->ProgramEeprom(), DemoOutcome::NoBoard);
    EXPECT_EQ(rig.io.DataWrites().size(), 1u);  // "program EEPROM" writes 0x05 before it looks
    EXPECT_EQ(rig.messages.ShownTexts(),
              (std::vector<std::string>{kNoDemoBoardMessage, kNoDemoBoardMessage}));
    EXPECT_EQ(rig.programmer->Eeprom(), *DefaultEepromImage(4));
}

TEST(DemoBoardProgrammer, OtherDevicesAreRefusedBeforeThePortIsTouched) {
    DemoRig rig(std::make_unique<sim::Tiny12>(), -1);
    const std::string path = TempPath("other.hex");
    LoadFlash(*rig.programmer, SomeFlash(), path);
    EXPECT_EQ(rig.programmer->ReadEeprom(), DemoOutcome::OtherDevice);
    EXPECT_EQ(rig.programmer->ProgramFlash(), DemoOutcome::OtherDevice);
    EXPECT_TRUE(rig.io.writes.empty());
    EXPECT_EQ(rig.io.reads, 0);
    EXPECT_EQ(rig.messages.shown.size(), 2u);
    std::filesystem::remove(path);
}

TEST(DemoBoardProgrammer, TheWireKeepsThePartsTimes) {
    DemoRig rig;
    rig.programmer->SelectSource(DemoBoardProgrammer::Source::Default);
    ASSERT_EQ(rig.programmer->ProgramEeprom(), DemoOutcome::Done);
    const auto writes = rig.io.DataWrites();
    // The reset pulse: bit 6 low for at least 10 ms with SCK (bit 4 = 1) low, then 20 ms
    // to the first rising SCK edge; every SCK phase long enough.
    std::uint64_t pulseStart = 0, entry = 0, lastEdge = 0;
    bool sckHigh = false;
    int rises = 0;
    for (std::size_t i = 1; i < writes.size(); ++i) {
        const auto before = writes[i - 1].value, now = writes[i].value;
        const auto t = writes[i].time;
        if ((before & 0x40) && !(now & 0x40) && !entry) pulseStart = t;
        if (!(before & 0x40) && (now & 0x40) && pulseStart && !entry) {
            EXPECT_GE(t - pulseStart, 10000u);
            EXPECT_TRUE(writes[i - 1].value & 0x10);
            entry = t;
        }
        if (!entry) continue;
        if (!(now & 0x40)) break;  // programming ends
        const bool high = !(now & 0x10);
        if (high == sckHigh) continue;
        if (high && rises++ == 0) {
            EXPECT_GE(t - entry, 20000u);
        }
        if (lastEdge) {
            EXPECT_GE(t - lastEdge, high ? 300u : 200u) << "write " << i;
        }
        lastEdge = t;
        sckHigh = high;
    }
    EXPECT_EQ(rises, 45 * 32);
}

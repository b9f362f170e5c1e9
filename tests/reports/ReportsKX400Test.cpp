// The KX400/KX900 settings report and register listing, byte for byte: the
// demonstration-board programmer reads the listing back by position.

#include "studio/reports/ReportsKX400.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileIo.h"
#include "studio/reports/ReportFile.h"

using namespace tessary;
using F = FieldId;
namespace fs = std::filesystem;

namespace {

class KX400Reports : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_reports_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        Select(4);
    }
    void TearDown() override { fs::remove_all(dir); }
    void Select(double deviceNumber) {
        doc.config.kx400.deviceNumber = deviceNumber;
        doc.config.Reset();
        form.OnInitialUpdate();
        messages.shown.clear();
    }
    std::string ReadBack(const fs::path& p) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(ReadWholeFile(p.string(), bytes, error)) << error;
        return std::string(bytes.begin(), bytes.end());
    }
    // A 16-bit word from its four hex digits at a byte offset, as the programmer reads it.
    static int WordAt(const std::string& file, std::size_t offset) {
        return std::stoi(file.substr(offset, 4), nullptr, 16);
    }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigView form{doc, messages};
    fs::path dir;
};

}  // namespace

TEST_F(KX400Reports, SettingsReportOfTheKX400) {
    EXPECT_EQ(SettingsReportKX400(doc.config, form.Components()),
              "Device: KX400\n\n"
              "System parameters:\n"
              "X-tal frequency: 12.000000 MHz\n"
              "X-tal accuracy: +/- 50 ppm\n"
              "RF frequency: 433.920 MHz\n"
              "IF stage: 200 kHz\n"
              "Frequency separation: 10 kHz\n"
              "Data rate: 1.2 kbps\n"
              "Power amplifier class: Class B\n"
              "RF output power: 10 dBm\n"
              "Mode: RX\n"
              "Receiver mode: Optimum sensitivity\n"
              "LOCK indicator: Continuous\n"
              "VCO gain: 000 (Maximum)\n"
              "\nComponent values, PLL loop filter:\n"
              "C121 = 33.00 nF\n"
              "C122 = 1500 pF\n"
              "C123 = 330.0 pF\n"
              "R121 = 5.6 k Ohm\n"
              "R122 =  27 k Ohm\n"
              "R123 =  22 k Ohm\n"
              "\nComponent values, Input/output match:\n"
              "C51 = 220 pF\n"
              "L51 =  33 nH\n"
              "L61 = 8.2 nH\n"
              "C61 =  18 pF\n");
}

TEST_F(KX400Reports, SettingsReportOfTheKX900AndOfOtherNumbers) {
    Select(9);
    std::string text = SettingsReportKX400(doc.config, form.Components());
    EXPECT_EQ(text.rfind("Device: KX900\n\n", 0), 0u);
    EXPECT_NE(text.find("L51 =  12 nH\nL61 = 100.0 nH\n"), std::string::npos);
    EXPECT_EQ(text.find("C61"), std::string::npos);  // listed for device number 4 only
    EXPECT_EQ(text.substr(text.size() - 15), "L61 = 100.0 nH\n");
    Select(-1);
    text = SettingsReportKX400(doc.config, form.Components());
    EXPECT_EQ(text.rfind("Device: KX-100\n\n", 0), 0u);  // the format as it stands
    EXPECT_EQ(text.find("C61"), std::string::npos);
}

TEST_F(KX400Reports, ListingHasFiveBlocksWithTheDeviceBits) {
    const auto listing = RegisterListingKX400(form);
    ASSERT_TRUE(listing);
    const char* headings[] = {"RX mode:", "TX mode:", "PD osc. on mode:", "PD osc. off mode:", "RX Precharge mode:"};
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t next; (next = listing->find('\n', at)) != std::string::npos; at = next + 1)
        lines.push_back(listing->substr(at, next - at));
    EXPECT_EQ(at, listing->size());
    ASSERT_EQ(lines.size(), 5u * 11u);
    for (int block = 0; block < 5; ++block) {
        const std::size_t first = 11u * static_cast<std::size_t>(block);
        EXPECT_EQ(lines[first], headings[block]);
        EXPECT_EQ(lines[first + 1], "Frame\tAddr/Data");
        for (int i = 0; i < 8; ++i) {
            const std::string& line = lines[first + 2 + static_cast<std::size_t>(i)];
            ASSERT_EQ(line.size(), 6u) << line;
            EXPECT_EQ(line[0], 'A' + i);
            EXPECT_EQ(line[1], '\t');
            EXPECT_EQ(std::stoi(line.substr(2), nullptr, 16) >> 13, i);
        }
        EXPECT_EQ(lines[first + 2 + 1].substr(2, 1), "3");  // frame B: 001 address, device bit 12
        EXPECT_EQ(lines[first + 10], "");
    }
    EXPECT_EQ(lines[2], "A\t002A");
    EXPECT_EQ(lines[11 + 2], "A\t082A");  // TX
    EXPECT_EQ(lines[33 + 3], "B\t330B");
    EXPECT_EQ(lines[33 + 4], "C\t4151");  // PD osc. off: frame C bit 4
}

TEST_F(KX400Reports, TheProgrammerFindsTheBoardImageAtItsOffsets) {
    // The KX400DB configuration: 40 kHz, class B at 0 dBm.
    form.controls.text[Index(F::Sep)] = "40";
    form.controls.text[Index(F::Power)] = "0";
    ASSERT_TRUE(form.OnEnter());
    const fs::path path = dir / "r.txt";
    std::string error;
    ASSERT_TRUE(PrintRegistersKX400(form, path.string(), error)) << error;
    const std::string file = ReadBack(path);
    ASSERT_EQ(file.size(), 492u);  // five headings of 77 bytes, five times 83 more
    EXPECT_EQ(file[0], 'R');
    EXPECT_EQ(file[1], 'X');
    EXPECT_EQ(file[3], 'm');
    EXPECT_EQ(file[27], 'A');
    // The image lacks frame B's device bit 12: compare without it.
    const int tx[8] = {0x082A, 0x230B, 0x4041, 0x7F9A, 0x8A29, 0xBA02, 0xCB6C, 0xE040};
    const int precharge[8] = {0x002A, 0x230B, 0x4041, 0x7EE1, 0x8A00, 0xBA02, 0xCB6C, 0xE248};
    for (std::size_t i = 0; i < 8; ++i) {
        const int mask = i == 1 ? ~0x1000 : ~0;
        EXPECT_EQ(WordAt(file, 122 + 8 * i) & mask, tx[i]) << i;
        EXPECT_EQ(WordAt(file, 428 + 8 * i) & mask, precharge[i]) << i;
    }
    EXPECT_EQ(WordAt(file, 85), 0xE040);
    EXPECT_EQ(WordAt(file, 325), 0x182A);
    EXPECT_EQ(WordAt(file, 341), 0x4051);
    EXPECT_EQ(WordAt(file, 122 + 8), 0x330B);
}

TEST_F(KX400Reports, AListingThatCannotBeComputedLeavesTheFileAlone) {
    const fs::path path = dir / "keep.txt";
    std::string error;
    ASSERT_TRUE(WriteWholeFile(path.string(), "earlier listing", error));
    form.controls.selection[Index(F::PaClass)] = 0;  // class A at 10 dBm: 1212
    EXPECT_FALSE(form.OnEnter());
    messages.shown.clear();
    EXPECT_FALSE(PrintRegistersKX400(form, path.string(), error));
    EXPECT_NE(error.find("keep.txt"), std::string::npos);
    EXPECT_EQ(messages.ShownTexts(), std::vector<std::string>{kx400::msg::kIllegalPower});
    EXPECT_EQ(ReadBack(path), "earlier listing");
}

TEST_F(KX400Reports, WideFramesKeepTheLayout) {
    CTmpReg frames;
    frames.SetFrameField(0, 0x7F, -3);  // what unchecked input can compute
    const std::string block = ListingBlockKX400(0, frames);
    EXPECT_NE(block.find("\nA\t1FFD\n"), std::string::npos) << block;
}

#include "studio/reports/ReportsKX6300.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileIo.h"
#include "studio/reports/ReportFile.h"

using namespace tessary;
namespace fs = std::filesystem;
using F = FieldId;

namespace {

class KX6300Reports : public ::testing::Test {
protected:
    void SetUp() override {
        doc.OnNewDocument();
        form.OnInitialUpdate();
        dir = fs::temp_directory_path() /
              ("tessary_reports_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string ReadBack(const fs::path& p) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        EXPECT_TRUE(ReadWholeFile(p.string(), bytes, error)) << error;
        return std::string(bytes.begin(), bytes.end());
    }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigView_KX6300 form{doc, messages};
    fs::path dir;
};

const char* const kDefaultSettings =
    "Device: KX6300\n\n"
    "System parameters:\n"
    "X-tal frequency: 14.745600 MHz\tInternal\n"
    "RF frequency A: 868.300000 MHz\tActive  \n"
    "RF frequency B: 868.300000 MHz\tInactive\n"
    "Frequency separation: 64 kHz\n"
    "Data rate: 2.4 kBaud\n"
    "Data Format: Manchester\n"
    "RF output power: 0 dBm\n"
    "LOCK indicator: Continuous\n"
    "Mode: Tx\n"
    "\nComponent values, VCO inductor:\n"
    "L1 = 5.6 nH\n"
    "\nComponent values, Match\n"
    "L2 = 2.5 nH\n"
    "C1 = 4.7 pF\n"
    "C2 = 5.6 pF\n";

const char* const kDefaultListing =
    "\nRegister:\tData:\tmode:\n"
    "00\t\t01\tTX\n"
    "00\t\t1F\tPD\n"
    "00\t\t1B\tXOSC Core Only\n"
    "00\t\t19\tXOSC Core & Bias\n"
    "00\t\t11\tXOSC Core, Bias & Synth\n"
    "01\t\t58\n02\t\t33\n03\t\t25\n04\t\t58\n05\t\t33\n06\t\t25\n07\t\t01\n08\t\tAB\n"
    "09\t\tF3\n0A\t\t00\n0B\t\t50\n0C\t\t30\n0D\t\t10\n0E\t\t26\n"
    "11\t\t27\n13\t\t01\n1C\t\t00\n42\t\t25\n";

}  // namespace

TEST_F(KX6300Reports, DefaultSettingsReport) {
    EXPECT_EQ(SettingsReportKX6300(doc.config, form.Components()), kDefaultSettings);
}

TEST_F(KX6300Reports, SettingsReportAlternatives) {
    CConfig c = doc.config;
    c.kx6300 = {3.6864, 433.92, 315.5, 12, 9.6, 2, 12, 0, 3, 4, 1, 1};
    const std::string text =
        SettingsReportKX6300(c, {{"L1", "TBD", "nH"}, {"L2", "TBD", "nH"}, {"C1", "TBD", "pF"}, {"C2", "TBD", "pF"}});
    EXPECT_NE(text.find("X-tal frequency: 3.686400 MHz\tExternal\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RF frequency A: 433.920000 MHz\tInactive\nRF frequency B: 315.500000 MHz\tActive  \n"),
              std::string::npos);
    EXPECT_NE(text.find("Frequency separation: 12 kHz\nData rate: 9.6 kBaud\nData Format: UART\n"),
              std::string::npos);
    EXPECT_NE(text.find("RF output power: 12 dBm\nLOCK indicator: Disable\nMode: XOSC Core, Bias & Synth\n"),
              std::string::npos);
    EXPECT_NE(text.find("L1 = TBD nH\n"), std::string::npos);
    c.kx6300.lock = 7;  // a corrupt document prints no lock line rather than reading past the table
    c.kx6300.mode = 2;
    const std::string odd = SettingsReportKX6300(c, {});
    EXPECT_NE(odd.find("dBm\nMode: XOSC Core only\n"), std::string::npos) << odd;
}

TEST_F(KX6300Reports, ListingWithEveryModeAndCrLfFile) {
    EXPECT_EQ(RegisterListingKX6300(form.Values(), doc.registers), kDefaultListing);
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6300(form, (dir / "r.txt").string(), error)) << error;
    EXPECT_EQ(ReadBack(dir / "r.txt"), ToCrLf(kDefaultListing));
    ASSERT_TRUE(PrintSettingsKX6300(form, (dir / "s.txt").string(), error)) << error;
    EXPECT_EQ(ReadBack(dir / "s.txt"), ToCrLf(kDefaultSettings));
}

TEST_F(KX6300Reports, ListingUsesTheActiveFrequencyAndKeepsTheFormsMain) {
    form.controls.selection[Index(F::Active)] = 1;
    form.controls.selection[Index(F::Mode)] = 3;
    ASSERT_TRUE(form.ApplySettings());
    ASSERT_EQ(doc.registers.GetReg6300(0), 0x59);
    const std::string listing = RegisterListingKX6300(form.Values(), doc.registers);
    EXPECT_EQ(listing.substr(0, listing.find("01\t\t")),
              "\nRegister:\tData:\tmode:\n00\t\t41\tTX\n00\t\t5F\tPD\n00\t\t5B\tXOSC Core Only\n"
              "00\t\t59\tXOSC Core & Bias\n00\t\t51\tXOSC Core, Bias & Synth\n");
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6300(form, (dir / "r.txt").string(), error)) << error;
    EXPECT_EQ(doc.registers.GetReg6300(0), 0x59);
    EXPECT_EQ(form.Values().mode, 3);
}

TEST_F(KX6300Reports, UnwritableFileIsReported) {
    std::string error;
    EXPECT_FALSE(PrintSettingsKX6300(form, (dir / "missing" / "s.txt").string(), error));
    EXPECT_FALSE(error.empty());
}

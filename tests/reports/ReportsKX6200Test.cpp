#include "studio/reports/ReportsKX6200.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileIo.h"
#include "studio/reports/ReportFile.h"

using namespace tessary;
namespace fs = std::filesystem;

namespace {

class KX6200Reports : public ::testing::Test {
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
    CConfigViewKX6200 form{doc, messages};
    fs::path dir;
};

const char* const kDefaultSettings =
    "Device: KX6200\n\n"
    "System parameters:\n"
    "X-tal frequency: 14.745600 MHz\tInternal\n"
    "X-tal accuracy: +/- 20 ppm\n"
    "RF frequency A: 868.297200 MHz\tActive  \tRx\n"
    "RF frequency B: 868.297200 MHz\tInactive\tTx\n"
    "RX Mode:  Low Current: yes,\tOptimal frequency: yes,\tLow side LO\n"
    "Frequency separation: 64 kHz\n"
    "Data rate: 2.4 kBaud\n"
    "Data Format: Manchester\t\tAccurate\n"
    "RF output power: 0 dBm\n"
    "LOCK indicator: Continuous\n"
    "IF/RSSI: RSSI Enabled\n"
    "Operator Mode: Rx\n"
    "\nComponent values, VCO inductor:\n"
    "L101 = 4.7 nH\n"
    "\nComponent values, Match\n"
    "L32 = 120.0 nH\n"
    "L41 = 2.5 nH\n"
    "C31 = 10.0 pF\n"
    "C41 = N.A pF\n"
    "C42 = 4.7 pF\n";

const char* const kDefaultListing =
    "\nRegister:\tData:\tmode:\n"
    "00\t\t11\tRX\n"
    "00\t\tE1\tTX\n"
    "00\t\t7F\tPD\n"
    "00\t\t7B\tXOSC Core Only\n"
    "00\t\t79\tXOSC Core & Bias\n"
    "00\t\t71\tXOSC Core, Bias & Synth\n"
    "01\t\t75\n02\t\tA0\n03\t\t00\n04\t\t58\n05\t\t33\n06\t\t13\n07\t\t01\n08\t\tAB\n"
    "09\t\tF3\tTX\n"
    "09\t\t88\telse\n"
    "0A\t\t02\n"
    "0B\t\t80\n"
    "0C\t\t30\tTX\n"
    "0C\t\t40\telse\n"
    "0D\t\t10\n0E\t\t26\n0F\t\t90\n10\t\t6F\n11\t\t27\n12\t\t10\n13\t\t01\n"
    "1C\t\t00\n"
    "42\t\t25\n";

}  // namespace

TEST_F(KX6200Reports, SettingsReportOfTheDefaults) {
    EXPECT_EQ(SettingsReportKX6200(doc.config, form.Components()), kDefaultSettings);
    const fs::path p = dir / "settings.txt";
    std::string error;
    ASSERT_TRUE(PrintSettingsKX6200(form, p.string(), error)) << error;
    EXPECT_EQ(ReadBack(p), ToCrLf(kDefaultSettings));
}

TEST_F(KX6200Reports, SettingsReportAlternatives) {
    KX6200Block& b = doc.config.kx6200;
    b.xosc = 1;
    b.active = 1;
    b.dirA = 1;
    b.dirB = 0;
    b.lowCurrent = 0;
    b.optimal = 0;
    b.lowLo = 0;
    b.format = 2;
    b.settling = 0;
    b.lock = 4;
    b.ifRssi = 1;
    b.mode = 5;
    const std::string r = SettingsReportKX6200(doc.config, {{"L101", "TBD", "nH"}});
    EXPECT_NE(r.find("MHz\tExternal\n"), std::string::npos);
    EXPECT_NE(r.find("RF frequency A: 868.297200 MHz\tInactive\tTx\n"), std::string::npos);
    EXPECT_NE(r.find("RF frequency B: 868.297200 MHz\tActive  \tRx\n"), std::string::npos);
    EXPECT_NE(r.find("RX Mode:  Low Current: no,\tOptimal frequency: no,\tHigh side LO\n"), std::string::npos);
    EXPECT_NE(r.find("Data Format: UART\t\tFast\n"), std::string::npos);
    EXPECT_NE(r.find("LOCK indicator: Disable\n"), std::string::npos);
    EXPECT_NE(r.find("IF/RSSI: External 10,7 MHz IF\n"), std::string::npos);
    EXPECT_NE(r.find("Operator Mode: XOSC Core, Bias & Synth\n"), std::string::npos);
    EXPECT_NE(r.find("L101 = TBD nH\n"), std::string::npos);

    const std::string k = SettingsReportKX6200(doc.config, {}, KX6200Family::KX6500);
    EXPECT_EQ(k.rfind("Device: KX6500\n\n", 0), 0u);
    EXPECT_NE(k.find("RX Mode:  Optimal frequency: no,\tHigh side LO\n"), std::string::npos);
    EXPECT_NE(k.find("Data Format: Transparent\t\t"), std::string::npos);
    b.lock = 1;
    EXPECT_NE(SettingsReportKX6200(doc.config, {}, KX6200Family::KX6500).find("LOCK indicator: Enable\n"),
              std::string::npos);
}

TEST_F(KX6200Reports, RegisterListingOfTheDefaults) {
    const fs::path p = dir / "registers.txt";
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6200(form, p.string(), error)) << error;
    EXPECT_EQ(ReadBack(p), ToCrLf(kDefaultListing));
}

TEST_F(KX6200Reports, RxLineUsesTheFrequencyWhoseDirectionIsRx) {
    KX6200Block v = form.Values();
    v.dirA = 1;
    v.active = 0;
    const std::string listing = RegisterListingKX6200(v, doc.registers, 8, 6);
    EXPECT_NE(listing.find("00\t\t51\tRX\n"), std::string::npos);  // F_REG set: B active
    EXPECT_NE(listing.find("00\t\tA1\tTX\n"), std::string::npos);
    EXPECT_NE(listing.find("00\t\t3F\tPD\n"), std::string::npos);
}

TEST_F(KX6200Reports, PrintingRegistersLeavesTheFormsOwnModeInTheSlots) {
    form.controls.selection[Index(FieldId::Mode)] = 1;  // TX
    form.controls.selection[Index(FieldId::DirA)] = 1;
    ASSERT_TRUE(form.ApplySettings());
    const int main = doc.registers.GetReg(0), current = doc.registers.GetReg(9), pll = doc.registers.GetReg(11);
    EXPECT_EQ(pll, 0x30);
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6200(form, (dir / "r.txt").string(), error)) << error;
    EXPECT_EQ(doc.registers.GetReg(0), main);
    EXPECT_EQ(doc.registers.GetReg(9), current);
    EXPECT_EQ(doc.registers.GetReg(11), pll);
}

TEST_F(KX6200Reports, UnwritableFileSaysSoAndWritesNothing) {
    std::string error;
    EXPECT_FALSE(PrintSettingsKX6200(form, (dir / "no" / "such" / "dir.txt").string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST(ReportFile, CrLfAndFormatting) {
    EXPECT_EQ(ToCrLf("a\nb\n\n"), "a\r\nb\r\n\r\n");
    std::string s;
    AppendF(s, "%02X|%3.6f|%s", 0x4, 868.2972, "x");
    EXPECT_EQ(s, "04|868.297200|x");
    const char* const table[] = {"a", "b"};
    EXPECT_STREQ(Pick(table, 1), "b");
    EXPECT_STREQ(Pick(table, 2), "");
    EXPECT_STREQ(Pick(table, -1), "");
}

// ---- KX6500 ----

#include "studio/reports/ReportsKX6500.h"

TEST(KX6500Reports, SettingsTableOfTheDefaultsCompilesAsC) {
    TessaryDocument doc;
    doc.OnNewDocument();
    RecordingMessageSink messages;
    CConfigViewKX6500 form(doc, messages);
    form.OnInitialUpdate();
    const fs::path dir = fs::temp_directory_path() / "tessary_ctable";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6500(form, (dir / "table.h").string(), error)) << error;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile((dir / "table.h").string(), bytes, error));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(text.size() - 6), "    };");  // no line end after the table
    EXPECT_NE(text.find("\r\n// X-tal frequency: 14.745600 MHz\r\n"), std::string::npos);
    EXPECT_NE(text.find("    0x40,                // PLL_RX\r\n    0x30,                // PLL_TX\r\n"), std::string::npos);
    EXPECT_NE(text.find("    0x6C,                // CURRENT_RX\r\n    0xF3,                // CURRENT_TX\r\n"),
              std::string::npos);

    std::FILE* c = std::fopen((dir / "main.c").string().c_str(), "w");
    ASSERT_NE(c, nullptr);
    std::fputs("typedef struct { unsigned char b[19]; } RF_RXTXPAIR_SETTINGS;\n#define code\n#include \"table.h\"\n"
               "int main(void) { return RF_SETTINGS.b[0] == 0x4B ? 0 : 1; }\n",
               c);
    std::fclose(c);
    const std::string cc = "cc -std=c99 -o " + (dir / "main").string() + " " + (dir / "main.c").string() +
                           " 2>&1 && " + (dir / "main").string();
    EXPECT_EQ(std::system(cc.c_str()), 0);
    fs::remove_all(dir);
}

TEST(KX6500Reports, PrintingTheTableLeavesTxSlotsForTx) {
    TessaryDocument doc;
    doc.OnNewDocument();
    RecordingMessageSink messages;
    CConfigViewKX6500 form(doc, messages);
    form.OnInitialUpdate();
    form.controls.selection[Index(FieldId::Mode)] = 1;
    form.controls.selection[Index(FieldId::DirA)] = 1;
    ASSERT_TRUE(form.ApplySettings());
    const int pll = doc.registers.GetReg(13), current = doc.registers.GetReg(11);
    std::string error;
    ASSERT_TRUE(PrintRegistersKX6500(form, "/dev/null", error));
    EXPECT_EQ(doc.registers.GetReg(13), pll);
    EXPECT_EQ(doc.registers.GetReg(11), current);
    const std::string report = SettingsReportKX6200(doc.config, form.Components(), KX6200Family::KX6500);
    EXPECT_NE(report.find("Operator Mode: Tx\n"), std::string::npos);
}

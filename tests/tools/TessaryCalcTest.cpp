// tessary-calc end to end: the program as a person or a script runs it.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/FileIo.h"
#include "CalcTestSupport.h"
#include "studio/config/ConfigFile.h"
#include "lptlink/lptlink.h"

using namespace tessary;
namespace fs = std::filesystem;
using nlohmann::json;

using namespace tessary::calctest;

namespace {

std::vector<int> Slots(const json& j) { return j.at("slots").get<std::vector<int>>(); }

}  // namespace

TEST_F(TessaryCalc, DefaultsReproduceTheWorkedExample) {
    const CalcResult r = Calc({"--device", "kx6200", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["device"], "KX6200");
    const auto s = Slots(j);
    ASSERT_EQ(s.size(), 37u);
    const std::vector<std::pair<int, int>> expected = {
        {0, 0x11}, {1, 0x75}, {2, 0xA0}, {3, 0x00}, {4, 0x58}, {5, 0x33}, {6, 0x13}, {7, 0x01},
        {8, 0xAB}, {9, 0x88}, {10, 0x80}, {11, 0x40}, {12, 0x10}, {13, 0x26}, {14, 0x90}, {15, 0x6F},
        {16, 0x27}, {17, 0x10}, {18, 0x01}, {19, 0x00}, {29, 0x25}, {34, 0x02}, {35, 0x00}};
    for (const auto& [slot, value] : expected) EXPECT_EQ(s[slot], value) << "slot " << slot;
    EXPECT_EQ(j["current_mA"], 9.9);
    EXPECT_EQ(j["components"], json({{"L101", "4.7"}, {"L32", "120.0"}, {"L41", "2.5"},
                                     {"C31", "10.0"}, {"C41", "N.A"}, {"C42", "4.7"}}));
    EXPECT_TRUE(j["messages"].empty());
    EXPECT_EQ(j["config"]["rf_a"], 868.2972);
    EXPECT_EQ(j["config"]["dir_b"], 1);
    EXPECT_EQ(j["config"].size(), 21u);
}

TEST_F(TessaryCalc, ReadableListingPutsUnitsOnlyAfterNumbers) {
    CalcResult r = Calc({"--device", "KX6200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n  L101 = 4.7 nH\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n  C41 = N.A\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n  C42 = 4.7 pF\n"), std::string::npos) << r.out;
    r = Calc({"--device", "KX6200", "--set", "optimal=0", "--set", "rf_a=600", "--set", "rf_b=600"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n  L32 = TBD\n"), std::string::npos) << r.out;
}

TEST_F(TessaryCalc, SecondWorkedExample) {
    const CalcResult r = Calc({"--json", "--set", "optimal=0", "--set", "low_lo=0", "--set", "low_current=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    const auto s = Slots(j);
    EXPECT_EQ(s[1] << 16 | s[2] << 8 | s[3], 0x5837D0);
    EXPECT_EQ(s[9], 0x8C);
    EXPECT_EQ(s[11], 0x30);
    EXPECT_EQ(s[34], 0x32);
    EXPECT_EQ(j["current_mA"], 12.0);
}

TEST_F(TessaryCalc, MessagesOfTheLastApplyAreReported) {
    const CalcResult r = Calc({"--json", "--set", "xtal=7.3728", "--set", "rate=38.4"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_EQ(j["messages"][0], "Please have in mind that the crystal frequency must be higher than 12 MHz\nin order "
                                "to get a higher data rate than 19.2 kbaud.");
    EXPECT_EQ(j["config"]["rate"], 19.2);
}

TEST_F(TessaryCalc, RefusedValueExitsTwoWithNothingWritten) {
    const CalcResult r = Calc({"--json", "--set", "xtal=18.432", "--save", Path("x.tsy"), "--report", "settings",
                        Path("s.txt")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("9 - 16 MHz"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.tsy"));
    EXPECT_FALSE(fs::exists(dir / "s.txt"));
}

TEST_F(TessaryCalc, UsageErrorsExitOne) {
    CalcResult r = Calc({"--set", "colour=red"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("xtal ppm rf_a rf_b sep rate power format rx_mode shape lock if_rssi mode xosc active dir_a "
                         "dir_b settling optimal low_lo low_current"),
              std::string::npos)
        << r.err;
    r = Calc({"--set", "mode=6"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("0 to 5"), std::string::npos) << r.err;
    EXPECT_EQ(Calc({"--set", "optimal=2"}).status, 1);
    EXPECT_EQ(Calc({"--set", "format=-1"}).status, 1);
    EXPECT_EQ(Calc({"--set", "format=1x"}).status, 1);
    EXPECT_EQ(Calc({"--set", "xtal"}).status, 1);
    EXPECT_EQ(Calc({"--device", "KX7000"}).status, 1);
    EXPECT_EQ(Calc({"--report", "summary", Path("a.txt")}).status, 1);
    EXPECT_EQ(Calc({"--open", Path("missing.tsy")}).status, 1);
    // Lists take the index as typed; the crystal list takes text.
    r = Calc({"--json", "--set", "xtal=11.0592", "--set", "mode=5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["slots"][0], 0x31);
}

TEST_F(TessaryCalc, SavedDocumentMatchesTheLayoutAndReloadsExactly) {
    ASSERT_EQ(Calc({"--set", "rf_a=433.92", "--set", "optimal=0", "--save", Path("a.tsy")}).status, 0);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("a.tsy"), bytes, error)) << error;
    ASSERT_EQ(bytes.size(), 264u);
    double rfA;
    std::memcpy(&rfA, bytes.data() + 96, 8);
    EXPECT_EQ(rfA, 433.92);
    std::int32_t optimal;
    std::memcpy(&optimal, bytes.data() + 140 + 4 * 10, 4);
    EXPECT_EQ(optimal, 0);

    const CalcResult r = Calc({"--open", Path("a.tsy"), "--save", Path("b.tsy"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(ReadWholeFile(Path("b.tsy"), again, error));
    EXPECT_EQ(again, bytes);
    EXPECT_EQ(json::parse(r.out)["config"]["rf_a"], 433.92);
}

TEST_F(TessaryCalc, OpenDoesNotResetTheDevice) {
    // A document written for the KX400 keeps its device number and the KX6200 block.
    CConfig c;
    c.kx400.deviceNumber = 4;
    c.kx6200.sep = 32;
    const auto bytes = SerializeConfig(c);
    std::string error;
    ASSERT_TRUE(WriteWholeFile(Path("k.tsy"), std::string(bytes.begin(), bytes.end()), error));
    const CalcResult r = Calc({"--open", Path("k.tsy"), "--json", "--save", Path("k2.tsy")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["config"]["sep"], 32.0);
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(ReadWholeFile(Path("k2.tsy"), saved, error));
    double number;
    std::memcpy(&number, saved.data() + 72, 8);
    EXPECT_EQ(number, 4);
}

TEST_F(TessaryCalc, ShortDocumentIsRefused) {
    std::string error;
    ASSERT_TRUE(WriteWholeFile(Path("short.tsy"), std::string(100, '\0'), error));
    const CalcResult r = Calc({"--open", Path("short.tsy")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("short.tsy"), std::string::npos);
    EXPECT_NE(r.err.find("264"), std::string::npos);
}

TEST_F(TessaryCalc, ReportsAreWrittenWithCrLf) {
    const CalcResult r = Calc({"--report", "registers", Path("r.txt"), "--report", "settings", Path("s.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("r.txt"), bytes, error));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("\r\nRegister:\tData:\tmode:\r\n00\t\t11\tRX\r\n", 0), 0u);
    ASSERT_TRUE(ReadWholeFile(Path("s.txt"), bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind("Device: KX6200\r\n\r\n", 0), 0u);
}

TEST_F(TessaryCalc, TheProgramItself) {
    CalcResult r = Program("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--device"), std::string::npos);
    r = Program("--device KX6200");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("00h  MAIN       11"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("9.90000 mA"), std::string::npos);
    r = Program("--json --set ppm=900");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("between 0 and 500 ppm"), std::string::npos) << r.err;
    EXPECT_EQ(Program("--bogus").status, 1);
    r = Program("--report settings");
    EXPECT_EQ(r.status, 1);
}

TEST_F(TessaryCalc, DownloadLandsEveryRegisterAndReadsBackTheSame) {
    const CalcResult r = Calc({"--device", "KX6200", "--download", "--read-back", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    const auto s = Slots(j);
    const std::vector<std::pair<int, int>> downloaded = {
        {0, 0x00}, {1, 0x01}, {2, 0x02}, {3, 0x03}, {4, 0x04}, {5, 0x05}, {6, 0x06}, {7, 0x07},
        {8, 0x08}, {9, 0x09}, {34, 0x0A}, {10, 0x0B}, {11, 0x0C}, {12, 0x0D}, {13, 0x0E}, {14, 0x0F},
        {15, 0x10}, {16, 0x11}, {17, 0x12}, {18, 0x13}, {19, 0x14}, {35, 0x1C}, {29, 0x42}};
    ASSERT_TRUE(j.contains("board"));
    ASSERT_TRUE(j.contains("read_back"));
    EXPECT_EQ(j["read_back"].size(), 29u);
    for (const auto& [slot, address] : downloaded) {
        char key[4];
        std::snprintf(key, sizeof key, "%02X", address);
        EXPECT_EQ(j["board"][key], s[slot]) << key;
        EXPECT_EQ(j["read_back"][key], s[slot]) << key;
    }
    EXPECT_EQ(j["read_back"]["40"], 0);
}

TEST_F(TessaryCalc, CalibratedDefaultsAreInLock) {
    CalcResult r = Calc({"--download", "--calibrate", "--lock", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["lock"], "In Lock");
    r = Calc({"--download", "--lock", "--json"});
    EXPECT_EQ(json::parse(r.out)["lock"], "Not Locked");
    r = Calc({"--download", "--calibrate", "--chip-reset", "--lock", "--json"});
    EXPECT_EQ(json::parse(r.out)["lock"], "Not Locked");
    r = Calc({"--lock"});
    EXPECT_NE(r.out.find("Lock indicator: Not Locked"), std::string::npos) << r.out;
}

TEST_F(TessaryCalc, DirectionCheckStopsTheDownloadWithStatusThree) {
    const CalcResult r = Calc({"--set", "dir_a=1", "--download", "--json"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("Rx frequency not activated."), std::string::npos) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["messages"].back(), "Rx frequency not activated.\nThe active frequency A or B\nmust correspond to the\nselected Mode.");
    EXPECT_EQ(j["board"]["00"], 0);  // nothing was written
    EXPECT_EQ(j["board"]["0E"], 0);
}

TEST_F(TessaryCalc, RefusedValueStillDownloadsButPrintsNothing) {
    ::setenv("LPTLINK_SIM_TRACE", Path("trace.txt").c_str(), 1);
    const CalcResult r = Calc({"--set", "rf_a=433.92", "--set", "rate=fast", "--download", "--json"});
    ::unsetenv("LPTLINK_SIM_TRACE");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("The data rate is not a floating point number"), std::string::npos);
    // The download went on: 23 register writes, each starting with control 3.
    std::vector<std::uint8_t> trace;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("trace.txt"), trace, error)) << error;
    const std::string text(trace.begin(), trace.end());
    int transfers = 0;
    for (std::size_t at = 0; (at = text.find(" W 37A 03\n", at)) != std::string::npos; ++at) ++transfers;
    EXPECT_EQ(transfers, 23);
}

TEST_F(TessaryCalc, PinnedBoardIsNotReplaced) {
    ::setenv("LPTLINK_SIM_BOARD", "loopback", 1);
    const CalcResult r = Calc({"--download", "--json"});
    ::unsetenv("LPTLINK_SIM_BOARD");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(json::parse(r.out).contains("board"));
}

TEST_F(TessaryCalc, BoardOperationsThroughTheProgram) {
    const CalcResult r = Program("--download --calibrate --read-back --lock");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Lock indicator: In Lock"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Read back:"), std::string::npos);
    EXPECT_NE(r.out.find("  0Fh  90"), std::string::npos) << r.out;
}

TEST_F(TessaryCalc, KX6500FieldsAndSlots) {
    CalcResult r = Calc({"--device", "KX6500", "--json", "--set", "ber_enable=1", "--set", "berwin=2", "--set",
                         "sigtype=1", "--set", "low_current=0"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["device"], "KX6500");
    EXPECT_EQ(Slots(j)[36], 0x19);
    EXPECT_EQ(Slots(j)[0], 0x10);
    EXPECT_FALSE(j["config"].contains("ber_enable"));
    EXPECT_EQ(j["config"]["low_current"], 0);
    EXPECT_EQ(j["current_mA"], 27.0);
    r = Calc({"--device", "KX6500", "--set", "rx_mode=0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ber_enable berwin sigtype"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("rx_mode "), std::string::npos);
    r = Calc({"--device", "KX6500", "--set", "xtal=22.1184", "--set", "rate=38.4", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(json::parse(r.out)["messages"].empty());
}

TEST_F(TessaryCalc, KX6500OnItsBoard) {
    const CalcResult r = Calc({"--device", "KX6500", "--set", "lock=1", "--download", "--calibrate", "--read-back",
                               "--lock", "--json", "--report", "registers", Path("table.h")});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["lock"], "In Lock");
    EXPECT_EQ(j["board"]["C8"], Slots(j)[0]);
    EXPECT_EQ(j["board"]["CC"], Slots(j)[3]);
    EXPECT_EQ(j["read_back"]["CA"], Slots(j)[1]);
    EXPECT_EQ(j["read_back"].size(), 31u);
    EXPECT_TRUE(j["read_back"].contains("B6"));
    EXPECT_EQ(j["read_back"]["E4"].get<int>() & 1, 1);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("table.h"), bytes, error));
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("RF_RXTXPAIR_SETTINGS code RF_SETTINGS = {"),
              std::string::npos);
    const CalcResult disabled = Calc({"--device", "KX6500", "--lock", "--json"});
    EXPECT_EQ(json::parse(disabled.out)["lock"], "Disabled");
}

TEST_F(TessaryCalc, EepFilesThroughTheRegisterView) {
    ASSERT_EQ(Calc({"--eep-save", Path("a.eep")}).status, 0);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("a.eep"), bytes, error));
    std::string text(bytes.begin(), bytes.end());
    ASSERT_EQ(text.size(), 28u * 7u);
    EXPECT_EQ(text.substr(text.size() - 49), "40:10\r\n41:08\r\n42:25\r\n43:04\r\n44:00\r\n45:00\r\n46:00\r\n");

    text.replace(7 * 15 + 3, 2, "5a");  // MODEM2: line 15, after FRONT_END on line 10
    ASSERT_TRUE(WriteWholeFile(Path("b.eep"), text, error));
    const CalcResult r = Calc({"--eep-load", Path("b.eep"), "--download", "--read-back", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["board"]["0F"], 0x5A);
    EXPECT_EQ(j["board"]["40"], 0x10);  // the view downloads the test registers too
    EXPECT_EQ(j["board"]["43"], 0x04);
    EXPECT_NE(j["read_back_listing"].get<std::string>().find("0Fh:\t5A\tMODEM2\n"), std::string::npos);
    EXPECT_EQ(j["register_view"][14], 0x5A);

    ASSERT_TRUE(WriteWholeFile(Path("short.eep"), text.substr(0, 20), error));
    const CalcResult bad = Calc({"--eep-load", Path("short.eep")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("too short"), std::string::npos) << bad.err;
}

TEST_F(TessaryCalc, KX6500RegisterViewDownload) {
    ASSERT_EQ(Calc({"--device", "KX6500", "--eep-save", Path("k.eep")}).status, 0);
    const CalcResult r = Calc({"--device", "KX6500", "--eep-load", Path("k.eep"), "--download", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["board"]["C8"], 0x10);
    EXPECT_EQ(j["board"]["FC"], 0x04);
    EXPECT_EQ(j["board"]["FE"], 0x08);
}

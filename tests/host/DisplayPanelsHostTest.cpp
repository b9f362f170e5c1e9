// kx6500-debug with the real KX6500Disp.so on the in-memory target: the port,
// interrupt, SPI, flash, power and A/D converter views through the view commands,
// with the access log and the SFR file, and every view rendered offscreen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/host/HostProcess.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
using Strings = std::vector<std::string>;

namespace {

const char* const kAllViews[] = {"adc",   "des",   "flash", "interrupts", "ports", "port0",   "port1",   "port2",
                                 "port3", "power", "radio", "serial0",    "serial1", "spi", "timers"};

class DisplayPanels : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_panels_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        sfr.assign(256, 0);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path File(const char* name) const { return dir / name; }
    std::vector<std::uint8_t> Bytes(const char* name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Strings Log() const {
        std::ifstream in(File("access.log"));
        Strings lines;
        for (std::string l; std::getline(in, l);)
            if (l != "R F0000080 128") lines.push_back(l);  // the updates' block reads
        return lines;
    }
    struct Run {
        int status;
        std::string err;
        std::vector<Json> shown;  // the JSON lines of "view show"
        Strings errors;           // the "error: ..." lines
    };
    Run Host(const std::string& input) {
        std::ofstream(File("sfr.bin"), std::ios::binary).write(reinterpret_cast<const char*>(sfr.data()), 256);
        const char* bin = std::getenv("TESSARY_BIN");
        const std::string plugin = (fs::path(bin ? bin : "build/bin").parent_path() / "lib" / "KX6500Disp.so").string();
        HostProcess p({HostProgram(), "--display", plugin, "--sfr-file", File("sfr.bin").string(), "--access-log",
                       File("access.log").string()},
                      {{"QT_QPA_PLATFORM", ""}});
        p.Write(input);
        Run r{p.Finish(), p.err, {}, {}};
        std::istringstream out(p.out);
        for (std::string l; std::getline(out, l);) {
            if (l.starts_with("{"))
                r.shown.push_back(Json::parse(l));
            else
                r.errors.push_back(l);
        }
        return r;
    }

    fs::path dir;
    std::vector<std::uint8_t> sfr;
};

}  // namespace

TEST_F(DisplayPanels, AllFifteenViewsOpenAndRenderOffscreen) {
    std::string input;
    for (const char* v : kAllViews)
        input += std::string("view open ") + v + "\nview grab " + v + " " + File(v).string() + ".png\n";
    input += "update\n";
    const Run r = Host(input);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* v : kAllViews) {
        std::ifstream in(File(v).string() + ".png", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_GT(bytes.size(), 100u) << v;
        EXPECT_EQ(bytes.substr(1, 3), "PNG") << v;
    }
}

TEST_F(DisplayPanels, PortsShowTheirPinsAndAlternateFunctions) {
    sfr[0xA1] = 0x60;  // SPCR: enabled, special purpose mode
    sfr[0xA7] = 0x21;  // P3DIR
    const Run r = Host("view open ports\nview open port3\nview show ports\n"
                       "mem write d:a9 05\nview show ports\nview show port3\n"
                       "view set port3 \"Dir 4\" 1\nview set ports \"P0 Value 2\" 1\nview press ports Refresh\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.shown.size(), 3u);
    const Json& before = r.shown[0]["controls"];
    EXPECT_EQ(before["Alternate functions"]["kind"], "lines");
    EXPECT_EQ(before["Alternate functions"]["items"],
              (Json{"A  SPI SCK Output (SPCR.SPE = 1)", "B  SPI MO Output (SPCR.SPE = 1)"}));
    std::string markers;
    for (const char* m : {"A", "B", "C", "D", "E"}) {
        EXPECT_EQ(before[m]["text"], m);
        if (before[m]["visible"] == true) markers += m;
    }
    EXPECT_EQ(markers, "AB");
    const Json& after = r.shown[1]["controls"];
    EXPECT_EQ(after["Alternate functions"]["items"].size(), 4u);
    EXPECT_EQ(after["Alternate functions"]["items"][3], "E  PWM3 Output (TCON2.M3 = 1)");
    EXPECT_EQ(after["D"]["visible"], true);
    EXPECT_EQ(after["C"]["visible"], false);
    EXPECT_EQ(after["P3 Dir 5"]["checked"], true);
    const Json& port3 = r.shown[2]["controls"];
    EXPECT_EQ(r.shown[2]["title"], "Port 3 [5:0]");
    for (int bit = 0; bit <= 5; ++bit)
        EXPECT_EQ(port3["Dir " + std::to_string(bit)]["checked"], bit == 0 || bit == 5) << bit;
    EXPECT_FALSE(port3.contains("Dir 6"));

    EXPECT_EQ(Log(), (Strings{"R F00000A7 1", "W F00000A7 1 31", "R F0000080 1",
                              "W F0000080 1 04", "R F0800080 128"}));
    const auto file = Bytes("sfr.bin");
    EXPECT_EQ(file[0xA7], 0x31);
    EXPECT_EQ(file[0x80], 0x04);
}

TEST_F(DisplayPanels, FieldsCommitThroughTheViewCommands) {
    sfr[0x96] = 0xC5;  // ADCON2: divider 96
    sfr[0xDD] = 0xE5;  // FLTIM
    sfr[0xAF] = 0x60;  // FLCON: flash power field 3
    const Run r = Host("view open adc\nview open flash\nview open spi\nview open power\n"
                       "view set adc \"Clock div\" 100\nview show adc\nupdate\nview show adc\n"
                       "view set flash FLTIM F\nview set flash \"Xdata page\" 1F\nview show flash\n"
                       "view set spi \"Clock rate\" 2\nview set power \"Flash power mode\" 2\nview show spi\n"
                       "view show power\nupdate\nview show flash\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.shown.size(), 6u);
    EXPECT_EQ(r.shown[0]["controls"]["Clock div"]["text"], "100");  // as committed, until the update
    EXPECT_EQ(r.shown[0]["controls"]["-> Freq"]["text"], "153600");
    EXPECT_EQ(r.shown[1]["controls"]["Clock div"]["text"], "96");
    EXPECT_EQ(r.shown[2]["controls"]["FLTIM"]["text"], "F");  // as typed, until the next update
    EXPECT_EQ(r.shown[2]["controls"]["Xdata page"]["text"], "1F");  // refused, the text stays
    EXPECT_EQ(r.shown[2]["controls"]["Low power"]["index"], -1);    // field value 3
    EXPECT_EQ(r.shown[3]["controls"]["Clock rate"]["items"],
              (Json{"1843200Hz", "921600Hz", "460800Hz", "230400Hz"}));
    EXPECT_EQ(r.shown[4]["controls"]["Flash power mode"]["index"], 2);
    EXPECT_EQ(r.shown[5]["controls"]["FLTIM"]["text"], "0F");
    EXPECT_EQ(r.shown[5]["controls"]["Low power"]["index"], 2);  // the power view's 0x40
    EXPECT_NE(r.err.find("KX6500Disp: Please enter an integer."), std::string::npos) << r.err;

    EXPECT_EQ(Log(), (Strings{"R F0000096 1", "W F0000096 1 C5", "R F00000DD 1", "W F00000DD 1 0F", "R F00000A1 1",
                              "W F00000A1 1 02", "R F00000AF 1", "W F00000AF 1 40"}));
    const auto file = Bytes("sfr.bin");
    EXPECT_EQ(file[0xDD], 0x0F);
    EXPECT_EQ(file[0xA1], 0x02);
    EXPECT_EQ(file[0xAF], 0x40);
}

TEST_F(DisplayPanels, BoxesShownOnlyRefuseTheCommandAndWriteNothing) {
    const Run r = Host("view open interrupts\nview set interrupts \"FWI E\" 1\n");
    EXPECT_EQ(r.status, 2);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("FWI E"), std::string::npos) << r.errors[0];
    EXPECT_EQ(Log(), Strings{});
    const Run shown = Host("view open interrupts\nview set interrupts \"RI_0 F\" 1\nview show interrupts\n");
    ASSERT_EQ(shown.status, 0) << shown.err;
    const Json& c = shown.shown.at(0)["controls"];
    EXPECT_EQ(c["RI_0 F"]["checked"], true);
    EXPECT_EQ(c["RI_1 E"]["enabled"], false);
    EXPECT_EQ(c["ADF Vec"]["text"], "0x5B");
    EXPECT_EQ(Log(), (Strings{"R F0000098 1", "W F0000098 1 01"}));
}

// tessary-calc with the KX400 and KX900: fields, frames, the refused steps, the frame
// board, the reports and the frame register view.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CalcTestSupport.h"
#include "studio/config/ConfigFile.h"

using namespace tessary;
using namespace tessary::calctest;
using nlohmann::json;

namespace {

std::vector<int> Frames(const json& j) { return j.at("slots").get<std::vector<int>>(); }

// The 13-bit contents of the words of a demonstration board image (address bits removed).
std::vector<int> Contents(std::initializer_list<int> words) {
    std::vector<int> v;
    for (int w : words) v.push_back(w & 0x1FFF);
    return v;
}

// Frame writes on the virtual port: every frame starts with control := 3.
int FrameTransfers(const std::string& trace) {
    int n = 0;
    for (std::size_t at = 0; (at = trace.find(" W 37A 03\n", at)) != std::string::npos; ++at) ++n;
    return n;
}

}  // namespace

TEST_F(TessaryCalc, KX400AndKX900Defaults) {
    CalcResult r = Calc({"--device", "KX400", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    json j = json::parse(r.out);
    EXPECT_EQ(j["device"], "KX400");
    EXPECT_EQ(Frames(j), (std::vector<int>{0x002A, 0x130B, 0x0141, 0x06E1, 0x0A00, 0x1A03, 0x0B6C, 0x0040}));
    EXPECT_EQ(j["components"], json({{"R121", "5.6"}, {"C121", "33.00"}, {"R122", " 27"}, {"C122", "1500"},
                                     {"C123", "330.0"}, {"R123", " 22"}, {"C51", "220"}, {"L51", " 33"},
                                     {"L61", "8.2"}, {"C61", " 18"}}));
    EXPECT_EQ(j["current_mA"], 18.0);
    EXPECT_TRUE(j["messages"].empty());
    const json& c = j["config"];
    EXPECT_EQ(c.size(), 13u);
    EXPECT_EQ(c["xtal"], 12e6);
    EXPECT_EQ(c["ppm"], 50 * 1e-6);
    EXPECT_EQ(c["rf"], 433.92 * 1e6);
    EXPECT_EQ(c["sep"], 10e3);
    EXPECT_EQ(c["rate"], 1.2 * 1e3);
    EXPECT_EQ(c["power"], 10.0);
    EXPECT_EQ(c["pa_class"], 2);
    EXPECT_EQ(c["vco_current"], 0);
    EXPECT_EQ(c["device_number"], 4.0);

    r = Calc({"--device", "kx900", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    j = json::parse(r.out);
    EXPECT_EQ(j["device"], "KX900");
    EXPECT_EQ(Frames(j)[1] >> 11, 1);
    EXPECT_EQ(j["components"]["C61"], "N.A.");
    EXPECT_EQ(j["components"]["L51"], " 12");
    EXPECT_EQ(j["current_mA"], 23.0);
    EXPECT_EQ(j["config"]["rf"], 869e6);
    EXPECT_EQ(j["config"]["pa_class"], 3);
    EXPECT_EQ(j["config"]["device_number"], 9.0);
    EXPECT_EQ(Calc({"--device", "KX900", "--set", "rf=1200", "--json"}).status, 2);  // 800 to 1000 MHz
}

TEST_F(TessaryCalc, TheDemonstrationBoardsConfigurations) {
    // The KX400DB image lacks frame B's device bit 12, which the calculation sets.
    CalcResult r = Calc({"--device", "KX400", "--set", "sep=40", "--set", "power=0", "--set", "mode=1", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Frames(json::parse(r.out)),
              Contents({0x082A, 0x330B, 0x4041, 0x7F9A, 0x8A29, 0xBA02, 0xCB6C, 0xE040}));
    r = Calc({"--device", "KX400", "--set", "sep=40", "--set", "power=0", "--set", "mode=4", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Frames(json::parse(r.out)),
              Contents({0x002A, 0x330B, 0x4041, 0x7EE1, 0x8A00, 0xBA02, 0xCB6C, 0xE248}));

    const std::vector<std::string> kx900 = {"--device", "KX900",          "--set", "rf=868.3",  "--set",
                                            "sep=40",   "--set",          "pa_class=1", "--set",    "power=-10",
                                            "--set",    "rate=0.6",       "--set", "vco_current=4", "--json"};
    auto with = [&](const char* mode) {
        auto args = kx900;
        args.push_back("--set");
        args.push_back(mode);
        return Calc(args);
    };
    r = with("mode=1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Frames(json::parse(r.out)),
              Contents({0x086A, 0x2B0B, 0x4841, 0x608F, 0x8914, 0xBA00, 0xCB6C, 0xE042}));
    r = with("mode=4");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Frames(json::parse(r.out)),
              Contents({0x006A, 0x2B0B, 0x4841, 0x6033, 0x8900, 0xBA00, 0xCB6C, 0xE24A}));
}

TEST_F(TessaryCalc, KX400FieldsAndUsage) {
    for (const char* field : {"rf_a", "format", "shape"}) {
        const CalcResult r = Calc({"--device", "KX400", "--set", std::string(field) + "=1"});
        EXPECT_EQ(r.status, 1) << field;
        EXPECT_NE(r.err.find("xtal ppm rf sep rate power if_stage pa_class mode rx_mode lock vco_current"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(Calc({"--device", "KX400", "--set", "vco_current=8"}).status, 1);
    EXPECT_EQ(Calc({"--device", "KX400", "--set", "if_stage=3"}).status, 0);
    // The chips have no reset, calibration or read-back: refused before anything runs.
    for (const char* option : {"--chip-reset", "--calibrate", "--read-back"}) {
        const CalcResult r = Calc({"--device", "KX900", option, "--save", Path("never.tsy")});
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_NE(r.err.find(option), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("KX900 has no chip reset, calibration or read-back"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(fs::exists(dir / "never.tsy"));
    }
}

TEST_F(TessaryCalc, AFailedStepIsARefusedValue) {
    ::setenv("LPTLINK_SIM_TRACE", Path("trace.txt").c_str(), 1);
    const CalcResult r = Calc({"--device", "KX400", "--set", "power=30", "--download", "--save", Path("x.tsy"),
                               "--report", "registers", Path("r.txt"), "--json"});
    ::unsetenv("LPTLINK_SIM_TRACE");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err.find("An illegal value has been entered. Please select a different amplifier"), 0u) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.tsy"));
    EXPECT_FALSE(fs::exists(dir / "r.txt"));
    // The download still sends the frames of the last completed calculation.
    std::vector<std::uint8_t> trace;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("trace.txt"), trace, error)) << error;
    EXPECT_EQ(FrameTransfers(std::string(trace.begin(), trace.end())), 8);
}

TEST_F(TessaryCalc, ARefusedValueSendsNothingAndIsReportedOnce) {
    ::setenv("LPTLINK_SIM_TRACE", Path("trace.txt").c_str(), 1);
    const CalcResult r = Calc({"--device", "KX400", "--set", "rf=fast", "--download"});
    ::unsetenv("LPTLINK_SIM_TRACE");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "The RF frequency is not a floating point number\n");
    std::vector<std::uint8_t> trace;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("trace.txt"), trace, error)) << error;
    EXPECT_EQ(FrameTransfers(std::string(trace.begin(), trace.end())), 0);
}

TEST_F(TessaryCalc, KX900OnItsBoard) {
    const CalcResult r = Calc({"--device", "KX900", "--set", "mode=1", "--download", "--lock", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    ASSERT_TRUE(j.contains("board"));
    const auto frames = Frames(j);
    const char* letters[] = {"A", "B", "C", "D", "E", "F", "G", "H"};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(j["board"][letters[i]], frames[i]) << letters[i];
    EXPECT_EQ(j["lock"], "In Lock");
    const CalcResult disabled = Calc({"--device", "KX400", "--set", "lock=2", "--download", "--lock", "--json"});
    EXPECT_EQ(json::parse(disabled.out)["lock"], "Not Locked");
}

TEST_F(TessaryCalc, KX400ReportsAndTheReadableListing) {
    CalcResult r = Calc({"--device", "KX400", "--report", "registers", Path("r.txt"), "--report", "settings",
                         Path("s.txt")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  01h  Frame B    130B\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n  L51 =  33 nH\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("18.00000 mA"), std::string::npos) << r.out;
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("r.txt"), bytes, error));
    const std::string listing(bytes.begin(), bytes.end());
    EXPECT_EQ(listing.rfind("RX mode:\r\nFrame\tAddr/Data\r\nA\t002A\r\nB\t330B\r\n", 0), 0u) << listing;
    EXPECT_EQ(listing.size(), 492u);
    ASSERT_TRUE(ReadWholeFile(Path("s.txt"), bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind("Device: KX400\r\n\r\nSystem parameters:\r\n", 0), 0u);
    r = Calc({"--device", "KX900", "--set", "if_stage=3", "--report", "registers", Path("e.txt"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The listing's five calculations show the external-filter message too.
    EXPECT_EQ(json::parse(r.out)["messages"].size(), 6u);
}

TEST_F(TessaryCalc, KX400EepFilesThroughTheFrameView) {
    ASSERT_EQ(Calc({"--device", "KX400", "--eep-save", Path("a.eep")}).status, 0);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("a.eep"), bytes, error));
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text, "00:002A\r\n01:130B\r\n02:0141\r\n03:06E1\r\n04:0A00\r\n05:1A03\r\n06:0B6C\r\n07:0040\r\n");
    text.replace(9 * 7 + 3, 4, "0FFF");
    ASSERT_TRUE(WriteWholeFile(Path("b.eep"), text, error));
    const CalcResult r = Calc({"--device", "KX400", "--eep-load", Path("b.eep"), "--download", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["board"]["H"], 0x0FFF);
    EXPECT_EQ(j["register_view"][7], 0x0FFF);
    EXPECT_EQ(j["board"]["A"], 0x002A);
    text.replace(3, 4, "2000");  // more than 13 bits
    ASSERT_TRUE(WriteWholeFile(Path("c.eep"), text, error));
    EXPECT_EQ(Calc({"--device", "KX400", "--eep-load", Path("c.eep")}).status, 1);
}

TEST_F(TessaryCalc, OpenKeepsTheDocumentsDeviceNumber) {
    ASSERT_EQ(Calc({"--device", "KX900", "--set", "rf=915", "--save", Path("k.tsy")}).status, 0);
    const CalcResult r = Calc({"--device", "KX400", "--open", Path("k.tsy"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["device"], "KX400");
    EXPECT_EQ(j["config"]["device_number"], 9.0);
    EXPECT_EQ(j["config"]["rf"], 915e6);
    EXPECT_EQ(Frames(j)[1] >> 11, 1);  // the KX900's device bits
    EXPECT_EQ(j["components"]["L51"], " 10");
}

TEST_F(TessaryCalc, KX400ThroughTheProgram) {
    const CalcResult r = Program("--device KX400 --download --lock");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  00h  Frame A    002A"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Lock indicator: In Lock"), std::string::npos) << r.out;
    EXPECT_EQ(Program("--device KX400 --read-back").status, 1);
}

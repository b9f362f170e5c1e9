// tessary-calc --device KX6300: the field names, the JSON, and the board operations as
// the wire carries them (the port trace replayed into a virtual KX6300).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "CalcTestSupport.h"
#include "sim/Boards.h"
#include "sim/VirtualPort.h"

using namespace tessary;
using namespace tessary::calctest;
using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Pair;

namespace {

std::vector<int> Slots(const json& j) { return j.at("slots").get<std::vector<int>>(); }

const std::vector<std::string> kViewRegisters = {"00", "01", "02", "03", "04", "05", "06", "07", "08",
                                                 "09", "0A", "0B", "0C", "0D", "0E", "11", "13", "1C",
                                                 "40", "41", "42", "43", "44", "45", "46"};

// The keys in the order the program wrote them.
std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

class TessaryCalcKX6300 : public TessaryCalc {
protected:
    // Runs with every port access traced; the writes a KX6300 decodes from them.
    CalcResult Traced(std::vector<std::string> args) {
        const std::string trace = Path("trace.txt");
        ::setenv("LPTLINK_SIM_TRACE", trace.c_str(), 1);
        args.insert(args.begin(), {"--device", "KX6300"});
        const CalcResult r = Calc(args);
        ::unsetenv("LPTLINK_SIM_TRACE");
        wire = std::make_unique<sim::VirtualPort>(sim::PortTable{0x378, 0, 0});
        auto board = std::make_unique<sim::ThreeWireBoard>("kx6300");
        chip = board.get();
        wire->Attach(std::move(board));
        std::ifstream in(trace);
        std::string stamp, kind;
        unsigned address = 0, value = 0;
        while (in >> stamp >> kind >> std::hex >> address >> value >> std::dec)
            if (kind == "W") wire->Write(static_cast<std::uint16_t>(address), static_cast<std::uint8_t>(value));
        return r;
    }
    std::vector<int> WrittenAddresses() const {
        std::vector<int> a;
        for (const auto& [address, value] : chip->Writes()) a.push_back(address);
        return a;
    }

    std::unique_ptr<sim::VirtualPort> wire;
    sim::ThreeWireBoard* chip = nullptr;
};

}  // namespace

TEST_F(TessaryCalcKX6300, FieldNamesAndIndices) {
    for (const char* field : {"ppm=20", "dir_a=1", "optimal=0", "low_current=1", "if_rssi=0", "rx_mode=0"}) {
        const CalcResult r = Calc({"--device", "KX6300", "--set", field});
        EXPECT_EQ(r.status, 1) << field;
        EXPECT_NE(r.err.find("the fields are: xtal rf_a rf_b sep rate power format shape lock mode xosc active\n"),
                  std::string::npos)
            << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    for (const char* bad : {"format=3", "shape=4", "lock=4", "mode=5", "xosc=2", "active=2", "mode=-1"})
        EXPECT_EQ(Calc({"--device", "KX6300", "--set", bad}).status, 1) << bad;
    const CalcResult r = Calc({"--device", "kx6300", "--json", "--set", "format=2", "--set", "shape=3", "--set",
                               "lock=3", "--set", "mode=4", "--set", "xosc=1", "--set", "active=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(j["config"], json::parse(R"({"xtal": 14.7456, "rf_a": 868.3, "rf_b": 868.3, "sep": 64.0, "rate": 2.4,
        "power": 0.0, "format": 2, "shape": 3, "lock": 3, "mode": 4, "xosc": 1, "active": 1})"));
    EXPECT_EQ(Slots(j)[0], 0x51);
    EXPECT_EQ(Slots(j)[16], 0x0F);
    EXPECT_EQ(j["current_mA"], 5.0);
}

TEST_F(TessaryCalcKX6300, JsonOfTheDefaults) {
    const CalcResult r = Calc({"--device", "KX6300", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::ordered_json::parse(r.out);
    EXPECT_THAT(Keys(j), ElementsAre("device", "slots", "components", "current_mA", "messages", "config"));
    EXPECT_EQ(j["device"], "KX6300");
    const auto s = Slots(j);
    ASSERT_EQ(s.size(), 70u);
    const std::vector<int> used = {0x01, 0x58, 0x33, 0x25, 0x58, 0x33, 0x25, 0x01, 0xAB, 0xF3, 0x00,
                                   0x50, 0x30, 0x10, 0x26, 0x27, 0x01};
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i < used.size()) EXPECT_EQ(s[i], used[i]) << i;
        else if (i == 28) EXPECT_EQ(s[i], 0x25);
        else EXPECT_EQ(s[i], 0) << i;  // PRESCALER (25) and the unused slots
    }
    EXPECT_EQ(json(j["components"]), json::parse(R"({"L1": "5.6", "L2": "2.5", "C1": "4.7", "C2": "5.6"})"));
    EXPECT_THAT(Keys(j["components"]), ElementsAre("L1", "L2", "C1", "C2"));
    EXPECT_EQ(j["current_mA"], 14.2);
    EXPECT_TRUE(j["messages"].empty());
    EXPECT_THAT(Keys(j["config"]), ElementsAre("xtal", "rf_a", "rf_b", "sep", "rate", "power", "format", "shape",
                                               "lock", "mode", "xosc", "active"));
}

TEST_F(TessaryCalcKX6300, DownloadLandsTheNineteenRegistersInOrder) {
    const CalcResult r = Traced({"--download", "--read-back", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::ordered_json::parse(r.out);
    EXPECT_THAT(WrittenAddresses(), ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                                0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x42));
    const auto s = Slots(j);
    const int slots[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 25, 28};
    for (std::size_t i = 0; i < chip->Writes().size(); ++i) EXPECT_EQ(chip->Writes()[i].second, s[slots[i]]) << i;
    EXPECT_THAT(Keys(j["board"]), ElementsAreArray(kViewRegisters));
    EXPECT_THAT(Keys(j["read_back"]), ElementsAreArray(kViewRegisters));
    for (const auto& key : kViewRegisters) EXPECT_EQ(j["read_back"][key], j["board"][key]) << key;
    EXPECT_EQ(j["board"]["42"], 0x25);
    EXPECT_EQ(j["board"]["40"], 0);  // the form never writes the other test registers
}

TEST_F(TessaryCalcKX6300, ResetAndCalibrateOnTheWire) {
    const CalcResult r = Traced({"--chip-reset", "--calibrate", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(chip->Writes(), ElementsAre(Pair(0x00, 0x00), Pair(0x00, 0x01), Pair(0x0E, 0x26), Pair(0x0E, 0xA6),
                                            Pair(0x0E, 0x26)));
}

TEST_F(TessaryCalcKX6300, DefaultsDownloadedAndCalibratedAreInLock) {
    CalcResult r = Calc({"--device", "KX6300", "--download", "--calibrate", "--lock", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["lock"], "In Lock");
    r = Calc({"--device", "KX6300", "--download", "--lock", "--json"});
    EXPECT_EQ(json::parse(r.out)["lock"], "Not Locked");
    r = Calc({"--device", "KX6300", "--set", "lock=3", "--download", "--calibrate", "--lock", "--json"});
    EXPECT_EQ(json::parse(r.out)["lock"], "Not Locked");
}

TEST_F(TessaryCalcKX6300, RefusedValueExitsTwoAndStillDownloads) {
    const CalcResult r = Traced({"--set", "rf_a=433.92", "--set", "power=13", "--json", "--download", "--save",
                                 Path("x.tsy"), "--report", "settings", Path("s.txt"), "--eep-save", Path("e.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err, "Please enter a number between -20 and 12.\n");
    EXPECT_FALSE(fs::exists(dir / "x.tsy"));
    EXPECT_FALSE(fs::exists(dir / "s.txt"));
    EXPECT_FALSE(fs::exists(dir / "e.eep"));
    ASSERT_EQ(chip->Writes().size(), 19u);
    EXPECT_EQ(chip->Register(0x01), 0x58);  // the defaults' 868 MHz word, not 433.92 MHz
    EXPECT_EQ(chip->Register(0x0B), 0x50);
}

TEST_F(TessaryCalcKX6300, EepFileThroughTheRegisterView) {
    ASSERT_EQ(Calc({"--device", "KX6300", "--eep-save", Path("a.eep")}).status, 0);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(Path("a.eep"), bytes, error));
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text,
              "00:01\r\n01:58\r\n02:33\r\n03:25\r\n04:58\r\n05:33\r\n06:25\r\n07:01\r\n08:AB\r\n09:F3\r\n0A:00\r\n"
              "0B:50\r\n0C:30\r\n0D:10\r\n0E:26\r\n11:27\r\n13:01\r\n1C:00\r\n40:10\r\n41:08\r\n42:25\r\n43:04\r\n"
              "44:00\r\n45:00\r\n46:00\r\n");
    text.replace(7 * 11 + 3, 2, "3c");  // PA_POW
    ASSERT_TRUE(WriteWholeFile(Path("b.eep"), text, error));
    const CalcResult r = Traced({"--eep-load", Path("b.eep"), "--download", "--read-back", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    // The view's own download: the test registers go too.
    EXPECT_THAT(WrittenAddresses(), ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                                0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x40, 0x41, 0x42, 0x43,
                                                0x44, 0x45, 0x46));
    EXPECT_EQ(j["board"]["0B"], 0x3C);
    EXPECT_EQ(j["board"]["41"], 0x08);
    EXPECT_NE(j["read_back_listing"].get<std::string>().find("0Ah:\t00\tXOSC\n0Bh:\t3C\tPA_POW\n"),
              std::string::npos);
}

TEST_F(TessaryCalcKX6300, TheProgramItself) {
    const CalcResult r = Program("--device KX6300 --set rf_a=433.92 --set power=12");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Device: KX6300\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  0Bh  PA_POW     FF\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  1Ch  PRESCALER  00\n"), std::string::npos);
    EXPECT_NE(r.out.find("  L1 = 33.0 nH\n"), std::string::npos);
    EXPECT_NE(r.out.find("23.30000 mA"), std::string::npos);
    EXPECT_EQ(r.out.find("Messages:"), std::string::npos);
}

// For random register images, every control of the port, interrupt, SPI, flash, power
// and A/D converter views shows what the views' tables say, and every box, list and
// field changes exactly the bits they name. The expectations are written here from
// the tables, apart from the views' own.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <map>
#include <random>
#include <tuple>

#include "display/core/SfrMap.h"
#include "tests/display/PanelRig.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::PanelRig;
using Image = std::array<std::uint8_t, 256>;

namespace {

struct Box {
    std::string view, id;
    std::uint8_t reg;
    int bit;
    bool clickable = true;
};

// The ports: direction and value of each pin shown, alone and in the all-ports view.
void AddPorts(std::vector<Box>& boxes) {
    struct P {
        int top;
        std::uint8_t value, dir;
    };
    const P ports[] = {{3, 0x80, 0xA4}, {7, 0x90, 0xA5}, {7, 0xA0, 0xA6}, {5, 0xB0, 0xA7}};
    for (int n = 0; n < 4; ++n)
        for (int bit = 0; bit <= ports[n].top; ++bit) {
            const std::string b = std::to_string(bit), pn = "P" + std::to_string(n) + " ";
            boxes.push_back({"port" + std::to_string(n), "Dir " + b, ports[n].dir, bit});
            boxes.push_back({"port" + std::to_string(n), "Value " + b, ports[n].value, bit});
            boxes.push_back({"ports", pn + "Dir " + b, ports[n].dir, bit});
            boxes.push_back({"ports", pn + "Value " + b, ports[n].value, bit});
        }
}

std::vector<Box> AllBoxes() {
    std::vector<Box> boxes = {
        {"interrupts", "FWI E", 0xD8, 5, false}, {"interrupts", "FWI F", 0xD8, 4, false},
        {"interrupts", "int0_n E", 0xA8, 0},     {"interrupts", "int0_n F", 0x88, 1},
        {"interrupts", "int0_n P", 0xB8, 0},     {"interrupts", "TF0 E", 0xA8, 1},
        {"interrupts", "TF0 F", 0x88, 5},        {"interrupts", "TF0 P", 0xB8, 1},
        {"interrupts", "int1_n E", 0xA8, 2},     {"interrupts", "int1_n F", 0x88, 3},
        {"interrupts", "int1_n P", 0xB8, 2},     {"interrupts", "TF1 E", 0xA8, 3},
        {"interrupts", "TF1 F", 0x88, 7},        {"interrupts", "TF1 P", 0xB8, 3},
        {"interrupts", "RI_0 E", 0xA8, 4},       {"interrupts", "RI_0 F", 0x98, 0},
        {"interrupts", "TI_0 F", 0x98, 1},       {"interrupts", "RI_0 P", 0xB8, 4},
        {"interrupts", "RI_1 E", 0xA8, 6, false}, {"interrupts", "RI_1 F", 0xC0, 0, false},
        {"interrupts", "TI_1 F", 0xC0, 1, false}, {"interrupts", "RI_1 P", 0xB8, 6, false},
        {"interrupts", "RFI E", 0xE8, 0},        {"interrupts", "RFI F", 0x91, 4},
        {"interrupts", "RFI P", 0xF8, 0},        {"interrupts", "TF2 E", 0xE8, 1},
        {"interrupts", "TF2 F", 0x91, 5},        {"interrupts", "TF2 P", 0xF8, 1},
        {"interrupts", "TF3 E", 0xE8, 3},        {"interrupts", "TF3 F", 0x91, 7},
        {"interrupts", "TF3 P", 0xF8, 3},        {"interrupts", "ADF E", 0xE8, 2},
        {"interrupts", "ADF F", 0x91, 6},        {"interrupts", "ADF P", 0xF8, 2},
        {"interrupts", "ADC E", 0x96, 7},        {"interrupts", "ADC F", 0x96, 6},
        {"interrupts", "DES E", 0xC3, 6},        {"interrupts", "DES F", 0xC3, 5},
        {"interrupts", "RTCI E", 0xE8, 4},       {"interrupts", "RTCI F", 0xD8, 2},
        {"interrupts", "RTCI P", 0xF8, 4},
        {"spi", "Special purpose mode", 0xA1, 6}, {"spi", "SPI enable", 0xA1, 5},
        {"spi", "SPI Active (transmitting data)", 0xA3, 1}, {"spi", "Write collision flag", 0xA3, 0},
        {"flash", "Idle mode", 0x87, 0, false},  {"flash", "Write flash start bit", 0xAF, 4, false},
        {"power", "Core power down", 0xC8, 2},   {"power", "Bias power down", 0xC8, 1},
        {"power", "Osc. power down", 0xD1, 1},   {"power", "Osc. bypass", 0xD1, 2},
        {"adc", "Run", 0x93, 2},
    };
    AddPorts(boxes);
    return boxes;
}

struct Field {  // bits high..low of reg; a list with `entries`, or a number min..max
    std::string view, id;
    std::uint8_t reg;
    int high, low, entries;
};
const Field kLists[] = {
    {"spi", "Data order", 0xA1, 4, 4, 2},           {"spi", "Clock polarity", 0xA1, 3, 3, 2},
    {"spi", "Clock phase", 0xA1, 2, 2, 2},          {"spi", "Clock rate", 0xA1, 1, 0, 4},
    {"flash", "Low power", 0xAF, 6, 5, 3},          {"power", "Clock source", 0xD1, 0, 0, 2},
    {"power", "Flash power mode", 0xAF, 6, 5, 3},   {"power", "Xdata stretch cyc.", 0x8E, 2, 0, 8},
    {"adc", "Mode", 0x93, 5, 4, 4},                 {"adc", "Power", 0x93, 7, 7, 2},
    {"adc", "Voltage ref", 0x93, 3, 3, 2},          {"adc", "Analog input", 0x93, 1, 0, 4},
};
struct Number {
    std::string view, id;
    std::uint8_t reg;
    int high, low, min, max;
};
const Number kNumbers[] = {
    {"flash", "Xdata page", 0xAF, 3, 0, 0, 15},
    {"flash", "Flash page", 0xAE, 7, 0, 0, 255},
    {"adc", "Comp. thresh", 0x97, 7, 0, 0, 255},
};

const char* const kViews[] = {"ports", "port0", "port1", "port2", "port3", "interrupts", "spi", "flash", "power", "adc"};

int Bits(const Image& d, std::uint8_t reg, int high, int low) { return (d[reg] >> low) & ((1 << (high - low + 1)) - 1); }
void SetBits(Image& d, std::uint8_t reg, int high, int low, int value) {
    const int mask = ((1 << (high - low + 1)) - 1) << low;
    d[reg] = static_cast<std::uint8_t>((d[reg] & ~mask) | ((value << low) & mask));
}
std::string Hex2(int v) {
    char b[3];
    std::snprintf(b, sizeof b, "%02X", v);
    return b;
}
int DifferentBits(const Image& a, const Image& b) {
    int n = 0;
    for (int i = 0; i < 256; ++i) n += std::popcount(static_cast<unsigned>(a[i] ^ b[i]));
    return n;
}

Image RandomImage(std::mt19937& random) {
    Image d{};
    for (int a = 0x80; a <= 0xFF; ++a) d[a] = static_cast<std::uint8_t>(random());
    return d;
}

struct Rigs {
    std::map<std::string, std::unique_ptr<PanelRig>> views;
    Image image{};
    Rigs(const Image& d, std::uint32_t clock) : image(d) {
        for (const char* v : kViews) {
            auto r = std::make_unique<PanelRig>(v);
            r->t.data = d;
            r->t.clockHz = clock;
            r->Show();
            views[v] = std::move(r);
        }
    }
    PanelRig& operator[](const std::string& v) { return *views.at(v); }
    // The target as it was, the view showing it.
    PanelRig& Fresh(const std::string& v) {
        PanelRig& r = *views.at(v);
        r.t.data = image;
        r.Show();
        return r;
    }
};

class PanelTables : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(PanelTables, EveryControlShowsItsRegisters) {
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    const Image d = RandomImage(random);
    const std::uint32_t clocks[] = {14745600, 0xFFFFFFFFu, 32768, static_cast<std::uint32_t>(random())};
    const std::uint32_t clock = clocks[GetParam() % 4];
    Rigs rigs(d, clock);

    for (const Box& b : AllBoxes()) {
        EXPECT_EQ(rigs[b.view].S(b.id).checked, ((d[b.reg] >> b.bit) & 1) != 0) << b.view << " " << b.id;
        EXPECT_EQ(rigs[b.view].S(b.id).enabled, b.clickable) << b.view << " " << b.id;
    }
    for (const Field& f : kLists) {
        const int value = Bits(d, f.reg, f.high, f.low);
        EXPECT_EQ(rigs[f.view].S(f.id).index, value < f.entries ? value : -1) << f.id;
        EXPECT_EQ(rigs[f.view].C(f.id).items.size(), static_cast<std::size_t>(f.entries)) << f.id;
    }
    for (const Number& n : kNumbers)
        EXPECT_EQ(rigs[n.view].S(n.id).text, std::to_string(Bits(d, n.reg, n.high, n.low))) << n.id;
    EXPECT_EQ(rigs["spi"].S("SPI data").text, Hex2(d[0xA2]));
    EXPECT_EQ(rigs["flash"].S("FLTIM").text, Hex2(d[0xDD] & 0x3F));

    const std::vector<std::string> rates = {std::to_string(clock / 8) + "Hz", std::to_string(clock / 16) + "Hz",
                                            std::to_string(clock / 32) + "Hz", std::to_string(clock / 64) + "Hz"};
    EXPECT_EQ(rigs["spi"].C("Clock rate").items, rates);

    const int divider = 16 * ((d[0x96] & 0x3F) + 1);
    EXPECT_EQ(rigs["adc"].S("Clock div").text, std::to_string(divider));
    EXPECT_EQ(rigs["adc"].S("-> Freq").text, std::to_string((d[0xD1] & 1) ? 32768u : clock / divider));
    EXPECT_EQ(rigs["adc"].S("Data output").text, std::to_string((d[0x95] & 3) * 256 + d[0x94]));

    const bool spe = d[0xA1] & 0x20, spm = d[0xA1] & 0x40, m2 = d[0xA9] & 0x01, m3 = d[0xA9] & 0x04;
    const bool shown[] = {spe, spe, spe && !spm, m2, m3};
    const char* lines[] = {"A  SPI SCK Output (SPCR.SPE = 1)", "B  SPI MO Output (SPCR.SPE = 1)",
                           "C  SPI MI Input (SPCR.SPE = 1 & SPCR.SPM = 0)", "D  PWM2 Output (TCON2.M2 = 1)",
                           "E  PWM3 Output (TCON2.M3 = 1)"};
    std::vector<std::string> expectedLines;
    for (int i = 0; i < 5; ++i) {
        const std::string marker(1, static_cast<char>('A' + i));
        EXPECT_EQ(rigs["ports"].S(marker).visible, shown[i]) << marker;
        if (shown[i]) expectedLines.emplace_back(lines[i]);
    }
    EXPECT_EQ(rigs["ports"].C("Alternate functions").items, expectedLines);
}

// Every box once, to the state it does not show: exactly its bit changes; a box
// shown only writes nothing.
TEST_P(PanelTables, EveryBoxChangesExactlyItsBit) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 500);
    const Image d = RandomImage(random);
    Rigs rigs(d, 14745600);
    for (const Box& b : AllBoxes()) {
        PanelRig& r = rigs.Fresh(b.view);
        const bool on = ((d[b.reg] >> b.bit) & 1) == 0;
        r.view->Click(b.id, on);
        Image expected = d;
        if (b.clickable) SetBits(expected, b.reg, b.bit, b.bit, on);
        EXPECT_EQ(r.t.data, expected) << b.view << " " << b.id;
        EXPECT_EQ(DifferentBits(r.t.data, d), b.clickable ? 1 : 0) << b.view << " " << b.id;
        EXPECT_EQ(r.t.Writes().size(), b.clickable ? 1u : 0u) << b.view << " " << b.id;
    }
}

TEST_P(PanelTables, EveryListAndFieldChangesExactlyItsBits) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 900);
    const Image d = RandomImage(random);
    Rigs rigs(d, 14745600);
    for (const Field& f : kLists)
        for (int entry = 0; entry < f.entries; ++entry) {
            PanelRig& r = rigs.Fresh(f.view);
            Image expected = d;
            SetBits(expected, f.reg, f.high, f.low, entry);
            r.view->Select(f.id, entry);
            EXPECT_EQ(r.t.data, expected) << f.id << " " << entry;
        }
    for (const Number& n : kNumbers) {
        PanelRig& r = rigs.Fresh(n.view);
        const int typed = static_cast<int>(random() % 400);
        const int value = std::min(typed, n.max);
        Image expected = d;
        SetBits(expected, n.reg, n.high, n.low, value);
        r.Commit(n.id, std::to_string(typed));
        EXPECT_EQ(r.t.data, expected) << n.id << " " << typed;
        EXPECT_EQ(r.S(n.id).text, std::to_string(value)) << n.id;
    }
    for (auto [view, id, reg] : {std::tuple{"spi", "SPI data", 0xA2}, std::tuple{"flash", "FLTIM", 0xDD}}) {
        PanelRig& r = rigs.Fresh(view);
        Image expected = d;
        expected[reg] = static_cast<std::uint8_t>(random());
        r.Commit(id, Hex2(expected[reg]));
        EXPECT_EQ(r.t.data, expected) << id;
    }
    PanelRig& adc = rigs.Fresh("adc");
    const int typed = static_cast<int>(random() % 1200);
    const int divider = std::clamp(typed, 16, 1024);
    Image expected = d;
    SetBits(expected, 0x96, 5, 0, (divider - 16) / 16);
    adc.Commit("Clock div", std::to_string(typed));
    EXPECT_EQ(adc.t.data, expected) << typed;
    EXPECT_EQ(adc.S("Clock div").text, std::to_string(typed == divider ? typed : divider));
}

// The views read the SFR block and nothing else; their writes are single bytes of
// space 0xF0 at offsets 0x80..0xFF.
TEST_P(PanelTables, TheViewsStayInsideTheSfrBlock) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 1300);
    Rigs rigs(RandomImage(random), 14745600);
    for (const char* v : kViews) {
        PanelRig& r = rigs.Fresh(v);
        for (const Control& c : r.view->Controls()) {
            if (c.Kind() == ControlKind::Check) r.view->Click(c.Id(), !c.screen.checked);
            if (c.Kind() == ControlKind::List && !c.items.empty()) r.view->Select(c.Id(), 0);
            if (c.Editable()) r.Commit(c.Id(), "1");
        }
        r.view->Update();
        for (const std::string& line : r.t.log) {
            if (line[0] == 'R') {
                EXPECT_EQ(line.substr(0, 8), "R F00000") << v;
                EXPECT_TRUE(line == "R F0000080 128" || line.ends_with(" 1")) << v << ": " << line;
            } else {
                EXPECT_EQ(line.substr(0, 8), "W F00000") << v << ": " << line;
                EXPECT_EQ(line.substr(10, 3), " 1 ") << v << ": " << line;
            }
            EXPECT_GE(line.substr(8, 2), "80") << v << ": " << line;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RandomImages, PanelTables, ::testing::Range(1, 31));

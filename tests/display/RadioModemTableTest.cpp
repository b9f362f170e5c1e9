// For random register images and clocks, every control of the Radio & Modem view shows
// what the view's tables say, and every action changes exactly the bits they name.
// The expectations are written here from the tables, apart from the view's own.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/core/CRadioModemDlg.h"
#include "display/core/SfrMap.h"
#include "display/core/TextFunctions.h"
#include "tests/display/FakeTarget.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::FakeTarget;

namespace {

struct Bit {
    const char* id;
    std::uint8_t reg;
    int bit;
    bool inverted;
    bool clickable;
};
const Bit kBoxes[] = {
    {"FS power down", RFMAIN, 3, false, true},       {"FS reset", FSCTRL, 0, true, true},
    {"Using A", RFMAIN, 6, true, true},              {"Using B", RFMAIN, 6, false, true},
    {"Enable alarm", PLL, 2, true, true},            {"Alarm high", PLL, 1, false, false},
    {"Alarm low", PLL, 0, false, false},             {"Use external loop filter", FSCTRL, 4, false, true},
    {"Enable data shaping", FSCTRL, 1, true, true},  {"Dither '0's", FSCTRL, 2, false, true},
    {"Dither '1's", FSCTRL, 3, false, true},         {"Dual calib.", CAL, 6, false, true},
    {"Long calib.", CAL, 5, false, true},            {"High calib. current", CAL, 4, false, true},
    {"Calib. start", CAL, 7, false, true},           {"Calib. complete", CAL, 3, false, false},
    {"Modem reset", MODEM1, 0, true, true},          {"Enable", MODEM1, 1, false, true},
};

struct Field {  // bits high..low of reg
    const char* id;
    std::uint8_t reg;
    int high, low, entries;
};
const Field kLists[] = {
    {"RX/TX", RFMAIN, 7, 7, 2},
    {"VCO current", CURRENT, 7, 4, 16},
    {"LO drive", CURRENT, 3, 2, 4},
    {"PA drive", CURRENT, 1, 0, 4},
    {"LNA buffer current", FREND, 5, 5, 2},
    {"LNA current", FREND, 4, 3, 4},
    {"PA power, +5dBm array", PA_POW, 7, 4, 16},
    {"PA power, -5dBm array", PA_POW, 3, 0, 16},
    {"RX match", MATCH, 7, 4, 16},
    {"TX match", MATCH, 3, 0, 16},
    {"Prescaler swing", PRESCALER, 7, 6, 4},
    {"Prescaler current", PRESCALER, 5, 4, 4},
    {"Accuracy", LOCK, 3, 3, 2},
    {"Length", LOCK, 2, 2, 2},
    {"Baud rate", MODEM0, 7, 5, 6},
    {"Specified crystal freq.", MODEM0, 2, 0, 6},
    {"Data format", MODEM0, 4, 3, 4},
    {"Manchester violation limit", RFCON, 3, 1, 8},
    {"Settling time (auto only)", MODEM1, 3, 2, 4},
};

struct Number {
    const char* id;
    std::uint8_t reg;
    int high, low, min, max;
};
const Number kNumbers[] = {
    {"FSHAPE7", FSHAPE7, 4, 0, 0, 31}, {"FSHAPE6", FSHAPE6, 4, 0, 0, 31}, {"FSHAPE5", FSHAPE5, 4, 0, 0, 31},
    {"FSHAPE4", FSHAPE4, 4, 0, 0, 31}, {"FSHAPE3", FSHAPE3, 4, 0, 0, 31}, {"FSHAPE2", FSHAPE2, 4, 0, 0, 31},
    {"FSHAPE1", FSHAPE1, 4, 0, 0, 31}, {"Ref. freq. divider", PLL, 7, 3, 2, 23},
    {"Required preamble bits", PDET, 6, 0, 0, 127}, {"Peak level offset", MODEM2, 6, 0, 0, 127},
};

struct HexBytes {
    const char* id;
    std::vector<std::uint8_t> regs;  // as shown, first digits first
};
const HexBytes kHex[] = {
    {"RF buffer", {RFBUF}},       {"Freq. A", {FREQ2A, FREQ1A, FREQ0A}}, {"Freq. B", {FREQ2B, FREQ1B, FREQ0B}},
    {"Transmit freq. shaping delay", {FSDELAY}}, {"Sync. byte", {BSYNC}},
};

int Bits(const FakeTarget& t, std::uint8_t reg, int high, int low) { return (t.data[reg] >> low) & ((1 << (high - low + 1)) - 1); }
void SetBits(std::array<std::uint8_t, 256>& d, std::uint8_t reg, int high, int low, int value) {
    const int mask = ((1 << (high - low + 1)) - 1) << low;
    d[reg] = static_cast<std::uint8_t>((d[reg] & ~mask) | ((value << low) & mask));
}
std::string Hex(const std::array<std::uint8_t, 256>& d, const std::vector<std::uint8_t>& regs) {
    std::string s;
    char b[3];
    for (auto r : regs) {
        std::snprintf(b, sizeof b, "%02X", d[r]);
        s += b;
    }
    return s;
}

struct Rig {
    FakeTarget t;
    SfrAccess sfr{t};
    RecordingNotifier notifier;
    std::unique_ptr<CRadioModemDlg> view;
    std::array<std::uint8_t, 256> image{};
    void Load(const std::array<std::uint8_t, 256>& d, std::uint32_t clock) {
        image = d;
        t.data = d;
        t.clockHz = clock;
        view = std::make_unique<CRadioModemDlg>(sfr, notifier, Precheck::None);
        view->Update();
        t.ClearLog();
    }
    void Reset() {
        t.data = image;
        view->Update();
        t.ClearLog();
    }
    const Control& C(const char* id) { return *view->Find(id); }
};

class RadioTables : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(RadioTables, EveryControlShowsItsRegisters) {
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    std::array<std::uint8_t, 256> d{};
    for (int a = 0x80; a <= 0xFF; ++a) d[a] = static_cast<std::uint8_t>(random());
    const std::uint32_t clocks[] = {14745600, 0, 0xFFFFFFFFu, static_cast<std::uint32_t>(random())};
    const std::uint32_t clock = clocks[GetParam() % 4];
    Rig r;
    r.Load(d, clock);

    for (const Bit& b : kBoxes) {
        EXPECT_EQ(r.C(b.id).screen.checked, (((d[b.reg] >> b.bit) & 1) != 0) != b.inverted) << b.id;
        EXPECT_EQ(r.C(b.id).screen.enabled, b.clickable) << b.id;
    }
    for (const Field& f : kLists) {
        const int value = Bits(r.t, f.reg, f.high, f.low);
        EXPECT_EQ(r.C(f.id).screen.index, value < f.entries ? value : -1) << f.id;
        EXPECT_EQ(r.C(f.id).items.size(), static_cast<std::size_t>(f.entries)) << f.id;
    }
    for (const Number& n : kNumbers)
        EXPECT_EQ(r.C(n.id).screen.text, std::to_string(Bits(r.t, n.reg, n.high, n.low))) << n.id;
    for (const HexBytes& h : kHex) EXPECT_EQ(r.C(h.id).screen.text, Hex(d, h.regs)) << h.id;

    EXPECT_EQ(r.C("Instant lock").screen.text, (d[LOCK] & 2) ? "In lock" : "Out of lock");
    EXPECT_EQ(r.C("Cont. lock").screen.text, (d[LOCK] & 1) ? "In lock" : "Out of lock");
    EXPECT_EQ(r.C("Average filter status").screen.text, (d[MODEM1] & 0x10) ? "Locked" : "Free running");

    const int ad2 = ((d[FREND] >> 1) & 3) | (d[PRESCALER] & 0x0C);
    const int ad2Entry = ad2 == 0 ? 0 : (ad2 & 3) == 1 ? 4 : (ad2 == 4 || ad2 == 12) ? 2 : ad2 == 8 ? 3 : 1;
    EXPECT_EQ(r.C("AD2 pin").screen.index, ad2Entry);
    EXPECT_EQ(r.C("Mode").screen.index, (d[PDET] & 0x80) ? 2 : (d[RFCON] & 1) ? 1 : 0);
    EXPECT_EQ(r.C("Lock mode").screen.index, !(d[MODEM1] & 0x20) ? 0 : (d[MODEM1] & 0x40) ? 2 : 1);

    const int refdiv = d[PLL] >> 3;
    const double fRef = refdiv ? double(clock) / refdiv : 0;
    EXPECT_EQ(r.C("-> fRef").screen.text, refdiv ? FormatReal(fRef * 1e-6, 4) : "REFDIV=0!");
    const int fsep = (d[FSEP1] & 7) * 256 + d[FSEP0];
    EXPECT_EQ(r.C("Transmit freq. separation").screen.text, FormatReal(fsep * 6.103515625e-8 * fRef, 3));
    const double freqA = (d[FREQ2A] << 16 | d[FREQ1A] << 8 | d[FREQ0A]) + 8192;
    const double freqB = (d[FREQ2B] << 16 | d[FREQ1B] << 8 | d[FREQ0B]) + 8192;
    EXPECT_EQ(r.C("-> Freq. A").screen.text, FormatReal(freqA * 0.00006103515625 * 1e-6 * fRef, 4));
    EXPECT_EQ(r.C("-> Freq. B").screen.text, FormatReal(freqB * 0.00006103515625 * 1e-6 * fRef, 4));

    const int baud = d[MODEM0] >> 5, crystal = d[MODEM0] & 7, format = (d[MODEM0] >> 3) & 3;
    const auto rate = static_cast<long long>(std::trunc(double(clock) * std::pow(2.0, baud) / (crystal + 1) *
                                                        0.00008138020833333333));
    std::string real = "Data mode!";
    if (format < 2) real = baud < 6 && crystal < 6 ? std::to_string(format == 0 ? 2 * rate : rate) : "";
    EXPECT_EQ(r.C("-> real value").screen.text, real);
    EXPECT_EQ(r.C("Baud rate").items[0], format == 0 ? "600" : "300");
}

TEST_P(RadioTables, EveryActionChangesExactlyItsBits) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 1000);
    std::array<std::uint8_t, 256> d{};
    for (int a = 0x80; a <= 0xFF; ++a) d[a] = static_cast<std::uint8_t>(random());
    d[PLL] = static_cast<std::uint8_t>((d[PLL] & 0x07) | ((2 + random() % 22) << 3));  // a divider
    Rig r;
    r.Load(d, static_cast<std::uint32_t>(1000000 + random() % 30000000));

    for (const Bit& b : kBoxes) {
        for (bool on : {true, false}) {
            r.Reset();
            auto expected = d;
            if (b.clickable) SetBits(expected, b.reg, b.bit, b.bit, on != b.inverted);
            r.view->Click(b.id, on);
            EXPECT_EQ(r.t.data, expected) << b.id << " " << on;
        }
    }
    for (const Field& f : kLists) {
        for (int entry = 0; entry < f.entries; ++entry) {
            r.Reset();
            auto expected = d;
            SetBits(expected, f.reg, f.high, f.low, entry);
            r.view->Select(f.id, entry);
            EXPECT_EQ(r.t.data, expected) << f.id << " " << entry;
        }
    }
    const int ad2[][2] = {{0, 0}, {0, 2}, {1, 0}, {2, 0}, {0, 1}};  // PRESCALER bits 3..2, FREND bits 2..1
    for (int entry = 0; entry < 5; ++entry) {
        r.Reset();
        auto expected = d;
        SetBits(expected, PRESCALER, 3, 2, ad2[entry][0]);
        SetBits(expected, FREND, 2, 1, ad2[entry][1]);
        r.view->Select("AD2 pin", entry);
        EXPECT_EQ(r.t.data, expected) << entry;
    }
    for (int entry = 0; entry < 3; ++entry) {
        r.Reset();
        auto expected = d;
        if (entry < 2) SetBits(expected, RFCON, 0, 0, entry);
        SetBits(expected, PDET, 7, 7, entry == 2);
        r.view->Select("Mode", entry);
        EXPECT_EQ(r.t.data, expected) << "granularity " << entry;

        r.Reset();
        expected = d;
        SetBits(expected, MODEM1, 5, 5, entry > 0);
        if (entry > 0) SetBits(expected, MODEM1, 6, 6, entry == 2);
        r.view->Select("Lock mode", entry);
        EXPECT_EQ(r.t.data, expected) << "lock mode " << entry;
    }
    for (const Number& n : kNumbers) {
        r.Reset();
        const int typed = static_cast<int>(random() % 400) - 100;
        const int value = std::clamp(typed, n.min, n.max);
        auto expected = d;
        SetBits(expected, n.reg, n.high, n.low, value);
        r.view->TypeText(n.id, std::to_string(typed));
        r.view->Enter(n.id);
        EXPECT_EQ(r.t.data, expected) << n.id << " " << typed;
        EXPECT_EQ(r.C(n.id).screen.text, std::to_string(value)) << n.id;
    }
    for (const HexBytes& h : kHex) {
        r.Reset();
        auto expected = d;
        for (auto reg : h.regs) expected[reg] = static_cast<std::uint8_t>(random());
        r.view->TypeText(h.id, Hex(expected, h.regs));
        r.view->Enter(h.id);
        EXPECT_EQ(r.t.data, expected) << h.id;
    }
    r.Reset();
    const double kHz = static_cast<double>(random() % 300000) / 1000.0;
    const double fRef = double(r.t.clockHz) / (d[PLL] >> 3);
    const int fsep = std::min(2047, static_cast<int>(kHz * 16384 / fRef * 1000 + 0.5));
    auto expected = d;
    expected[FSEP0] = static_cast<std::uint8_t>(fsep & 0xFF);
    SetBits(expected, FSEP1, 2, 0, fsep >> 8);
    r.view->TypeText("Transmit freq. separation", FormatReal(kHz, 3));
    r.view->Enter("Transmit freq. separation");
    EXPECT_EQ(r.t.data, expected) << kHz;
}

INSTANTIATE_TEST_SUITE_P(RandomImages, RadioTables, ::testing::Range(1, 41));

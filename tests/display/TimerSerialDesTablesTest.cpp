// For random register images, XDATA contents and clocks, every control of the Timers,
// Serial Port 0/1 and DES views shows what the views' tables say, and every action
// changes exactly the bits they name. The expectations are written here from the
// tables, apart from the views' own.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "display/core/CDESDlg.h"
#include "display/core/CSerialDlg.h"
#include "display/core/CTimersDlg.h"
#include "display/core/SfrMap.h"
#include "display/core/TextFunctions.h"
#include "tests/display/FakeTarget.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::FakeTarget;
using Image = std::array<std::uint8_t, 256>;
using Strings = std::vector<std::string>;

namespace {

struct Bit {
    const char* id;
    std::uint8_t reg;
    int bit;
    bool clickable = true;
};
struct Field {  // bits high..low of reg
    const char* id;
    std::uint8_t reg;
    int high, low, max;
};

const Bit kTimerBoxes[] = {
    {"TF0", TCON, 5},   {"TF1", TCON, 7},   {"TF2", EXIF, 5},  {"TF3", EXIF, 7},
    {"TR0", TCON, 4},   {"TR1", TCON, 6},   {"TR2", TCON2, 1}, {"TR3", TCON2, 3},
    {"IE0", TCON, 1},   {"IE1", TCON, 3},   {"IT0", TCON, 0},  {"IT1", TCON, 2},
    {"GATE0", TMOD, 3}, {"GATE1", TMOD, 7}, {"CT0", TMOD, 2},  {"CT1", TMOD, 6},
    {"Realtime Clock Enable", RTCON, 7},    {"Watchdog Timer Enable", WDT, 3, false},
};
const Field kTimerLists[] = {  // max: the last entry
    {"T0 mode", TMOD, 1, 0, 3},  {"T1 mode", TMOD, 5, 4, 3},  {"T2 mode", TCON2, 0, 0, 1},
    {"T3 mode", TCON2, 2, 2, 1}, {"T0M - T0 clock select", CKCON, 3, 3, 1},
    {"T1M - T1 clock select", CKCON, 4, 4, 1}, {"Prescaler", WDT, 1, 0, 3},
};
const Field kTimerNumbers[] = {
    {"TH0", TH0, 7, 0, 255}, {"TL0", TL0, 7, 0, 255},     {"TH1", TH1, 7, 0, 255},
    {"TL1", TL1, 7, 0, 255}, {"T2", T2, 7, 0, 255},       {"T2PRE", T2PRE, 7, 0, 255},
    {"T3", T3, 7, 0, 255},   {"T3PRE", T3PRE, 7, 0, 255}, {"Reload value", RTCON, 6, 0, 127},
};

int Bits(const Image& d, std::uint8_t reg, int high, int low) { return (d[reg] >> low) & ((1 << (high - low + 1)) - 1); }
void SetBits(Image& d, std::uint8_t reg, int high, int low, int value) {
    const int mask = ((1 << (high - low + 1)) - 1) << low;
    d[reg] = static_cast<std::uint8_t>((d[reg] & ~mask) | ((value << low) & mask));
}
Image RandomImage(std::mt19937& random) {
    Image d{};
    for (int a = 0x80; a <= 0xFF; ++a) d[a] = static_cast<std::uint8_t>(random());
    return d;
}
std::uint32_t RandomClock(std::mt19937& random, int seed) {
    const std::uint32_t clocks[] = {11059200, 0xFFFFFFFFu, static_cast<std::uint32_t>(random()), 1};
    return clocks[seed % 4];
}

template <typename View>
struct Rig {
    FakeTarget t;
    SfrAccess sfr{t};
    RecordingNotifier notifier;
    std::unique_ptr<View> view;
    Image image{};
    Rig(const Image& d, std::uint32_t clock, Precheck precheck) : image(d) {
        t.data = d;
        t.clockHz = clock;
        view = std::make_unique<View>(sfr, notifier, precheck);
        Reset();
    }
    void Reset() {
        t.data = image;
        view->Update();
        t.ClearLog();
    }
    const Control& C(const std::string& id) { return *view->Find(id); }
    void Commit(const std::string& id, const std::string& text) {
        view->TypeText(id, text);
        view->Enter(id);
    }
};

class ViewTables : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(ViewTables, TimersShowTheirRegisters) {
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    const Image d = RandomImage(random);
    Rig<CTimersDlg> r(d, RandomClock(random, GetParam()), Precheck::Decimal);
    for (const Bit& b : kTimerBoxes) {
        EXPECT_EQ(r.C(b.id).screen.checked, ((d[b.reg] >> b.bit) & 1) != 0) << b.id;
        EXPECT_EQ(r.C(b.id).screen.enabled, b.clickable) << b.id;
    }
    for (const Field& f : kTimerLists) EXPECT_EQ(r.C(f.id).screen.index, Bits(d, f.reg, f.high, f.low)) << f.id;
    for (const Field& f : kTimerNumbers)
        EXPECT_EQ(r.C(f.id).screen.text, std::to_string(Bits(d, f.reg, f.high, f.low))) << f.id;

    struct Expect {
        int n, mode;
        std::uint8_t th, tl;
        bool counter;
    };
    for (const Expect e : {Expect{0, d[TMOD] & 3, d[TH0], d[TL0], (d[TMOD] & 0x04) != 0},
                           Expect{1, (d[TMOD] >> 4) & 3, d[TH1], d[TL1], (d[TMOD] & 0x40) != 0}}) {
        const std::string n = std::to_string(e.n), th = "TH" + n, tl = "TL" + n;
        const std::string labels[] = {th + "+" + tl + ": T" + n + " value (13):", th + "+" + tl + ": T" + n + " value (16):",
                                      th + " (reload) | " + tl + " (count):", th + " | " + tl + ":"};
        EXPECT_EQ(r.C("T" + n + " label").screen.text, labels[e.mode]);
        const bool single = e.mode < 2;
        EXPECT_EQ(r.C("T" + n + " value").screen.visible, single);
        EXPECT_EQ(r.C(th).screen.visible, !single);
        EXPECT_EQ(r.C(tl).screen.visible, !single);
        if (single) {
            const int value = e.mode == 0 ? e.th * 32 + (e.tl % 32) : e.th * 256 + e.tl;
            EXPECT_EQ(r.C("T" + n + " value").screen.text, std::to_string(value));
        }
        const std::string kind = e.counter ? "counter" : "timer";
        EXPECT_EQ(r.C("T" + n + " mode").items,
                  (Strings{"13-bit " + kind, "16-bit " + kind, "8-bit auto-reload " + kind, "Two 8-bit " + kind + "s"}));
    }
    for (int n : {2, 3}) {
        const std::string t = "T" + std::to_string(n);
        const bool pwm = (d[TCON2] >> (2 * (n - 2))) & 1;
        EXPECT_EQ(r.C(t + " label").screen.text, pwm ? t + " - Duty cycle of PWM:" : t + " - Timer " + t.substr(1) + " L'value:");
        EXPECT_EQ(r.C(t + "PRE label").screen.text,
                  pwm ? t + "PRE - Period of PWM:" : t + "PRE - Timer " + t.substr(1) + " H'value:");
    }
}

TEST_P(ViewTables, TimerActionsChangeExactlyTheirBits) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 500);
    const Image d = RandomImage(random);
    Rig<CTimersDlg> r(d, 14745600, Precheck::Decimal);
    for (const Bit& b : kTimerBoxes)
        for (bool on : {true, false}) {
            r.Reset();
            Image expected = d;
            if (b.clickable) SetBits(expected, b.reg, b.bit, b.bit, on);
            r.view->Click(b.id, on);
            EXPECT_EQ(r.t.data, expected) << b.id << " " << on;
        }
    for (const Field& f : kTimerLists)
        for (int entry = 0; entry <= f.max; ++entry) {
            r.Reset();
            Image expected = d;
            SetBits(expected, f.reg, f.high, f.low, entry);
            r.view->Select(f.id, entry);
            EXPECT_EQ(r.t.data, expected) << f.id << " " << entry;
        }
    for (const Field& f : kTimerNumbers) {
        r.Reset();
        const int typed = static_cast<int>(random() % 400);
        Image expected = d;
        SetBits(expected, f.reg, f.high, f.low, std::min(typed, f.max));
        r.Commit(f.id, std::to_string(typed));
        EXPECT_EQ(r.t.data, expected) << f.id << " " << typed;
        EXPECT_EQ(r.C(f.id).screen.text, std::to_string(std::min(typed, f.max))) << f.id;
    }
    for (int n : {0, 1}) {
        const std::uint8_t tl = n ? TL1 : TL0, th = n ? TH1 : TH0;
        const int mode = n ? (d[TMOD] >> 4) & 3 : d[TMOD] & 3;
        r.Reset();
        const int typed = static_cast<int>(random() % 70000);
        Image expected = d;
        int shown = typed;
        if (mode == 0) {
            shown = std::min(typed, 8191);
            expected[tl] = static_cast<std::uint8_t>(shown % 32);
            expected[th] = static_cast<std::uint8_t>(shown / 32);
        } else if (mode == 1) {
            shown = std::min(typed, 65535);
            expected[tl] = static_cast<std::uint8_t>(shown % 256);
            expected[th] = static_cast<std::uint8_t>(shown / 256);
        }
        const std::string id = "T" + std::to_string(n) + " value";
        r.Commit(id, std::to_string(typed));
        EXPECT_EQ(r.t.data, expected) << id << " mode " << mode << " " << typed;
        const Strings writes = r.t.Writes();
        if (mode < 2) {
            char head[16];
            std::snprintf(head, sizeof head, "W %08X 3 ", 0xF0000000u | tl);
            ASSERT_EQ(writes.size(), 1u) << id;
            EXPECT_EQ(writes[0].substr(0, 13), head) << id;
            EXPECT_EQ(r.C(id).screen.text, std::to_string(shown)) << id;
        } else {
            EXPECT_TRUE(writes.empty()) << id;
        }
    }
}

namespace {

struct SerialPort {
    std::uint8_t scon, sbuf, smodReg;
};

template <typename View>
void SerialShowsItsRegisters(int seed, const SerialPort& p) {
    std::mt19937 random(static_cast<unsigned>(seed));
    const Image d = RandomImage(random);
    const std::uint64_t clock = RandomClock(random, seed);
    Rig<View> r(d, static_cast<std::uint32_t>(clock), Precheck::Hex);
    const Bit boxes[] = {{"Multiproc. comm. enable", p.scon, 5}, {"Receive enable", p.scon, 4},
                         {"Transmit interrupt flag", p.scon, 1}, {"Receive interrupt flag", p.scon, 0},
                         {"2x baud rate (m: 1, 2, 3)", p.smodReg, 7}};
    for (const Bit& b : boxes) EXPECT_EQ(r.C(b.id).screen.checked, ((d[b.reg] >> b.bit) & 1) != 0) << b.id;
    EXPECT_EQ(r.C("Mode").screen.index, d[p.scon] >> 6);
    EXPECT_EQ(r.C("TB8").screen.text, std::to_string((d[p.scon] >> 3) & 1));
    EXPECT_EQ(r.C("RB8").screen.text, std::to_string((d[p.scon] >> 2) & 1));
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", d[p.sbuf]);
    EXPECT_EQ(r.C("Data buffer").screen.text, buffer);

    const int mode = d[p.scon] >> 6;
    const std::uint64_t smod = d[p.smodReg] >> 7;
    std::string rate;
    if (mode == 0) {
        rate = std::to_string(clock / ((d[p.scon] & 0x20) ? 4 : 12));
    } else if (mode == 2) {
        rate = std::to_string(clock / (smod ? 32 : 64));
    } else if (((d[TMOD] >> 4) & 3) != 2) {
        rate = "N/A";
    } else {
        rate = std::to_string((smod + 1) * clock / (256 - d[TH1]) / ((d[CKCON] & 0x10) ? 4 : 12) / 32);
    }
    const bool nine = mode >= 2;
    EXPECT_EQ(r.C("Status").items,
              (Strings{mode == 0 ? "Synchronous mode" : "Asynchronous mode", "Baud rate: " + rate,
                       nine ? "Data bits: 9" : "Data bits: 8", mode == 0 ? "Start/Stop bits: None" : "Start/Stop bits: 1 / 1",
                       nine ? "Parity bit: 0 / 1 / Parity" : "Parity bit: None"}));
}

}  // namespace

TEST_P(ViewTables, SerialPortsShowTheirRegisters) {
    SerialShowsItsRegisters<CSerial0Dlg>(GetParam(), {SCON0, SBUF0, PCON});
    SerialShowsItsRegisters<CSerial1Dlg>(GetParam() + 100, {SCON1, SBUF1, EICON});
}

TEST_P(ViewTables, SerialActionsChangeExactlyTheirBitsAndPortOneNone) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 2000);
    const Image d = RandomImage(random);
    Rig<CSerial0Dlg> r(d, 14745600, Precheck::Hex);
    Rig<CSerial1Dlg> r1(d, 14745600, Precheck::Hex);
    const Bit boxes[] = {{"Multiproc. comm. enable", SCON0, 5}, {"Receive enable", SCON0, 4},
                         {"Transmit interrupt flag", SCON0, 1}, {"Receive interrupt flag", SCON0, 0},
                         {"2x baud rate (m: 1, 2, 3)", PCON, 7}};
    for (const Bit& b : boxes)
        for (bool on : {true, false}) {
            r.Reset();
            Image expected = d;
            SetBits(expected, b.reg, b.bit, b.bit, on);
            r.view->Click(b.id, on);
            r1.view->Click(b.id, on);
            EXPECT_EQ(r.t.data, expected) << b.id;
        }
    for (int entry = 0; entry < 4; ++entry) {
        r.Reset();
        Image expected = d;
        SetBits(expected, SCON0, 7, 6, entry);
        r.view->Select("Mode", entry);
        r1.view->Select("Mode", entry);
        EXPECT_EQ(r.t.data, expected) << entry;
    }
    for (const auto& [id, bit] : {std::pair{"TB8", 3}, std::pair{"RB8", 2}}) {
        r.Reset();
        const int typed = static_cast<int>(random() % 12);
        Image expected = d;
        SetBits(expected, SCON0, bit, bit, typed >= 1);
        r.Commit(id, std::to_string(typed));
        r1.Commit(id, std::to_string(typed));
        EXPECT_EQ(r.t.data, expected) << id << " " << typed;
    }
    r.Reset();
    Image expected = d;
    expected[SBUF0] = static_cast<std::uint8_t>(random());
    char text[3];
    std::snprintf(text, sizeof text, "%02x", expected[SBUF0]);
    r.Commit("Data buffer", text);
    r1.Commit("Data buffer", text);
    EXPECT_EQ(r.t.data, expected);
    EXPECT_TRUE(r1.t.log.empty());  // port 1 neither read nor wrote
}

namespace {

// The bytes of a display's dot-separated groups, line by line after each ": ".
std::vector<std::uint8_t> DisplayedBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        std::istringstream groups(line.substr(colon + 2));
        for (std::string hex; std::getline(groups, hex, '.');)
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16)));
    }
    return bytes;
}

}  // namespace

TEST_P(ViewTables, DesShowsItsRegistersAndXdataByteForByte) {
    std::mt19937 random(static_cast<unsigned>(GetParam()) + 3000);
    Image d = RandomImage(random);
    Rig<CDESDlg> r(d, 14745600, Precheck::Hex);
    for (auto& b : r.t.xdata) b = static_cast<std::uint8_t>(random());
    const char* modes[] = {"Mode 1", "Mode 2", "Mode 3"};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.C(modes[i]).screen.index, (d[CRPCON] >> (i + 1)) & 1);
    EXPECT_EQ(r.C("Start").screen.checked, (d[CRPCON] & 1) != 0);
    EXPECT_EQ(r.C("Load keys").screen.checked, (d[CRPCON] & 0x10) != 0);
    const int data = d[CRPDAT] * 8, key = d[CRPKEY] * 8, count = d[CRPCNT] ? d[CRPCNT] : 256;
    char text[8];
    std::snprintf(text, sizeof text, "%04X", data);
    EXPECT_EQ(r.C("Data address").screen.text, text);
    std::snprintf(text, sizeof text, "%04X", key);
    EXPECT_EQ(r.C("Key address").screen.text, text);
    EXPECT_EQ(r.C("Count").screen.text, std::to_string(count));

    r.view->Select("View", CDESDlg::kData);
    EXPECT_EQ(DisplayedBytes(r.C("Memory").screen.text),
              std::vector<std::uint8_t>(r.t.xdata.begin() + data, r.t.xdata.begin() + data + count));
    r.view->Select("View", CDESDlg::kKeys);
    std::vector<std::uint8_t> keys;
    for (int k = 0; k < 3; ++k) keys.insert(keys.end(), r.t.xdata.begin() + key + 8 * k, r.t.xdata.begin() + key + 8 * k + 7);
    EXPECT_EQ(DisplayedBytes(r.C("Memory").screen.text), keys);
    r.view->Select("View", CDESDlg::kVector);
    EXPECT_EQ(DisplayedBytes(r.C("Memory").screen.text),
              (std::vector<std::uint8_t>{d[CRPINI0], d[CRPINI1], d[CRPINI2], d[CRPINI3], d[CRPINI4], d[CRPINI5],
                                         d[CRPINI6], d[CRPINI7]}));
    char reads[3][24];
    std::snprintf(reads[0], sizeof reads[0], "R %08X %d", 0x01800000 | data, count);
    std::snprintf(reads[1], sizeof reads[1], "R %08X 23", 0x01800000 | key);
    EXPECT_EQ(r.t.log, (Strings{reads[0], reads[1], "R F08000B4 4", "R F08000BC 4"}));
    EXPECT_TRUE(r.t.Writes().empty());

    // The vector load writes CRPINI0..7 in order, each byte whole.
    r.t.ClearLog();
    Image expected = r.t.data;
    std::string vector;
    for (std::uint8_t reg : {CRPINI0, CRPINI1, CRPINI2, CRPINI3, CRPINI4, CRPINI5, CRPINI6, CRPINI7}) {
        expected[reg] = static_cast<std::uint8_t>(random());
        std::snprintf(text, sizeof text, "%02X", expected[reg]);
        vector += text;
    }
    r.view->TypeText("Init. vec.", vector);
    r.view->Press("Load init. vec.");
    EXPECT_EQ(r.t.data, expected);
    const Strings writes = r.t.Writes();
    ASSERT_EQ(writes.size(), 8u);
    const char* order[] = {"W F00000B4", "W F00000B5", "W F00000B6", "W F00000B7",
                           "W F00000BC", "W F00000BD", "W F00000BE", "W F00000BF"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(writes[i].substr(0, 10), order[i]);
}

INSTANTIATE_TEST_SUITE_P(RandomImages, ViewTables, ::testing::Range(1, 41));

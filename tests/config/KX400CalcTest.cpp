// The KX400/KX900 engine step by step, checked against the frames of real
// configurations (the demonstration boards' default images) and the edge cases of
// every step.

#include "studio/config/KX400Calc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <tuple>
#include <string>

using namespace tessary;
using namespace tessary::kx400;
using ::testing::ElementsAre;

namespace {

// The KX400's defaults: 12 MHz, 50 ppm, 433.92 MHz, 200 kHz IF, 10 kHz, 1.2 kbit/s,
// class B at 10 dBm, RX.
Parameters KX400() {
    Parameters p;
    p.xtal = 12e6;
    p.ppm = 50e-6;
    p.rf = 433.92e6;
    p.ifStage = k200kHz;
    p.sep = 10e3;
    p.rate = 1200;
    p.paClass = 2;
    p.power = 10;
    p.deviceNumber = 4;
    return p;
}

// The KX900's defaults: 10 ppm, 869 MHz, class C at 0 dBm.
Parameters KX900() {
    Parameters p = KX400();
    p.ppm = 10e-6;
    p.rf = 869e6;
    p.paClass = 3;
    p.power = 0;
    p.deviceNumber = 9;
    return p;
}

// The eight 16-bit words as the demonstration board's EEPROM holds them.
std::array<int, 8> Words(const CTmpReg& f) {
    std::array<int, 8> w{};
    for (int i = 0; i < 8; ++i) w[static_cast<std::size_t>(i)] = f.GetFrame(i) | i << 13;
    return w;
}

Outcome Computed(const Parameters& p) {
    Outcome o = Calculate(p);
    EXPECT_FALSE(o.failed) << (o.messages.empty() ? "" : o.messages.back());
    return o;
}

int Bits(const Outcome& o, int frame, int mask) {
    return (o.frames.GetFrame(frame) & mask) >> std::countr_zero(static_cast<unsigned>(mask));
}

}  // namespace

TEST(KX400Calc, DemonstrationBoardImagesAreFramesOfRealConfigurations) {
    // KX400DB: separation 40 kHz, class B at 0 dBm. The image lacks frame B's device
    // bit 12, which step 12 sets after the calculation.
    Parameters p = KX400();
    p.sep = 40e3;
    p.power = 0;
    p.mode = kTX;
    EXPECT_EQ(Words(Computed(p).frames), (std::array<int, 8>{0x082A, 0x230B, 0x4041, 0x7F9A, 0x8A29, 0xBA02, 0xCB6C, 0xE040}));
    p.mode = kRXPrecharge;
    EXPECT_EQ(Words(Computed(p).frames), (std::array<int, 8>{0x002A, 0x230B, 0x4041, 0x7EE1, 0x8A00, 0xBA02, 0xCB6C, 0xE248}));
    p.mode = kRX;
    EXPECT_EQ(Computed(p).frames.GetFrame(kH) | 7 << 13, 0xE040);
    p.mode = kPDOscOff;
    const Outcome off = Computed(p);
    EXPECT_EQ(off.frames.GetFrame(kA), 0x182A);
    EXPECT_EQ(off.frames.GetFrame(kC) | 2 << 13, 0x4051);

    // KX900DB: 868.3 MHz, 40 kHz, class AB at -10 dBm, 0.6 kbit/s, VCO current 4. The
    // image carries the KX900's device bit 11.
    Parameters q = KX900();
    q.rf = 868.3e6;
    q.sep = 40e3;
    q.paClass = 1;
    q.power = -10;
    q.rate = 600;
    q.vcoCurrent = 4;
    q.mode = kTX;
    Outcome tx = Computed(q);
    SetDeviceBits(tx.frames, 9);
    EXPECT_EQ(Words(tx.frames), (std::array<int, 8>{0x086A, 0x2B0B, 0x4841, 0x608F, 0x8914, 0xBA00, 0xCB6C, 0xE042}));
    q.mode = kRXPrecharge;
    Outcome pre = Computed(q);
    SetDeviceBits(pre.frames, 9);
    EXPECT_EQ(Words(pre.frames), (std::array<int, 8>{0x006A, 0x2B0B, 0x4841, 0x6033, 0x8900, 0xBA00, 0xCB6C, 0xE24A}));
    q.mode = kPDOscOff;
    const Outcome off9 = Computed(q);
    EXPECT_EQ(off9.frames.GetFrame(kA) | 0, 0x186A);
    EXPECT_EQ(off9.frames.GetFrame(kC) | 2 << 13, 0x4851);
}

TEST(KX400Calc, DeviceBitsOfFrameB) {
    CTmpReg f;
    SetDeviceBits(f, 4);
    EXPECT_EQ(f.GetFrame(kB), 0x1000);
    SetDeviceBits(f, 9);
    EXPECT_EQ(f.GetFrame(kB), 0x0800);
    SetDeviceBits(f, -1);  // any number but 9 is a KX400
    EXPECT_EQ(f.GetFrame(kB), 0x1000);
}

TEST(KX400Calc, SynthesizerTargetAndStartCode) {
    // RX at 433.92 MHz with the 200 kHz IF: 433.72 MHz from ratio 6 (start code 1).
    const Parameters p = KX400();
    const Synthesis s = Search(p, p.rf - Window(p).fif, 0, false, nullptr);
    EXPECT_EQ(s.k, 1);
    EXPECT_EQ(s.fref, 2e6);
    EXPECT_EQ(16 * s.m + s.s + 35, 217);  // N = 216.86
    EXPECT_EQ(s.f, -287);                 // -286.72, to the nearest
    const Outcome o = Computed(p);
    EXPECT_EQ(Bits(o, kC, 0x0F), 1);
    EXPECT_EQ(o.frames.GetFrame(kD) & 0x7FF, 0x400 | (1024 - 287));

    EXPECT_EQ(StartCode(3.9e6), 2);
    EXPECT_EQ(StartCode(4e6), 0);
    EXPECT_EQ(StartCode(8e6), 0);
    EXPECT_EQ(StartCode(8.000001e6), 1);
    EXPECT_EQ(StartCode(12e6), 1);
    EXPECT_EQ(StartCode(12.000001e6), 2);
}

TEST(KX400Calc, SeparationTooLargeForEveryRatioWarnsAndGoesOn) {
    // 200 kHz on a 4 MHz crystal: u is 410 at ratio 4 and only grows with the ratio.
    Parameters p = KX400();
    p.xtal = 4e6;
    p.ppm = 10e-6;
    p.sep = 200e3;
    p.ifStage = kInternal455;
    p.power = 0;
    p.mode = kTX;
    const Outcome o = Calculate(p);
    EXPECT_FALSE(o.failed);
    EXPECT_THAT(o.messages, ElementsAre(msg::kSynthesizer));
    // The search ends at ratio 34 (k = 15); k = 16 would set frame C bit 4.
    EXPECT_EQ(Bits(o, kC, 0x1F), 15);
    const Synthesis last = Search(p, p.rf - p.sep / 2, p.sep, false, nullptr);
    EXPECT_EQ(last.k, 15);
    EXPECT_EQ(last.u, 3482);
    // The TX separation word counts fsep on the KX400 and fsep / 2 on the KX900.
    Parameters q = KX900();
    q.xtal = 4e6;
    q.rf = 868.3e6;
    q.sep = 200e3;
    q.ifStage = kInternal455;
    q.mode = kTX;
    const Outcome o9 = Computed(q);
    EXPECT_TRUE(o9.messages.empty());
    EXPECT_EQ(Bits(o9, kE, 0xFF), 205);
    EXPECT_EQ(Bits(o9, kC, 0x0F), 0);
}

TEST(KX400Calc, PowerCodesSpreadOverFourFrames) {
    Parameters p = KX400();
    p.paClass = 3;
    p.power = 1;  // d = 4, c = 2
    Outcome o = Computed(p);
    EXPECT_EQ(Bits(o, kD, 0x1800), 0b00);
    EXPECT_EQ(Bits(o, kA, 0xC0), 0b01);
    EXPECT_EQ(Bits(o, kC, 0x100), 0);
    EXPECT_EQ(Bits(o, kF, 0x3), 0b10);
    EXPECT_EQ(Bits(o, kE, 0x300), 3);
    p.power = 14;  // d = 27 = 11011b, c = 3
    o = Computed(p);
    EXPECT_EQ(Bits(o, kD, 0x1800), 0b11);
    EXPECT_EQ(Bits(o, kA, 0xC0), 0b10);
    EXPECT_EQ(Bits(o, kC, 0x100), 1);
    EXPECT_EQ(Bits(o, kF, 0x3), 3);
    p.power = 14.9;  // truncated to whole dBm first
    EXPECT_FALSE(Calculate(p).failed);
    p.power = 15;
    EXPECT_TRUE(Calculate(p).failed);

    Parameters q = KX900();
    q.paClass = 0;
    q.power = -11;  // class A ends at -12 dBm
    const Outcome refused = Calculate(q);
    EXPECT_TRUE(refused.failed);
    EXPECT_EQ(refused.messages.back(), msg::kIllegalPower);
    q.power = -12;
    EXPECT_EQ(Bits(Computed(q), kD, 0x1800), 25 & 3);
    // The KX900 rows apply to device number 9 only.
    q.deviceNumber = -1;
    q.rf = 433.92e6;
    q.ppm = 50e-6;
    EXPECT_TRUE(Calculate(q).failed);  // the KX400's class A starts at -5 dBm
    EXPECT_FALSE(LookUpPower(4, 4, 0));
    EXPECT_FALSE(LookUpPower(4, -1, 0));
    EXPECT_FALSE(LookUpPower(4, 2, NAN));
}

TEST(KX400Calc, DataFilterCodesByRate) {
    // 1.2 kbit/s on the KX400: x = 1560 exceeds no threshold, y = 38.2 stays below 42.
    Parameters p = KX400();
    Outcome o = Computed(p);
    EXPECT_EQ(Bits(o, kH, 0x1C00), 0);
    EXPECT_EQ(Bits(o, kH, 0x30), 0);
    p.rate = 9600;  // x = 12480 exceeds four thresholds; y = 305.7
    o = Computed(p);
    EXPECT_EQ(Bits(o, kH, 0x1C00), 4);
    EXPECT_EQ(Bits(o, kH, 0x30), 3);
    p.rate = 2000;  // y = 63.7
    EXPECT_EQ(Bits(Computed(p), kH, 0x30), 1);

    Parameters q = KX900();
    for (const auto& [rate, high, low] : {std::tuple{600.0, 0, 0}, std::tuple{1000.0, 0, 0}, std::tuple{1100.0, 0, 3},
                                          std::tuple{2400.0, 0, 3}, std::tuple{2500.0, 1, 3}, std::tuple{7000.0, 1, 3},
                                          std::tuple{7100.0, 3, 3}}) {
        q.rate = rate;
        const Outcome r = Computed(q);
        EXPECT_EQ(Bits(r, kH, 0x1C00), high) << rate;
        EXPECT_EQ(Bits(r, kH, 0x30), low) << rate;
    }
}

TEST(KX400Calc, IfWindowOptionCodes) {
    struct Case {
        double deviceNumber;
        int stage;
        double xtal, ppm, rf;
        int code;
    };
    // With no separation the window is fif +- 2 frf a. The crystal's period wins the
    // 8 MHz cases (code 1); the divided RF frequency wins with a 4 MHz crystal.
    const Case cases[] = {
        {4, k60kHz, 8e6, 0, 300e6, 1},     {4, k60kHz, 4e6, 10e-6, 300e6, 2}, {4, k60kHz, 4e6, 0, 300e6, 3},
        {4, k200kHz, 8e6, 0, 300e6, 1},    {4, k200kHz, 4e6, 0, 300e6, 2},    {4, k200kHz, 4e6, 0, 350e6, 3},
        {9, k200kHz, 8e6, 0, 800e6, 1},    {9, k200kHz, 4e6, 0, 915e6, 2},    {9, k200kHz, 4e6, 0, 800e6, 3},
        {9, kInternal455, 12e6, 10e-6, 869e6, 2},
    };
    for (const Case& c : cases) {
        Parameters p = c.deviceNumber == 9 ? KX900() : KX400();
        p.ifStage = c.stage;
        p.xtal = c.xtal;
        p.ppm = c.ppm;
        p.rf = c.rf;
        p.sep = 0;
        EXPECT_EQ(IfOptionCode(p, Window(p)), c.code) << c.stage << " " << c.xtal << " " << c.rf;
        EXPECT_EQ(Bits(Computed(p), kF, 0x1800), c.code);
    }
    // The 200 kHz stage with the defaults: the third candidate meets the second window.
    EXPECT_EQ(IfOptionCode(KX400(), Window(KX400())), 3);

    // Too much uncertainty for the narrow stage: nothing is computed beyond step 3.
    Parameters p = KX400();
    p.ifStage = k60kHz;
    p.ppm = 100e-6;
    const Outcome o = Calculate(p);
    EXPECT_TRUE(o.failed);
    EXPECT_THAT(o.messages, ElementsAre(msg::kIfUncertainty));
    EXPECT_EQ(o.frames.GetFrame(kG), 0);
}

TEST(KX400Calc, IfFilterCheckAndFrameG) {
    Parameters p = KX400();
    p.xtal = 4e6;
    p.ppm = 20e-6;
    p.rf = 300e6;
    p.ifStage = k60kHz;
    p.sep = 0;
    p.rate = 9600;  // the window passes, but 9.6 kbit/s on top of it does not
    const Outcome o = Calculate(p);
    EXPECT_TRUE(o.failed);
    EXPECT_THAT(o.messages, ElementsAre(msg::kIfFilter));
    p.rate = 1200;
    EXPECT_EQ(Computed(p).frames.GetFrame(kG), 0x124C);

    const std::array<int, 4> g = {0x124C, 0x0B6C, 0x0DFC, 0x0DF8};
    Parameters q = KX400();
    for (int stage = 2; stage <= 3; ++stage) {
        q.ifStage = stage;
        const Outcome r = Computed(q);
        EXPECT_EQ(r.frames.GetFrame(kG), g[static_cast<std::size_t>(stage)]);
        EXPECT_EQ(Bits(r, kF, 0x600), 2);
        EXPECT_EQ(Bits(r, kH, 0x100), 1);  // the KX400 with a 455 kHz stage
    }
    // The external filter needs (2r + whi - wlo) of bandwidth; the calculation goes on.
    q.ifStage = kExternal455;
    q.ppm = 10e-6;
    EXPECT_THAT(Computed(q).messages,
                ElementsAre("The If filter you are using should have a bandwidth > 29.76 kHz.\n\nThis bandwidth take "
                            "frequency offset, datarate \nand separation into account."));
}

TEST(KX400Calc, ModeAndDeviceBits) {
    Parameters p = KX900();
    p.mode = kPDOscOn;
    Outcome o = Computed(p);
    EXPECT_EQ(Bits(o, kA, 0x1800), 3);
    EXPECT_EQ(Bits(o, kC, 0x10), 0);
    EXPECT_EQ(Bits(o, kH, 0x2), 1);  // the KX900's bit 1
    EXPECT_EQ(Bits(o, kH, 0x208), 0);
    p.rxMode = 1;  // optimum linearity clears bits 5 to 2
    EXPECT_EQ(Bits(Computed(p), kA, 0x3C), 0);
    p.ifStage = kExternal455;
    o = Computed(p);
    EXPECT_EQ(Bits(o, kH, 0x2), 0);
    EXPECT_EQ(Bits(o, kH, 0x100), 0);  // bit 8 is the KX400's only
    EXPECT_EQ(Bits(o, kF, 0x38), 0);   // no match code on the KX900
}

TEST(KX400Calc, TypicalCurrent) {
    EXPECT_EQ(TypicalCurrent(4, kRX, 2, 10), 18);
    EXPECT_EQ(TypicalCurrent(9, kRXPrecharge, 2, 10), 23);
    EXPECT_EQ(TypicalCurrent(4, kPDOscOn, 2, 10), 0.03);
    EXPECT_EQ(TypicalCurrent(9, kPDOscOff, 2, 10), 0.0002);
    EXPECT_EQ(TypicalCurrent(4, kTX, 0, -5), 33);
    EXPECT_EQ(TypicalCurrent(4, kTX, 1, 6), 64);
    EXPECT_EQ(TypicalCurrent(4, kTX, 2, 10), 51);
    EXPECT_EQ(TypicalCurrent(9, kTX, 0, -13), 50);
    // Accepted powers the table does not list: the nearest listed power of the class,
    // the higher on a tie.
    EXPECT_EQ(TypicalCurrent(4, kTX, 3, 12), 57);
    EXPECT_EQ(TypicalCurrent(4, kTX, 3, 13), 57);
    EXPECT_EQ(TypicalCurrent(4, kTX, 3, 14), 57);
    EXPECT_EQ(TypicalCurrent(9, kTX, 2, -3), 46);
    EXPECT_EQ(TypicalCurrent(9, kTX, 2, -2), 53);
    EXPECT_EQ(TypicalCurrent(9, kTX, 2, 0), 53);
    EXPECT_EQ(TypicalCurrent(9, kTX, 2, 1), 53);
    for (int dbm = 0; dbm <= 4; ++dbm) EXPECT_EQ(TypicalCurrent(9, kTX, 3, dbm), 53) << dbm;
    EXPECT_FALSE(TypicalCurrent(4, 7, 2, 0));
    EXPECT_FALSE(TypicalCurrent(4, kTX, 5, 0));
}

TEST(KX400Calc, NearestStandardValueAtBothEndsAndOnTies) {
    // C61's list: 12, 15, 18, 22, 27, 33 pF.
    EXPECT_EQ(NearestStandard(3, 12, 33), 12);
    EXPECT_EQ(NearestStandard(12, 12, 33), 12);
    EXPECT_EQ(NearestStandard(13.5, 12, 33), 12);  // equally near: the lower
    EXPECT_EQ(NearestStandard(13.6, 12, 33), 15);
    EXPECT_EQ(NearestStandard(30, 12, 33), 27);
    EXPECT_EQ(NearestStandard(33, 12, 33), 33);
    EXPECT_EQ(NearestStandard(1000, 12, 33), 33);
    EXPECT_EQ(NearestStandard(NAN, 12, 33), 12);
    // Ranges are inclusive at both ends, across decades.
    EXPECT_EQ(NearestStandard(0.1, 0.47, 47), 0.47);
    EXPECT_EQ(NearestStandard(1e9, 0.47, 47), 47);
    EXPECT_EQ(NearestStandard(0.9, 0.47, 47), 0.82);
    EXPECT_EQ(NearestStandard(3000, 22, 2200), 2200);
    EXPECT_EQ(NearestStandard(5, 4.7, 470), 4.7);
}

TEST(KX400Calc, ComponentTexts) {
    const Outcome o = Computed(KX400());
    const Components& c = o.components;
    EXPECT_EQ(c.r121, "5.6");
    EXPECT_EQ(c.c121, "33.00");
    EXPECT_EQ(c.r122, " 27");
    EXPECT_EQ(c.c122, "1500");
    EXPECT_EQ(c.c123, "330.0");
    EXPECT_EQ(c.r123, " 22");
    EXPECT_EQ(c.c51, "220");
    EXPECT_EQ(c.l51, " 33");
    EXPECT_EQ(c.l61, "8.2");
    EXPECT_EQ(c.c61, " 18");
    EXPECT_EQ(o.current, 18);

    // The VCO gain is 20 MHz/V for device number 4 only: under -1 the same parameters
    // give X = 4.17 k Ohm instead of 5.21 k Ohm.
    Parameters p = KX400();
    p.deviceNumber = -1;
    EXPECT_EQ(Computed(p).components.r121, "3.9");

    Parameters q = KX900();
    const Outcome o9 = Computed(q);
    EXPECT_EQ(o9.components.r121, "8.2");
    EXPECT_EQ(o9.components.l51, " 12");
    EXPECT_EQ(o9.components.l61, "100.0");
    EXPECT_EQ(o9.components.c61, "N.A.");
    for (const auto& [rf, l51] : {std::pair{849e6, "TBD"}, std::pair{850e6, " 12"}, std::pair{900e6, " 10"},
                                  std::pair{930e6, " 10"}, std::pair{931e6, "TBD"}}) {
        q.rf = rf;
        q.ifStage = kInternal455;
        EXPECT_EQ(Computed(q).components.l51, l51) << rf;
    }
}

TEST(KX400Calc, MatchCodeOfTheKX400) {
    struct Case {
        double rf;
        int rxMode, code;
        const char *l51, *c61;
    };
    // code = (1 / (w^2 8.2 nH) + Q / (50 w) - C61 - 3 pF) / 1.25 pF, rounded, clamped.
    for (const Case& c : {Case{300e6, 0, 3, " 68", " 33"}, Case{380e6, 1, 1, " 56", " 22"},
                          Case{400e6, 1, 2, " 47", " 18"}, Case{433.92e6, 0, 0, " 33", " 18"}}) {
        Parameters p = KX400();
        p.rf = c.rf;
        p.rxMode = c.rxMode;
        p.ppm = 10e-6;
        p.ifStage = kInternal455;
        const Outcome o = Computed(p);
        EXPECT_EQ(Bits(o, kF, 0x3C), c.code << 1) << c.rf;  // bit 2 stays 0
        EXPECT_EQ(o.components.l51, c.l51) << c.rf;
        EXPECT_EQ(o.components.c61, c.c61) << c.rf;
    }
}

TEST(KX400Calc, FailedStepsLeaveNoComponents) {
    Parameters p = KX400();
    p.paClass = 0;  // class A at 10 dBm
    const Outcome o = Calculate(p);
    EXPECT_TRUE(o.failed);
    EXPECT_TRUE(o.components.r121.empty());
    EXPECT_FALSE(o.current);
}

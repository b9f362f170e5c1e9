#include "studio/config/KX6200Calc.h"

#include <gtest/gtest.h>

using namespace tessary::kx6200;

TEST(KX6200Calc, MainForEveryModeAndActiveFrequency) {
    const int a[] = {0x11, 0xA1, 0x3F, 0x3B, 0x39, 0x31};
    const int b[] = {0x51, 0xE1, 0x7F, 0x7B, 0x79, 0x71};
    for (int mode = 0; mode < 6; ++mode) {
        EXPECT_EQ(MainValue(mode, 0), a[mode]) << mode;
        EXPECT_EQ(MainValue(mode, 1), b[mode]) << mode;
    }
}

TEST(KX6200Calc, RateSnapTables) {
    for (double x : {3.6864, 7.3728, 11.0592}) {
        EXPECT_EQ(SnapSynchronousRate(x, 0.89).rate, 0.6);
        EXPECT_EQ(SnapSynchronousRate(x, 0.9).rate, 1.2);
        EXPECT_EQ(SnapSynchronousRate(x, 3.5).rate, 2.4);
        EXPECT_EQ(SnapSynchronousRate(x, 14.3).rate, 9.6);
        EXPECT_EQ(SnapSynchronousRate(x, 14.4).rate, 19.2);
        EXPECT_FALSE(SnapSynchronousRate(x, 19.2).replaced);
        EXPECT_FALSE(SnapSynchronousRate(x, 19.2).message);
        const RateSnap fast = SnapSynchronousRate(x, 38.4);
        EXPECT_EQ(fast.rate, 19.2);
        EXPECT_TRUE(fast.message);
    }
    EXPECT_EQ(SnapSynchronousRate(14.7456, 23.9).rate, 19.2);
    EXPECT_EQ(SnapSynchronousRate(14.7456, 24).rate, 38.4);
    EXPECT_EQ(SnapSynchronousRate(14.7456, 57.5).rate, 38.4);
    EXPECT_EQ(SnapSynchronousRate(14.7456, 57.6).rate, 76.8);
    EXPECT_FALSE(SnapSynchronousRate(14.7456, 76.8).message);
    // Other crystals leave the rate alone.
    const RateSnap other = SnapSynchronousRate(12.0, 3.3);
    EXPECT_FALSE(other.replaced);
    EXPECT_EQ(other.rate, 3.3);
}

TEST(KX6200Calc, SynthesiserFrequencies) {
    EXPECT_DOUBLE_EQ(SynthFrequency(868.2972, 1, 64, kRssiEnabled, 1), 868.2652e6);
    EXPECT_DOUBLE_EQ(SynthFrequency(868.2972, 0, 64, kRssiEnabled, 0), 868.4472e6);
    EXPECT_DOUBLE_EQ(SynthFrequency(868.2972, 0, 64, kRssiEnabled, 1), 868.1472e6);
    EXPECT_DOUBLE_EQ(SynthFrequency(868.2972, 0, 64, kExternalIf, 0), 878.9972e6);
    EXPECT_DOUBLE_EQ(SynthFrequency(868.2972, 0, 64, kExternalIf, 1), 857.5972e6);
    EXPECT_FALSE(DividerSearch(14.7456, 0));
    EXPECT_FALSE(DividerSearch(14.7456, -5));
    const auto d = DividerSearch(14.7456, 868.1472e6);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->divider, 6);
    EXPECT_DOUBLE_EQ(d->word, 5779456);
}

TEST(KX6200Calc, OptimalSearchFindsTheExactLo) {
    const OptimalResult r = OptimalSearch(14.7456, 868.2972, 1, 868.1472e6);
    EXPECT_EQ(r.divider, 8);
    EXPECT_EQ(r.n, 471);
    EXPECT_TRUE(r.reachable);
    EXPECT_NEAR(r.newFrequencyMHz, 868.2972, 1e-9);
    EXPECT_EQ(RoundWord(r.word), 0x75A000);
    // With a reference that stays above 2.46 MHz up to divider 16 no LO is reachable.
    EXPECT_FALSE(OptimalSearch(40, 868.2972, 1, 868.1472e6).reachable);
    EXPECT_EQ(OptimalSearch(40, 868.2972, 1, 868.1472e6).divider, 16);
}

TEST(KX6200Calc, OptimalSearchWithNoUsableCandidateTakesTheFirstWorkingDivider) {
    // 3.6864 MHz, 315 MHz sent from A (f_A = 314.984 MHz), high side: only dividers 2 and
    // 3 give a reference in range and both words stay below 4194304, so every error is
    // 3 MHz; divider 4 is the first with a word above 4194304.
    const OptimalResult r = OptimalSearch(3.6864, 315, 0, 314.984e6);
    EXPECT_EQ(r.divider, 4);
    EXPECT_EQ(r.r, 921600);
    EXPECT_EQ(r.n, 342);
    EXPECT_EQ(RoundWord(r.word), 5592185);
    EXPECT_NEAR(r.newFrequencyMHz, 315.0372, 1e-9);
    EXPECT_TRUE(r.reachable);
    EXPECT_EQ(OptimalSearch(3.6864, 315, 0, 314.984e6, 150000, 23, 24).divider, 4);
}

TEST(KX6200Calc, FsepCapsAt2047) {
    EXPECT_EQ(Fsep(14.7456, 64, 6).value, 0x1AB);
    EXPECT_FALSE(Fsep(14.7456, 64, 6).capped);
    const FsepResult capped = Fsep(14.7456, 150, 18);
    EXPECT_TRUE(capped.capped);
    EXPECT_EQ(capped.value, 2047);
}

TEST(KX6200Calc, CurrentRegisterBands) {
    EXPECT_EQ(CurrentRegister(320, kTX, 0), 0x91);
    EXPECT_EQ(CurrentRegister(320, kRX, 0), 0x84);
    EXPECT_EQ(CurrentRegister(320, kPD, 1), 0x80);
    EXPECT_EQ(CurrentRegister(320.1, kTX, 0), 0x81);
    EXPECT_EQ(CurrentRegister(500, kRX, 0), 0x44);  // 500 MHz is the lower band here
    EXPECT_EQ(CurrentRegister(500, kRX, 1), 0x40);
    EXPECT_EQ(CurrentRegister(500.1, kTX, 1), 0xF3);
    EXPECT_EQ(CurrentRegister(868, kRX, 0), 0x8C);
}

TEST(KX6200Calc, PaPowTablesAndTheUpperBandCap) {
    EXPECT_EQ(PaPow(-20, 433)->value, 0x01);
    EXPECT_EQ(PaPow(-1, 433)->value, 0x0E);
    EXPECT_EQ(PaPow(8, 433)->value, 0xC0);
    EXPECT_EQ(PaPow(10, 433)->value, 0xFF);
    EXPECT_FALSE(PaPow(10, 433)->message);
    EXPECT_EQ(PaPow(-5, 868)->value, 0x40);
    EXPECT_EQ(PaPow(4, 868)->value, 0xF0);
    EXPECT_FALSE(PaPow(5, 868)->message);
    EXPECT_TRUE(PaPow(6, 868)->message);
    EXPECT_EQ(PaPow(6, 868)->value, 0xFF);
    // 500 MHz belongs to the upper table; powers are truncated toward zero.
    EXPECT_EQ(PaPow(0, 500)->value, 0x80);
    EXPECT_EQ(PaPow(0, 499.9)->value, 0x0F);
    EXPECT_EQ(PaPow(5.9, 868)->value, 0xFF);
    EXPECT_FALSE(PaPow(5.9, 868)->message);
    EXPECT_EQ(PaPow(-0.5, 868)->value, 0x80);
    EXPECT_FALSE(PaPow(11, 868));
    EXPECT_FALSE(PaPow(-21, 433));
}

TEST(KX6200Calc, ModemRegisters) {
    EXPECT_EQ(Modem2(14.7456, 2.4, 868.2972, 20, 64), 0x90);
    EXPECT_DOUBLE_EQ(ModemClockMHz(14.7456, 38.4), 7.3728);
    EXPECT_DOUBLE_EQ(ModemClockMHz(14.7456, 76.8), 14.7456);
    EXPECT_DOUBLE_EQ(ModemClockMHz(7.3728, 2.4), 3.6864);
    EXPECT_DOUBLE_EQ(ModemClockMHz(11.0592, 2.4), 3.6864);
    EXPECT_DOUBLE_EQ(ModemClockMHz(3.6864, 2.4), 3.6864);
    EXPECT_EQ(Modem0(2.4, 1, 14.7456).value, 0x27);
    EXPECT_EQ(Modem0(38.4, 1, 14.7456).value, 0x55);   // XOSC_FREQ 1 at 24 to 57.6 kBaud
    EXPECT_EQ(Modem0(76.8, 0, 14.7456).value, 0x50);   // and 0 above
    EXPECT_EQ(Modem0(0.6, 2, 3.6864).value, 0x08);
    EXPECT_EQ(Modem0(9.6, 0, 7.3728).value, 0x41);
    EXPECT_EQ(Modem0(19.2, 0, 11.0592).value, 0x52);
    EXPECT_FALSE(Modem0(2.4, 1, 16).xtalMessage);
    EXPECT_TRUE(Modem0(2.4, 1, 5).xtalMessage);
    EXPECT_EQ(BaudRateCode(0.89), 0);
    EXPECT_EQ(BaudRateCode(14.4), 5);
}

TEST(KX6200Calc, SmallRegisters) {
    EXPECT_EQ(PllValue(kTX, 8, 6), 0x30);
    EXPECT_EQ(PllValue(kRX, 8, 6), 0x40);
    EXPECT_EQ(PllValue(kRX, 17, 6), 0x08);  // the REFDIV field keeps four bits
    const int locks[] = {0x10, 0x20, 0x80, 0xA0, 0x00};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(LockValue(i), locks[i]);
    EXPECT_EQ(LockValue(9), 0);
    EXPECT_EQ(MatchValue(500, 500), 0x10);
    EXPECT_EQ(MatchValue(500, 499.9), 0x70);
    EXPECT_EQ(FrontEnd(500, 0, kRssiEnabled, 0), 0x12);
    EXPECT_EQ(FrontEnd(500.1, 0, kExternalIf, 1), 0x35);
    EXPECT_EQ(FrontEnd(868, 1, kIfDisabled, 0), 0x00);
    EXPECT_EQ(Test4Value(4.8), 0x25);
    EXPECT_EQ(Test4Value(9.6), 0x3F);
}

TEST(KX6200Calc, ComponentValues) {
    Components c = ComponentValues(433.92);
    EXPECT_EQ(c.l101, "33.0");
    EXPECT_EQ(c.l32, "68.0");
    EXPECT_EQ(c.c41, "8.2");
    c = ComponentValues(300);
    EXPECT_EQ(c.l32, "39.0");
    EXPECT_EQ(c.c41, "2.2");
    c = ComponentValues(795);
    EXPECT_EQ(c.l32, "TBD");
    EXPECT_EQ(c.c42, "TBD");
    c = ComponentValues(1000);
    EXPECT_EQ(c.c41, "N.A");
    EXPECT_EQ(ComponentValues(315).l101, "56.0");
    EXPECT_EQ(ComponentValues(915).l101, "4.7");
    // (9.8495 - 0.0085 f)^2: 300 MHz gives 53.3 (between 47 and 56, nearer 56), 600 MHz
    // gives 22.6 (nearer 22 than 27), 1000 MHz 1.8 (below the series).
    EXPECT_EQ(VcoInductor(300), "56.0");
    EXPECT_EQ(VcoInductor(600), "22.0");
    EXPECT_EQ(VcoInductor(1000), "3.3");
    // 700 MHz: x = 15.2, past 15: the lower neighbour when it is nearer.
    EXPECT_EQ(VcoInductor(700), "15.0");
    EXPECT_EQ(VcoInductor(-2000), "68.0");
}

TEST(KX6200Calc, TypicalCurrent) {
    EXPECT_EQ(*TypicalCurrent(kRX, 868, 1, 14.7456, 0), 9.9);
    EXPECT_EQ(*TypicalCurrent(kRX, 868, 0, 14.7456, 0), 12.0);
    EXPECT_EQ(*TypicalCurrent(kRX, 499, 1, 14.7456, 0), 7.7);
    EXPECT_EQ(*TypicalCurrent(kRX, 499, 0, 14.7456, 0), 9.5);
    EXPECT_EQ(*TypicalCurrent(kPD, 868, 0, 14.7456, 0), 0.0002);
    EXPECT_EQ(*TypicalCurrent(kXoscCore, 868, 0, 8, 0), 0.03);
    EXPECT_EQ(*TypicalCurrent(kXoscCore, 868, 0, 14, 0), 0.08);
    EXPECT_EQ(*TypicalCurrent(kXoscCore, 868, 0, 14.7456, 0), 0.105);
    EXPECT_EQ(*TypicalCurrent(kXoscCoreBias, 868, 0, 14.7456, 0), 0.86);
    EXPECT_EQ(*TypicalCurrent(kXoscCoreBiasSynth, 500, 0, 14.7456, 0), 6.0);
    EXPECT_EQ(*TypicalCurrent(kTX, 500, 0, 14.7456, -5), 13.8);
    EXPECT_EQ(*TypicalCurrent(kTX, 433, 0, 14.7456, 10), 26.7);
    EXPECT_EQ(*TypicalCurrent(kTX, 433, 0, 14.7456, -20), 5.3);
    EXPECT_FALSE(TypicalCurrent(kTX, 433, 0, 14.7456, 11));
}

#include "studio/config/CConfigViewKX6500.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "studio/config/KX6500Calc.h"

using namespace tessary;
using F = FieldId;
using ::testing::ElementsAre;
namespace m = kx6500::msg;

namespace {

class KX6500Form : public ::testing::Test {
protected:
    void SetUp() override {
        doc.OnNewDocument();
        form.OnInitialUpdate();
        messages.shown.clear();
    }
    std::string& Text(F id) { return form.controls.text[Index(id)]; }
    int& Sel(F id) { return form.controls.selection[Index(id)]; }
    int Slot(int i) const { return doc.registers.GetReg(i); }
    std::vector<std::string> Shown() const { return messages.ShownTexts(); }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigViewKX6500 form{doc, messages};
};

}  // namespace

TEST(KX6500Calc, InternalIfByBand) {
    EXPECT_EQ(kx6500::IfA(500), 150000);
    EXPECT_EQ(kx6500::IfA(500.001), 130000);
    EXPECT_DOUBLE_EQ(kx6200::SynthFrequency(868, 0, 64, kx6200::kRssiEnabled, 0, kx6500::IfA(868)), 868.13e6);
    EXPECT_DOUBLE_EQ(kx6200::SynthFrequency(433.92, 0, 64, kx6200::kRssiEnabled, 0, kx6500::IfA(433.92)), 434.07e6);
    EXPECT_DOUBLE_EQ(kx6200::SynthFrequency(868, 0, 64, kx6200::kRssiEnabled, 1, kx6500::IfA(868)), 867.87e6);
}

TEST(KX6500Calc, RateSnapTables) {
    auto snap = kx6500::SnapSynchronousRate(22.1184, 38.4);
    EXPECT_EQ(snap.rate, 38.4);
    EXPECT_EQ(snap.message, nullptr);
    snap = kx6500::SnapSynchronousRate(7.3728, 2.4);  // always replaced, here by itself
    EXPECT_TRUE(snap.replaced);
    EXPECT_EQ(snap.rate, 2.4);
    snap = kx6500::SnapSynchronousRate(7.3728, 76.8);
    EXPECT_EQ(snap.rate, 38.4);
    EXPECT_STREQ(snap.message, m::kRateNeeds768Xtal);
    snap = kx6500::SnapSynchronousRate(18.432, 38.4);
    EXPECT_EQ(snap.rate, 19.2);
    EXPECT_STREQ(snap.message, m::kRateNeeds384Xtal);
    snap = kx6500::SnapSynchronousRate(3.6864, 60);
    EXPECT_EQ(snap.rate, 19.2);
    EXPECT_STREQ(snap.message, m::kRateNeeds768Xtal);
    snap = kx6500::SnapSynchronousRate(11.0592, 19.2);
    EXPECT_FALSE(snap.replaced);
    EXPECT_EQ(kx6500::SnapSynchronousRate(14.7456, 60).rate, 76.8);
    EXPECT_FALSE(kx6500::SnapSynchronousRate(12.0, 3.3).replaced);
}

TEST(KX6500Calc, ModemRegisters) {
    EXPECT_DOUBLE_EQ(kx6500::ModemClockMHz(22.1184, 38.4), 22.1184 / 3);
    EXPECT_DOUBLE_EQ(kx6500::ModemClockMHz(18.432, 19.2), 18.432 / 5);
    EXPECT_DOUBLE_EQ(kx6500::ModemClockMHz(14.7456, 76.8), 14.7456);
    EXPECT_DOUBLE_EQ(kx6500::ModemClockMHz(7.3728, 38.4), 7.3728);
    EXPECT_EQ(kx6500::Modem0(38.4, 1, 22.1184).value & 7, 2);
    EXPECT_EQ(kx6500::Modem0(19.2, 1, 18.432).value & 7, 4);
    EXPECT_EQ(kx6500::Modem0(2.4, 3, 22.1184).value, (2 << 5) | (3 << 3) | 5);
    EXPECT_EQ(kx6500::Modem0(38.4, 0, 7.3728).value & 7, 0);
    EXPECT_TRUE(kx6500::Modem0(2.4, 0, 5).xtalMessage);
    EXPECT_EQ(kx6500::FsctrlValue(0), 0x01);
    EXPECT_EQ(kx6500::FsctrlValue(1), 0x03);
    EXPECT_EQ(kx6500::FsctrlValue(2), 0x0D);
    EXPECT_EQ(kx6500::FsctrlValue(3), 0x0F);
    EXPECT_EQ(kx6500::EstimatorSetup(1, 2, 3), 0x1B);
    EXPECT_EQ(kx6500::PllValue(kx6200::kRX, 24, 6), 0xC0);  // five REFDIV bits
}

TEST(KX6500Calc, PowerAndCurrent) {
    EXPECT_EQ(kx6500::PaPower(4, 868)->value, 0xFF);
    EXPECT_FALSE(kx6500::PaPower(4, 868)->message);
    EXPECT_TRUE(kx6500::PaPower(5, 868)->message);
    EXPECT_EQ(kx6500::PaPower(0, 433)->value, 0x40);
    EXPECT_EQ(kx6500::PaPower(-2, 500)->value, 0x70);
    EXPECT_FALSE(kx6500::PaPower(11, 868));
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kRX, 868, 20, 0), 32.0);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kRX, 868, 16, 0), 27.0);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kRX, 868, 7.3728, 0), 22.0);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kTX, 868, 7.3728, 0), 32.1 - 5.0);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kTX, 433, 22.1184, 10), 42.8 + 5.0);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kXoscCore, 868, 22.1184, 0), 3.5);  // no crystal correction
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kPD, 868, 3.6864, 0), 3.4);
    EXPECT_EQ(*kx6500::TypicalCurrent(kx6200::kXoscCoreBiasSynth, 868, 20, 0), 24.2);
    EXPECT_EQ(kx6500::CurrentRegister(500, kx6200::kRX), 0x44);
    EXPECT_EQ(kx6500::CurrentRegister(500.1, kx6200::kTX), 0xF3);
}

TEST_F(KX6500Form, DefaultsUseThe130kHzIfAndTheKX6500Slots) {
    EXPECT_EQ(Slot(0), 0x10);                  // RFMAIN without the reset bit
    EXPECT_EQ(form.Divider(), 8);
    EXPECT_NEAR(form.Values().rfA, 868.2772, 1e-9);  // LO 868.1472 + 130 kHz
    EXPECT_EQ(Slot(3) << 16 | Slot(2) << 8 | Slot(1), 0x75A000);
    EXPECT_EQ(Slot(19) << 8 | Slot(18), 0x1AB);
    EXPECT_EQ(Slot(11), 0x6C);
    EXPECT_EQ(Slot(12), 0xA0);
    EXPECT_EQ(Slot(13), 0x40);
    EXPECT_EQ(Slot(14), 0x00);
    EXPECT_EQ(Slot(15), 0x26);
    EXPECT_EQ(Slot(8), 0x2F);
    EXPECT_EQ(Slot(10), 0x00);
    EXPECT_EQ(Slot(20), 0x01);
    EXPECT_EQ(Slot(21), 0x32);
    EXPECT_EQ(Slot(33), 0x25);
    EXPECT_EQ(Slot(35), 0x1B);
    EXPECT_EQ(form.Current(), 27.0);
    EXPECT_EQ(form.Components()[0].text, "3.3");
}

// As the KX6200's cases, on the KX6500's slots (FSDELAY follows the divider too).
TEST_F(KX6500Form, OptimalSearchWithoutAUsableCandidate) {
    struct Case {
        const char* xtal;
        const char* rfA;
        int dirA, lowLo;
        int divider, pll, wordA, wordB, fsdelay;
        const char* newRfA;
    };
    const Case cases[] = {
        {"3.6864", "315", 1, 0, 4, 0x20, 0x5551E4, 0x555479, 23, "315.037200"},
        {"3.6864", "315", 0, 1, 4, 0x20, 0x554000, 0x55494E, 23, "314.876400"},
        {"3.0", "350", 0, 0, 3, 0x18, 0x576000, 0x575560, 25, "349.850000"},
        {"4.0", "340", 1, 0, 4, 0x20, 0x54DEFA, 0x54D560, 25, "339.850000"},
        {"6.0", "305", 0, 0, 6, 0x30, 0x4C2000, 0x4C1560, 25, "304.850000"},
        {"3.579545", "302", 0, 1, 4, 0x20, 0x544000, 0x544995, 22, "302.174109"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.xtal) + " MHz, " + c.rfA + " MHz");
        Text(F::Xtal) = c.xtal;
        Text(F::RfA) = c.rfA;
        Text(F::Sep) = "32";
        Sel(F::DirA) = c.dirA;
        Sel(F::DirB) = 1;
        Sel(F::LowLo) = c.lowLo;
        ASSERT_TRUE(form.ApplySettings());
        EXPECT_EQ(form.Divider(), c.divider);
        EXPECT_EQ(Slot(13), c.pll);
        EXPECT_EQ(Slot(3) << 16 | Slot(2) << 8 | Slot(1), c.wordA);
        EXPECT_EQ(Slot(6) << 16 | Slot(5) << 8 | Slot(4), c.wordB);
        EXPECT_EQ(Slot(17), c.fsdelay);
        EXPECT_EQ(Text(F::RfA), c.newRfA);
    }
}

// RF A just above 500 MHz: the search (with the 130 kHz IF) moves it to 499.9916 MHz,
// and word B is computed with the 150 kHz IF of that frequency.
TEST_F(KX6500Form, WordBTakesTheIfOfTheSearchedFrequency) {
    Text(F::RfA) = "500.004";
    Text(F::Sep) = "32";
    Sel(F::DirA) = 0;
    Sel(F::DirB) = 0;
    Sel(F::LowLo) = 0;
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Text(F::RfA), "499.991600");
    EXPECT_EQ(form.Divider(), 12);
    EXPECT_EQ(Slot(3) << 16 | Slot(2) << 8 | Slot(1), 0x65A000);
    EXPECT_EQ(Slot(6) << 16 | Slot(5) << 8 | Slot(4), 0x65A10B);
}

TEST_F(KX6500Form, FastCrystalsAndTheirRates) {
    Text(F::Xtal) = "22.1184";
    Text(F::Rate) = "38.4";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(doc.config.kx6200.rate, 38.4);
    EXPECT_EQ(Slot(9) & 7, 2);

    Text(F::Xtal) = "18.432";
    Text(F::Rate) = "38.4";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(m::kRateNeeds384Xtal));
    EXPECT_EQ(doc.config.kx6200.rate, 19.2);
    EXPECT_EQ(Slot(9) & 7, 4);
}

TEST_F(KX6500Form, ShapingMessageOnlyWithShapingOn) {
    Sel(F::Optimal) = 0;
    Text(F::Xtal) = "3.6864";  // D 2: 100 kHz gives an FSEP value of 889
    Text(F::Sep) = "100";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_TRUE(Shown().empty());
    // The staircase from s = 63: slot 28 is k = 1, (1 - cos(pi / 15)) / 2 x 63 = 0.69 -> 1;
    // slot 22 is k = 7, (1 - cos(7 pi / 15)) / 2 x 63 = 28.2 -> 28.
    EXPECT_EQ(Slot(28), 1);
    EXPECT_EQ(Slot(22), 28);
    Sel(F::Shape) = 1;
    form.OnChoiceChanged(F::Shape);
    EXPECT_THAT(Shown(), ElementsAre(m::kShapingSeparation));
    EXPECT_EQ(Slot(20), 0x03);
}

TEST_F(KX6500Form, PowerAboveFiveHundredMegahertz) {
    Text(F::Power) = "4";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Slot(12), 0xFF);
    EXPECT_TRUE(Shown().empty());
    Text(F::Power) = "5";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(m::kMaxPower4dBm));
}

TEST_F(KX6500Form, EstimatorWarningAndSetupByte) {
    Sel(F::BerEnable) = 1;
    Sel(F::BerWindow) = 2;
    Sel(F::SigType) = 1;
    Text(F::Rate) = "9.6";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(m::kBerRateTooHigh));
    EXPECT_EQ(Slot(36), 0x19);
    messages.shown.clear();
    Text(F::Ppm) = "30";  // the IF check fails first: no estimator warning then
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kIfUncertainty));
}

TEST_F(KX6500Form, CrystalCode11AndItsListMessage) {
    Text(F::Xtal) = "18.432";
    form.OnCrystalListLeft();
    EXPECT_TRUE(Shown().empty());
    Text(F::Xtal) = "20";
    form.OnCrystalListLeft();
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kCrystalListNote));
    messages.shown.clear();
    Text(F::Xtal) = "24.5";
    EXPECT_FALSE(form.ApplySettings());
    EXPECT_NE(Shown().front().find("20 - 24 MHz"), std::string::npos);
}

#include "studio/config/CConfigViewKX6200.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "studio/config/CDeviceDlg.h"
#include "studio/config/ParseReal.h"

using namespace tessary;
using F = FieldId;
using ::testing::ElementsAre;

namespace {

class KX6200Form : public ::testing::Test {
protected:
    void SetUp() override {
        doc.OnNewDocument();
        form.OnInitialUpdate();
        messages.shown.clear();
    }
    std::string& Text(F id) { return form.controls.text[Index(id)]; }
    int& Sel(F id) { return form.controls.selection[Index(id)]; }
    int Slot(int i) const { return doc.registers.GetReg(i); }
    int Word(int a, int b, int c) const { return Slot(a) << 16 | Slot(b) << 8 | Slot(c); }
    std::vector<std::string> Shown() const { return messages.ShownTexts(); }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigViewKX6200 form{doc, messages};
};

}  // namespace

TEST_F(KX6200Form, DefaultsGiveTheWorkedExample) {
    EXPECT_EQ(Slot(0), 0x11);
    EXPECT_EQ(Word(1, 2, 3), 0x75A000);
    EXPECT_EQ(Word(4, 5, 6), 0x583313);
    EXPECT_EQ(Slot(7) << 8 | Slot(8), 0x01AB);
    EXPECT_EQ(Slot(9), 0x88);
    EXPECT_EQ(Slot(10), 0x80);
    EXPECT_EQ(Slot(11), 0x40);
    EXPECT_EQ(Slot(12), 0x10);
    EXPECT_EQ(Slot(13), 0x26);
    EXPECT_EQ(Slot(14), 0x90);
    EXPECT_EQ(Slot(15), 0x6F);
    EXPECT_EQ(Slot(16), 0x27);
    EXPECT_EQ(Slot(17), 0x10);
    EXPECT_EQ(Slot(18), 0x01);
    EXPECT_EQ(Slot(34), 0x02);
    EXPECT_EQ(Slot(35), 0x00);
    EXPECT_EQ(Slot(29), 0x25);
    EXPECT_EQ(form.Divider(), 8);
    EXPECT_EQ(form.DividerTx(), 6);
    EXPECT_EQ(form.Current(), 9.9);
    EXPECT_EQ(form.Values().rfA, 868.2972);
    std::vector<std::string> texts;
    for (const auto& c : form.Components()) texts.push_back(c.name + "=" + c.text);
    EXPECT_THAT(texts, ElementsAre("L101=4.7", "L32=120.0", "L41=2.5", "C31=10.0", "C41=N.A", "C42=4.7"));
    EXPECT_FALSE(form.RfBEnabled());
    EXPECT_EQ(Text(F::Xtal), "14.745600");
    EXPECT_EQ(Text(F::Ppm), "20");
    EXPECT_EQ(Text(F::RfA), "868.297200");
    EXPECT_EQ(Text(F::Sep), "64");
    EXPECT_EQ(Text(F::Rate), "2.4");
    EXPECT_TRUE(doc.settingsApplied);
    EXPECT_TRUE(doc.modified);

    // In mode TX the transmit divider sets PLL.
    Sel(F::Mode) = 1;
    form.OnChoiceChanged(F::Mode);
    EXPECT_EQ(Slot(11), 0x30);
    EXPECT_EQ(Slot(0), 0xA1);
}

TEST_F(KX6200Form, WithoutOptimalLowLoAndLowCurrent) {
    Sel(F::Optimal) = 0;
    Sel(F::LowLo) = 0;
    Sel(F::LowCurrent) = 0;
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(form.Divider(), 6);
    EXPECT_EQ(form.DividerTx(), 6);
    EXPECT_EQ(Word(1, 2, 3), 0x5837D0);
    EXPECT_EQ(Slot(9), 0x8C);
    EXPECT_EQ(Slot(11), 0x30);
    EXPECT_EQ(Slot(34), 0x32);
    EXPECT_EQ(form.Current(), 12.0);
    EXPECT_TRUE(Shown().empty());
}

// Optimal-frequency searches in which no candidate divider is usable (every error
// 3 MHz): the first divider with a reference below 2.46 MHz and a word above 4194304
// is taken. Expected values worked out from the calculation steps by hand.
struct NoUsableCandidate {
    const char* xtal;
    const char* rfA;
    int dirA, lowLo;
    int divider, pll, wordA, wordB;
    const char* newRfA;
};

constexpr NoUsableCandidate kNoUsableCandidate[] = {
    {"3.6864", "315", 1, 0, 4, 0x20, 0x5551E4, 0x555479, "315.037200"},
    {"3.6864", "315", 0, 1, 4, 0x20, 0x554000, 0x55494E, "314.876400"},
    {"3.0", "350", 0, 0, 3, 0x18, 0x576000, 0x575560, "349.850000"},
    {"4.0", "340", 1, 0, 4, 0x20, 0x54DEFA, 0x54D560, "339.850000"},
    {"6.0", "305", 0, 0, 6, 0x30, 0x4C2000, 0x4C1560, "304.850000"},
    {"3.579545", "302", 0, 1, 4, 0x20, 0x544000, 0x544995, "302.174109"},
};

TEST_F(KX6200Form, OptimalSearchWithoutAUsableCandidate) {
    for (const auto& c : kNoUsableCandidate) {
        SCOPED_TRACE(std::string(c.xtal) + " MHz, " + c.rfA + " MHz");
        Text(F::Xtal) = c.xtal;
        Text(F::RfA) = c.rfA;
        Text(F::RfB) = "868.95";
        Text(F::Sep) = "32";
        Sel(F::DirA) = c.dirA;
        Sel(F::DirB) = 1;
        Sel(F::LowLo) = c.lowLo;
        Sel(F::Mode) = 0;
        ASSERT_TRUE(form.ApplySettings());
        EXPECT_EQ(form.Divider(), c.divider);
        EXPECT_EQ(Slot(11), c.pll);
        EXPECT_EQ(Word(1, 2, 3), c.wordA);
        EXPECT_EQ(Word(4, 5, 6), c.wordB);
        EXPECT_EQ(Text(F::RfA), c.newRfA);
        EXPECT_EQ(Text(F::RfB), c.newRfA);
        EXPECT_THAT(Shown(), ::testing::Not(::testing::Contains(std::string(kx6200::msg::kNoOptimalFrequency))));
    }
}

TEST_F(KX6200Form, FastCrystalKeeps38k4) {
    Text(F::Rate) = "38.4";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(doc.config.kx6200.rate, 38.4);
    EXPECT_EQ(Slot(16) & 0x03, 1);             // XOSC_FREQ
    EXPECT_EQ(Slot(14), 0xA1);                  // MODEM2 with Xtal / 2: 128 + 33
    EXPECT_TRUE(Shown().empty());
}

TEST_F(KX6200Form, SlowCrystalSnapsTheRateWithAMessageUnlessUart) {
    Text(F::Xtal) = "7.3728";
    Text(F::Rate) = "38.4";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kRateNeedsFasterXtal));
    EXPECT_EQ(doc.config.kx6200.rate, 19.2);
    EXPECT_EQ(Text(F::Rate), "19.2");

    messages.shown.clear();
    Sel(F::Format) = 2;
    Text(F::Rate) = "38.4";
    form.OnChoiceChanged(F::Format);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(doc.config.kx6200.rate, 19.2);
}

TEST_F(KX6200Form, PowerIsRoundedWhenTakenOverThenLooksUpItsTable) {
    Text(F::Power) = "5";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Slot(10), 0xFF);
    EXPECT_TRUE(Shown().empty());
    // 5.9 is stored as 6 (no decimals kept), which is above 5 dBm at 868 MHz.
    Text(F::Power) = "5.9";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(doc.config.kx6200.power, 6);
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kMaxPower5dBm));
    messages.shown.clear();
    Text(F::Power) = "-0.5";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(doc.config.kx6200.power, -1);
    EXPECT_EQ(Slot(10), 0x70);
    EXPECT_TRUE(Shown().empty());
    // Mode TX shows the transmit current of the table.
    Sel(F::Mode) = 1;
    Sel(F::DirA) = 1;
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(form.Current(), 15.8);
}

TEST_F(KX6200Form, At500MHzUpperPowerTableButLowerCurrentColumn) {
    Sel(F::Optimal) = 0;
    Text(F::RfA) = "500";
    Text(F::RfB) = "500";
    Sel(F::LowCurrent) = 0;
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Slot(10), 0x80);  // upper PA_POW table
    EXPECT_EQ(Slot(9), 0x44);   // lower CURRENT column
    EXPECT_EQ(Slot(34), 0x12);  // lower FRONT_END
    EXPECT_EQ(Slot(17), 0x10);  // MATCH: both at 500 or more
    EXPECT_EQ(form.Current(), 12.0);
}

TEST_F(KX6200Form, OptimalMakesBFollowAAndClearingItEnablesB) {
    Text(F::RfA) = "433.92";
    Text(F::RfB) = "869";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(form.Values().rfA, form.Values().rfB);
    EXPECT_EQ(Text(F::RfB), Text(F::RfA));
    EXPECT_FALSE(form.RfBEnabled());

    Sel(F::Optimal) = 0;
    form.OnOptimalClicked();
    EXPECT_TRUE(form.RfBEnabled());
    Text(F::RfB) = "869";
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(form.Values().rfB, 869);
    EXPECT_NE(form.Values().rfA, 869);
}

TEST_F(KX6200Form, RefusedValueChangesNothingAndFocusesTheField) {
    const CConfig before = doc.config;
    const int main = Slot(0);
    const int modem0 = Slot(16);
    doc.modified = false;
    Sel(F::Mode) = 2;
    Text(F::Rate) = "fast";
    EXPECT_FALSE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre("The data rate is not a floating point number"));
    EXPECT_EQ(form.FocusField(), F::Rate);
    EXPECT_EQ(Text(F::Rate), "fast");  // the user's text stays
    EXPECT_EQ(doc.config.kx6200.mode, before.kx6200.mode);
    EXPECT_EQ(Slot(0), main);
    EXPECT_EQ(Slot(16), modem0);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(messages.shown[0].caption, kAppName);
}

TEST_F(KX6200Form, IfUncertaintyWarningIsSkippedWithExternalIf) {
    Text(F::Ppm) = "30";  // 2 x 30 x 868.3 = 52098 Hz
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kIfUncertainty));
    messages.shown.clear();
    Sel(F::IfRssi) = 1;
    form.OnChoiceChanged(F::IfRssi);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Slot(34) & 0x06, 0x04);
}

TEST_F(KX6200Form, LargeSeparationIsCapped) {
    Sel(F::Optimal) = 0;
    Text(F::Xtal) = "3";  // D_tx 2: a 1.5 MHz reference
    Text(F::Sep) = "150";  // 1638.4: fits
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Slot(7) << 8 | Slot(8), 1638);
    EXPECT_TRUE(Shown().empty());
    Text(F::Sep) = "200";  // 2184.5: capped
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(Slot(7) << 8 | Slot(8), 2047);
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kSeparationTooLarge));
}

TEST_F(KX6200Form, TriggersRunApplySettingsTheRightNumberOfTimes) {
    Text(F::Ppm) = "30";  // every apply shows one warning
    form.OnLowLoClicked();
    EXPECT_EQ(Shown().size(), 2u);
    messages.shown.clear();
    form.OnOptimalClicked();
    EXPECT_EQ(Shown().size(), 2u);
    messages.shown.clear();
    form.OnLowCurrentClicked();
    form.OnAccuracyLeft();
    form.OnEnter();
    EXPECT_EQ(Shown().size(), 3u);
    messages.shown.clear();
    form.OnChoiceChanged(F::RxMode);  // hidden list: no trigger
    EXPECT_TRUE(Shown().empty());
    form.OnChoiceChanged(F::Settling);
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(KX6200Form, LeavingTheCrystalListWarnsAboutOtherCrystals) {
    form.OnCrystalListLeft();
    EXPECT_TRUE(Shown().empty());
    Text(F::Xtal) = "12";
    form.OnCrystalListLeft();
    EXPECT_THAT(Shown(), ElementsAre(kx6200::msg::kCrystalListNote));
}

TEST_F(KX6200Form, ResetSettingsAsksFirst) {
    Text(F::RfA) = "433.92";
    ASSERT_TRUE(form.ApplySettings());
    messages.SetAnswer(false);
    form.OnResetSettings();
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0].text, CConfigViewKX6200::kResetQuestion);
    EXPECT_EQ(messages.asked[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(doc.config.kx6200.rfA, 433.92);
    messages.SetAnswer(true);
    form.OnResetSettings();
    EXPECT_EQ(doc.config.kx6200.rfA, 868.2972);
    EXPECT_EQ(Word(1, 2, 3), 0x75A000);
}

TEST_F(KX6200Form, InfoButtonShowsHelp) {
    form.OnInfo(4);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "KX6200: Data rate");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
}

TEST_F(KX6200Form, ShowFillsTheFormFromTheDocument) {
    doc.config.kx6200.rate = 9.6;
    doc.config.kx6200.optimal = 0;
    doc.config.kx6200.rfB = 869;
    doc.UpdateAllViews();
    EXPECT_EQ(Text(F::Rate), "9.6");
    EXPECT_EQ(Text(F::RfB), "869.000000");
    doc.config.kx6200.optimal = 1;
    doc.UpdateAllViews();
    EXPECT_EQ(Text(F::RfB), Text(F::RfA));
}

TEST_F(KX6200Form, SharedBlockSurvivesOnlyWithoutAReset) {
    // What one form of the shared block applies is what the other shows.
    Text(F::RfA) = "433.92";
    ASSERT_TRUE(form.ApplySettings());
    TessaryDocument& d = form.Document();
    // The optimal search moves the form's frequency; the document keeps what was typed
    // until the form is applied again.
    EXPECT_EQ(d.config.kx6200.rfA, 433.92);
    EXPECT_NEAR(form.Values().rfA, 433.916, 0.0005);
    EXPECT_EQ(Text(F::RfA), FormatReal("%3.6f", form.Values().rfA));
    ASSERT_TRUE(form.ApplySettings());
    EXPECT_EQ(d.config.kx6200.rfA, RoundToDecimals(form.Values().rfA, 6));
    MemorySettingsStore profile;
    CDeviceDlg dialog(d, profile);
    dialog.Select(4);
    struct NoHost : DeviceSelectionHost {
        void ShowConfigurationView(DeviceKind) override {}
        void SetDocumentTitle(std::string_view) override {}
    } host;
    dialog.OnOK(host);
    EXPECT_EQ(d.config.kx6200.rfA, 868.2972);
    EXPECT_EQ(Text(F::RfA), "868.297200");
}

// The KX6300 form: the take-over, the sixteen calculation steps into the secondary
// register image, the triggers and the form's own help.

#include "studio/config/CConfigView_KX6300.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "studio/config/KX6300Calc.h"
#include "studio/config/ParseReal.h"

using namespace tessary;
using F = FieldId;
using ::testing::ElementsAre;
namespace m = kx6200::msg;

namespace {

class KX6300Form : public ::testing::Test {
protected:
    void SetUp() override {
        doc.OnNewDocument();
        form.OnInitialUpdate();
        messages.shown.clear();
    }
    std::string& Text(F id) { return form.controls.text[Index(id)]; }
    int& Sel(F id) { return form.controls.selection[Index(id)]; }
    int Slot(int i) const { return doc.registers.GetReg6300(i); }
    int Word(int first) const { return Slot(first) << 16 | Slot(first + 1) << 8 | Slot(first + 2); }
    int Fsep() const { return Slot(7) << 8 | Slot(8); }
    std::vector<std::string> Shown() const { return messages.ShownTexts(); }
    std::string Component(const std::string& name) const {
        for (const auto& c : form.Components())
            if (c.name == name) return c.text;
        return "?";
    }
    // Types the texts in, presses Enter; true when the form took them.
    bool Apply(std::initializer_list<std::pair<F, const char*>> texts) {
        for (const auto& [id, text] : texts) Text(id) = text;
        messages.shown.clear();
        return form.ApplySettings();
    }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigView_KX6300 form{doc, messages};
};

}  // namespace

TEST_F(KX6300Form, DefaultsGiveEveryListedRegister) {
    EXPECT_EQ(Slot(0), 0x01);   // MAIN
    EXPECT_EQ(Slot(9), 0xF3);   // CURRENT
    EXPECT_EQ(Slot(10), 0x00);  // XOSC
    EXPECT_EQ(Slot(11), 0x50);  // PA_POW
    EXPECT_EQ(Slot(13), 0x10);  // LOCK
    EXPECT_EQ(Slot(14), 0x26);  // CAL
    EXPECT_EQ(Slot(16), 0x01);  // FSCTRL
    EXPECT_EQ(Slot(28), 0x25);  // TEST4
    EXPECT_EQ(Slot(25), 0x00);  // PRESCALER
    EXPECT_EQ(form.Current(), 14.2);
    EXPECT_EQ(Component("L1"), "5.6");
    // 868.268 MHz from a 2.4576 MHz reference (D = 6).
    EXPECT_EQ(form.Divider(), 6);
    EXPECT_EQ(Word(1), 0x583325);
    EXPECT_EQ(Word(4), 0x583325);
    EXPECT_EQ(Fsep(), 0x01AB);
    EXPECT_EQ(Slot(12), 0x30);
    EXPECT_EQ(Slot(15), 0x27);
    std::vector<std::string> texts;
    for (const auto& c : form.Components()) texts.push_back(c.name + "=" + c.text + " " + c.unit);
    EXPECT_THAT(texts, ElementsAre("L1=5.6 nH", "L2=2.5 nH", "C1=4.7 pF", "C2=5.6 pF"));
    EXPECT_EQ(Text(F::Xtal), "14.745600");
    EXPECT_EQ(Text(F::RfA), "868.300000");
    EXPECT_EQ(Text(F::Rate), "2.4");
    EXPECT_TRUE(form.RfBEnabled());
    EXPECT_TRUE(doc.settingsApplied);
    EXPECT_TRUE(doc.modified);
    // The primary image of the KX6200/KX6500 is not touched.
    for (int i = 0; i < kPrimarySlots; ++i) EXPECT_EQ(doc.registers.GetReg(i), 0) << i;
}

TEST_F(KX6300Form, FastManchesterOnTheSmallestCrystalKeepsItsRate) {
    Sel(F::Format) = 1;
    ASSERT_TRUE(Apply({{F::Xtal, "3.6864"}, {F::Rate, "76.8"}}));
    EXPECT_EQ(doc.config.kx6300.rate, 76.8);
    EXPECT_EQ(Slot(15) >> 4, 7);       // BAUDRATE
    EXPECT_EQ(Slot(15) & 0x03, 0);     // XOSC_FREQ
    EXPECT_EQ((Slot(15) >> 2) & 3, 1);  // Manchester
    EXPECT_EQ(Slot(28), 0x3F);
    EXPECT_EQ(Slot(25), 0x04);
    EXPECT_TRUE(Shown().empty());
    ASSERT_TRUE(Apply({{F::Rate, "38.4"}}));
    EXPECT_EQ(doc.config.kx6300.rate, 38.4);
    EXPECT_EQ(Slot(15) >> 4, 6);
}

TEST_F(KX6300Form, RateSnapHasNoMessageAndLeavesUartAlone) {
    const std::vector<std::tuple<const char*, const char*, int, double>> cases = {
        {"14.7456", "2.45", 1, 2.4},   // parsed as 2.5, snapped
        {"7.3728", "20", 0, 19.2},     // the full table with every recommended crystal
        {"11.0592", "30", 1, 38.4},
        {"3.6864", "60", 0, 76.8},
        {"7.3728", "0.7", 1, 0.6},
        {"12", "2.45", 1, 2.5},        // not a recommended crystal
        {"14.7456", "20", 2, 20.0},    // UART
    };
    for (const auto& [xtal, rate, format, expected] : cases) {
        Sel(F::Format) = format;
        ASSERT_TRUE(Apply({{F::Xtal, xtal}, {F::Rate, rate}})) << xtal << " " << rate;
        EXPECT_EQ(doc.config.kx6300.rate, expected) << xtal << " " << rate;
        EXPECT_EQ(Text(F::Rate), FormatReal("%1.1f", expected));
        EXPECT_TRUE(Shown().empty()) << xtal << " " << rate;
    }
}

TEST_F(KX6300Form, MainForEveryModeWithAAndBActive) {
    const int expected[5][2] = {{0x01, 0x41}, {0x1F, 0x5F}, {0x1B, 0x5B}, {0x19, 0x59}, {0x11, 0x51}};
    for (int mode = 0; mode < 5; ++mode)
        for (int active = 0; active < 2; ++active) {
            Sel(F::Mode) = mode;
            Sel(F::Active) = active;
            form.OnChoiceChanged(F::Active);
            EXPECT_EQ(Slot(0), expected[mode][active]) << "mode " << mode << " active " << active;
        }
}

TEST_F(KX6300Form, TwelveMegahertzIsTheNineToTwelveRange) {
    ASSERT_TRUE(Apply({{F::Xtal, "12"}}));
    EXPECT_EQ(Slot(15) & 3, 2);
    ASSERT_TRUE(Apply({{F::Xtal, "12.000001"}}));
    EXPECT_EQ(Slot(15) & 3, 3);
    ASSERT_TRUE(Apply({{F::Xtal, "8"}}));
    EXPECT_EQ(Slot(15) & 3, 1);
    ASSERT_TRUE(Apply({{F::Xtal, "4"}}));
    EXPECT_EQ(Slot(15) & 3, 0);
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(kx6300::Modem0(2.4, 1, 5).xtalMessage);  // only a document can hold such a crystal
    EXPECT_FALSE(kx6300::Modem0(2.4, 1, 16).xtalMessage);
}

TEST_F(KX6300Form, FiveHundredMegahertzBelongsToWhichBand) {
    Sel(F::Mode) = 0;
    ASSERT_TRUE(Apply({{F::RfA, "500"}, {F::Power, "0"}}));
    EXPECT_EQ(Slot(9), 0x81);         // CURRENT: the lower band
    EXPECT_EQ(Slot(11), 0x50);        // PA_POW: the upper table
    EXPECT_EQ(form.Current(), 14.2);  // TX current: the upper column
    ASSERT_TRUE(Apply({{F::RfA, "500.000001"}}));
    EXPECT_EQ(Slot(9), 0xF3);
    ASSERT_TRUE(Apply({{F::RfA, "499.999999"}}));
    EXPECT_EQ(Slot(11), 0x0F);
    EXPECT_EQ(form.Current(), 9.1);

    Sel(F::Mode) = kx6300::kXoscCoreBiasSynth;
    ASSERT_TRUE(Apply({{F::RfA, "500"}}));
    EXPECT_EQ(form.Current(), 5.0);
    ASSERT_TRUE(Apply({{F::RfA, "499.999999"}}));
    EXPECT_EQ(form.Current(), 4.0);
}

TEST_F(KX6300Form, ComponentBandsIncludeBothEnds) {
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"860", {"5.6", "2.5", "4.7", "5.6"}},    {"930", {"5.6", "2.5", "4.7", "5.6"}},
        {"859.999999", {"TBD", "TBD", "TBD", "TBD"}}, {"930.000001", {"TBD", "TBD", "TBD", "TBD"}},
        {"390", {"33.0", "6.2", "12.0", "6.8"}},  {"440", {"33.0", "6.2", "12.0", "6.8"}},
        {"300", {"56.0", "20.0", "5.6", "8.2"}},  {"330", {"56.0", "20.0", "5.6", "8.2"}},
        {"350", {"TBD", "TBD", "TBD", "TBD"}},
    };
    for (const auto& [rf, expected] : cases) {
        ASSERT_TRUE(Apply({{F::RfA, rf}})) << rf;
        EXPECT_EQ((std::vector<std::string>{Component("L1"), Component("L2"), Component("C1"), Component("C2")}),
                  expected)
            << rf;
    }
    // The components follow the active frequency.
    Sel(F::Active) = 1;
    ASSERT_TRUE(Apply({{F::RfA, "868"}, {F::RfB, "433.92"}}));
    EXPECT_EQ(Component("L1"), "33.0");
}

TEST_F(KX6300Form, WordBOutOfRangeKeepsThePreviousSlots) {
    const int previous = Word(4);
    // D = 4 for 300 MHz on 3.6864 MHz: 1000 MHz needs a word above the synthesiser's range.
    ASSERT_TRUE(Apply({{F::Xtal, "3.6864"}, {F::RfA, "300"}, {F::RfB, "1000"}}));
    EXPECT_EQ(form.Divider(), 4);
    EXPECT_THAT(Shown(), ElementsAre(m::kSynthOutOfLimit));
    EXPECT_EQ(Word(4), previous);
    EXPECT_EQ(Word(1), static_cast<int>((300e6 - 32000) * 16384 / 921600 - 8192 + 0.5));
    // Below the range as well, and a word in range is written again.
    ASSERT_TRUE(Apply({{F::RfB, "301"}}));
    EXPECT_EQ(Word(4), static_cast<int>((301e6 - 32000) * 16384 / 921600 - 8192 + 0.5));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(KX6300Form, SeparationIsCappedAt2047) {
    ASSERT_TRUE(Apply({{F::Xtal, "3"}, {F::Sep, "200"}}));  // reference 1.5 MHz: 2184.5
    EXPECT_THAT(Shown(), ElementsAre(m::kSeparationTooLarge));
    EXPECT_EQ(Fsep(), 2047);
    ASSERT_TRUE(Apply({{F::Sep, "187"}}));  // 2042.5: rounds to 2043, below the cap
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Fsep(), 2043);
}

TEST_F(KX6300Form, OutputPowerTablesAndTheirMessage) {
    ASSERT_TRUE(Apply({{F::RfA, "433.92"}, {F::Power, "12"}}));
    EXPECT_EQ(Slot(11), 0xFF);
    EXPECT_EQ(form.Current(), 23.3);
    EXPECT_TRUE(Shown().empty());
    ASSERT_TRUE(Apply({{F::RfA, "868.3"}, {F::Power, "8"}}));
    EXPECT_EQ(Slot(11), 0xFF);
    EXPECT_TRUE(Shown().empty());
    ASSERT_TRUE(Apply({{F::Power, "9"}}));
    EXPECT_EQ(Slot(11), 0xFF);
    EXPECT_THAT(Shown(), ElementsAre(kx6300::msg::kMaxPower8dBm));
    EXPECT_EQ(form.Current(), 24.9);
    ASSERT_TRUE(Apply({{F::Power, "-20"}}));
    EXPECT_EQ(Slot(11), 0x02);
    EXPECT_EQ(form.Current(), 8.0);
    ASSERT_TRUE(Apply({{F::Power, "-0.5"}}));  // rounded away from zero: -1 dBm
    EXPECT_EQ(Slot(11), 0x40);
    // Out of the table (a document can hold anything): slot and figure stay.
    EXPECT_FALSE(kx6300::PaPow(13.5, 868));
    EXPECT_FALSE(kx6300::TypicalCurrent(kx6300::kTX, 868, 14.7456, -21));
    EXPECT_FALSE(Apply({{F::Power, "13"}}));
    EXPECT_THAT(Shown(), ElementsAre("Please enter a number between -20 and 12."));
    EXPECT_EQ(Slot(11), 0x40);
}

TEST_F(KX6300Form, ListsAndRadioButtons) {
    const int lock[] = {0x10, 0x20, 0x80, 0x00};
    for (int i = 0; i < 4; ++i) {
        Sel(F::Lock) = i;
        form.OnChoiceChanged(F::Lock);
        EXPECT_EQ(Slot(13), lock[i]);
    }
    // The shaping list is hidden but calculated.
    const int fsctrl[] = {0x01, 0x03, 0x0D, 0x0F};
    for (int i = 0; i < 4; ++i) {
        Sel(F::Shape) = i;
        form.OnChoiceChanged(F::Shape);
        EXPECT_EQ(Slot(16), fsctrl[i]);
        EXPECT_EQ(doc.config.kx6300.shape, i);
    }
    Sel(F::Xosc) = 1;
    form.OnChoiceChanged(F::Xosc);
    EXPECT_EQ(Slot(10), 0x01);
    Sel(F::Format) = 2;
    form.OnChoiceChanged(F::Format);
    EXPECT_EQ((Slot(15) >> 2) & 3, 2);
    bool shapeHidden = false;
    for (const auto& c : form.Controls()) shapeHidden = shapeHidden || (c.id == F::Shape && c.hidden);
    EXPECT_TRUE(shapeHidden);
    // A field that is no list or radio button of this form triggers nothing.
    Sel(F::Mode) = 1;
    form.OnChoiceChanged(F::Settling);
    EXPECT_EQ(doc.config.kx6300.mode, 0);
}

TEST_F(KX6300Form, CurrentByMode) {
    const std::vector<std::tuple<int, const char*, double>> cases = {
        {kx6300::kPD, "14.7456", 0.0002},   {kx6300::kXoscCore, "8", 0.03},
        {kx6300::kXoscCore, "14", 0.08},     {kx6300::kXoscCore, "14.7456", 0.105},
        {kx6300::kXoscCoreBias, "3.6864", 0.4}, {kx6300::kXoscCoreBiasSynth, "3.6864", 5.0},
    };
    for (const auto& [mode, xtal, current] : cases) {
        Sel(F::Mode) = mode;
        ASSERT_TRUE(Apply({{F::Xtal, xtal}}));
        EXPECT_EQ(form.Current(), current) << mode << " " << xtal;
    }
}

TEST_F(KX6300Form, RefusedValuesChangeNothing) {
    const std::vector<int> before = [&] {
        std::vector<int> s;
        for (int i = 0; i < kSecondarySlots; ++i) s.push_back(Slot(i));
        return s;
    }();
    // Both RF fields are parsed before either is checked: the second one's parse
    // failure comes first.
    EXPECT_FALSE(Apply({{F::RfA, "1200"}, {F::RfB, "near 868"}}));
    EXPECT_THAT(Shown(), ElementsAre("The RF frequency is not a floating point number"));
    EXPECT_EQ(form.FocusField(), F::RfB);
    EXPECT_FALSE(Apply({{F::RfB, "868"}}));
    EXPECT_THAT(Shown(), ElementsAre("An illegal value has been entered.\nThe value must be between 300.000 and "
                                     "1000.000 MHz."));
    EXPECT_EQ(form.FocusField(), F::RfA);
    EXPECT_FALSE(Apply({{F::RfA, "868"}, {F::Xtal, "18.432"}}));
    EXPECT_EQ(form.FocusField(), F::Xtal);
    EXPECT_FALSE(Apply({{F::Xtal, "14.7456"}, {F::Rate, "80"}}));
    EXPECT_EQ(form.FocusField(), F::Rate);
    EXPECT_EQ(Text(F::Rate), "80");  // the form keeps the text typed
    EXPECT_EQ(doc.config.kx6300.rfA, 868.3);
    EXPECT_EQ(doc.config.kx6300.rfB, 868.3);
    for (int i = 0; i < kSecondarySlots; ++i) EXPECT_EQ(Slot(i), before[static_cast<std::size_t>(i)]) << i;
    ASSERT_TRUE(Apply({{F::Rate, "4.8"}}));
    EXPECT_FALSE(form.FocusField());
    EXPECT_EQ(doc.config.kx6300.rfB, 868.0);
}

TEST_F(KX6300Form, CrystalListLeavingWarnsOfOtherCrystals) {
    Text(F::Xtal) = "12";
    form.OnCrystalListLeft();
    EXPECT_THAT(Shown(), ElementsAre(m::kCrystalListNote));
    messages.shown.clear();
    Text(F::Xtal) = "7.3728";
    form.OnCrystalListLeft();
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(doc.config.kx6300.xtal, 7.3728);
    EXPECT_THAT(form.Crystals(), ElementsAre("3.686400", "7.372800", "11.059200", "14.745600"));
}

TEST_F(KX6300Form, ResetSettingsAsksThenRestoresTheDefaults) {
    ASSERT_TRUE(Apply({{F::RfA, "433.92"}}));
    messages.SetAnswer(false);
    form.OnResetSettings();
    EXPECT_EQ(doc.config.kx6300.rfA, 433.92);
    messages.SetAnswer(true);
    form.OnResetSettings();
    EXPECT_EQ(messages.asked.back().text, ControlTableForm::kResetQuestion);
    EXPECT_EQ(doc.config.kx6300.rfA, 868.3);
    EXPECT_EQ(Text(F::RfA), "868.300000");
    EXPECT_EQ(Word(1), 0x583325);
}

TEST_F(KX6300Form, ElevenInfoButtonsWithTheirHelp) {
    const char* titles[] = {"KX6300: Crystal frequency", "KX6300: RF frequency", "KX6300: Frequency separation",
                            "KX6300: Data rate",         "KX6300: Data format",  "KX6300: RF output power",
                            "KX6300: Modulation shaping", "KX6300: Lock",        "KX6300: Mode",
                            "KX6300: VCO inductor",      "KX6300: Match"};
    for (int b = 0; b < 11; ++b) {
        messages.shown.clear();
        form.OnInfo(b);
        ASSERT_EQ(messages.shown.size(), 1u) << b;
        EXPECT_EQ(messages.shown[0].caption, titles[b]);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
        EXPECT_GT(messages.shown[0].text.size(), 40u) << titles[b];
    }
    EXPECT_EQ(InfoStringNumber(InfoForm::KX6300, InfoButtonControl(InfoForm::KX6300, 10)), 1224);
    messages.shown.clear();
    form.OnInfo(11);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(KX6300Form, ControlNamesAreTheCommandLinesFields) {
    std::string names;
    for (const auto& c : form.Controls()) names += std::string(c.name) + " ";
    EXPECT_EQ(names, "xtal rf_a rf_b sep rate power format shape lock mode xosc active ");
}

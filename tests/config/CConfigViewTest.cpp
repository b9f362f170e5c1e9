// The KX400/KX900 form: take-over, SI conversion, what Apply stores and what a failed
// step leaves alone, Enter, Reset, the Info buttons and hostile input.

#include "studio/config/CConfigView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "studio/config/ConfigFile.h"
#include "studio/config/ParseReal.h"

using namespace tessary;
using F = FieldId;
using ::testing::ElementsAre;
namespace m = kx400::msg;

namespace {

class KX400Form : public ::testing::Test {
protected:
    // As "Device Setting" leaves the document: the device number, its defaults, then the
    // form shown and applied once.
    void Select(double deviceNumber) {
        doc.config.kx400.deviceNumber = deviceNumber;
        doc.config.Reset();
        form.OnInitialUpdate();
        doc.modified = false;
        messages.shown.clear();
    }
    void SetUp() override { Select(4); }
    std::string& Text(F id) { return form.controls.text[Index(id)]; }
    int& Sel(F id) { return form.controls.selection[Index(id)]; }
    std::array<int, 8> Frames() const {
        std::array<int, 8> f{};
        for (int i = 0; i < 8; ++i) f[static_cast<std::size_t>(i)] = doc.registers.GetFrame(i);
        return f;
    }

    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigView form{doc, messages};
};

}  // namespace

TEST_F(KX400Form, FirstDisplayShowsAndAppliesTheDefaults) {
    EXPECT_EQ(Text(F::Xtal), "12.000000");
    EXPECT_EQ(Text(F::Ppm), "50");
    EXPECT_EQ(Text(F::Rf), "433.920000");
    EXPECT_EQ(Text(F::Sep), "10");
    EXPECT_EQ(Text(F::Rate), "1.2");
    EXPECT_EQ(Text(F::Power), "10");
    EXPECT_EQ(Sel(F::PaClass), 2);
    EXPECT_EQ(form.DeviceNumber(), 4);
    // RX: frame B with the KX400's device bits, D from F = -287.
    EXPECT_EQ(Frames(), (std::array<int, 8>{0x002A, 0x130B, 0x0141, 0x06E1, 0x0A00, 0x1A03, 0x0B6C, 0x0040}));
    EXPECT_EQ(form.Current(), 18);
    EXPECT_EQ(doc.config.ifStageText, "200");
    EXPECT_EQ(doc.config.paClassText, "Class B");
    EXPECT_EQ(doc.config.modeText, "RX");
    EXPECT_EQ(doc.config.vcoGainText, "000 (Maximum)");
    EXPECT_EQ(doc.config.lockText, "Continuous");
    EXPECT_EQ(doc.config.rxModeText, "Optimum sensitivity");
    EXPECT_TRUE(doc.settingsApplied);
}

TEST_F(KX400Form, ValuesAreStoredInSiUnitsAndShownInTheFormsUnits) {
    Text(F::Xtal) = "10.7";
    Text(F::Ppm) = "10";
    Text(F::Rf) = "315.5";
    Text(F::Sep) = "15";
    Text(F::Rate) = "4.8";
    Sel(F::Mode) = 1;
    Sel(F::VcoCurrent) = 7;
    ASSERT_TRUE(form.OnEnter());
    const KX400Block& b = doc.config.kx400;
    EXPECT_EQ(b.xtal, 10.7 * 1e6);
    EXPECT_EQ(b.ppm, 10 * 1e-6);
    EXPECT_EQ(b.rf, 315.5 * 1e6);
    EXPECT_EQ(b.sep, 15 * 1e3);
    EXPECT_EQ(b.rate, 4.8 * 1e3);
    EXPECT_EQ(b.mode, 1);
    EXPECT_EQ(b.vcoCurrent, 7);
    EXPECT_EQ(doc.config.vcoGainText, "111 (Minimum)");
    EXPECT_EQ(doc.config.modeText, "TX");
    EXPECT_EQ(form.Fields().number[Index(F::Ppm)], 10 * 1e-6 / 1e-6);
    EXPECT_EQ(Text(F::Rf), "315.500000");
    EXPECT_EQ(form.Current(), 51);  // class B at 10 dBm in TX
    EXPECT_TRUE(doc.modified);
}

TEST_F(KX400Form, TakeOverOrderAndTheLimitsOfDevicesFourAndNine) {
    const CConfig before = doc.config;
    // The IF stage is read first, the crystal before the data rate: a bad crystal is
    // reported although the rate is bad too, and the IF stage already sits in the form.
    Sel(F::IfStage) = 2;
    Text(F::Xtal) = "14";
    Text(F::Rate) = "20";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(messages.shown.back().text, "An illegal value has been entered.\nThe value must be between 4.000000 and "
                                          "13.000000 MHz.");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Exclamation);
    EXPECT_EQ(form.FocusField(), F::Xtal);
    EXPECT_EQ(form.Fields().index[Index(F::IfStage)], 2);
    EXPECT_EQ(doc.config.kx400.ifStage, before.kx400.ifStage);
    Text(F::Xtal) = "12";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.FocusField(), F::Rate);
    EXPECT_EQ(messages.shown.back().text, "An illegal value has been entered.\nThe value must be between 0.3 and 9.6 kbps.");
    // RF before accuracy and separation; the power last, without a range of its own.
    Text(F::Rate) = "1.2";
    Text(F::Rf) = "868.3";
    Text(F::Ppm) = "900";
    Text(F::Power) = "x";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.FocusField(), F::Rf);
    EXPECT_NE(messages.shown.back().text.find("for the KX400."), std::string::npos);
    Text(F::Rf) = "433.92";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.FocusField(), F::Ppm);
    Text(F::Ppm) = "10";
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.FocusField(), F::Power);
    EXPECT_EQ(messages.shown.back().text, "The RF output power is not a floating point number");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::None);
    EXPECT_EQ(Frames()[0], 0x002A);  // nothing was computed
    EXPECT_EQ(doc.config.kx400.rf, before.kx400.rf);

    // Device number 9: 800 to 1000 MHz.
    Select(9);
    Text(F::Rf) = "433.92";
    EXPECT_FALSE(form.Apply());
    EXPECT_NE(messages.shown.back().text.find("for the KX900."), std::string::npos);
    Text(F::Rf) = "1000";
    EXPECT_TRUE(form.Apply());
    Text(F::Xtal) = "3.5";  // 4 to 13 MHz for 9 as for 4
    EXPECT_FALSE(form.Apply());
    EXPECT_EQ(form.FocusField(), F::Xtal);

    // Device number -1: the three-range crystal check, no RF or data-rate limits.
    Select(-1);
    Text(F::Xtal) = "3.5";
    Text(F::Rf) = "2000";
    Text(F::Rate) = "50";
    messages.shown.clear();
    form.Apply();
    EXPECT_NE(form.FocusField(), F::Xtal);
    EXPECT_NE(form.FocusField(), F::Rf);
    EXPECT_NE(form.FocusField(), F::Rate);
}

TEST_F(KX400Form, AFailedStepAppliesNothing) {
    const auto frames = Frames();
    const CConfig before = doc.config;
    Sel(F::PaClass) = 0;  // class A cannot give 10 dBm
    Text(F::Rf) = "434.5";
    EXPECT_FALSE(form.OnEnter());
    EXPECT_THAT(messages.ShownTexts(), ElementsAre(m::kIllegalPower));
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(doc.config.kx400.paClass, before.kx400.paClass);
    EXPECT_EQ(doc.config.kx400.rf, before.kx400.rf);
    EXPECT_EQ(doc.config.paClassText, "Class B");
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(form.FocusField());
    // The form keeps what was typed.
    EXPECT_EQ(Text(F::Rf), "434.5");
    EXPECT_EQ(form.Fields().number[Index(F::Rf)], 434.5);
}

TEST_F(KX400Form, MessagesThatDoNotEndTheCalculation) {
    Sel(F::IfStage) = 3;
    Sel(F::Mode) = 1;
    Text(F::Xtal) = "4";
    Text(F::Sep) = "200";
    Text(F::Ppm) = "10";
    Text(F::Power) = "5";
    ASSERT_TRUE(form.Apply());
    const auto shown = messages.ShownTexts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].rfind("The If filter you are using should have a bandwidth > ", 0), 0u);
    EXPECT_EQ(shown[1], m::kSynthesizer);
    EXPECT_EQ(doc.config.kx400.sep, 200e3);
    EXPECT_EQ(doc.registers.GetFrame(2) & 0x1F, 15);  // the last ratio tried
}

TEST_F(KX400Form, RecalculateFillsTheFramesOnly) {
    doc.settingsApplied = false;
    doc.config.kx400.deviceNumber = 9;
    doc.config.Reset();
    doc.UpdateAllViews();
    form.Recalculate();
    EXPECT_EQ(doc.registers.GetFrame(1) & 0x1800, 0x0800);
    EXPECT_EQ(form.Current(), 23);
    EXPECT_FALSE(doc.settingsApplied);
    EXPECT_FALSE(doc.modified);
}

TEST_F(KX400Form, EnterTakesTheDeviceNumberFromTheDocument) {
    doc.config.kx400.deviceNumber = 9;  // changed behind the form's back
    EXPECT_EQ(form.DeviceNumber(), 4);
    messages.shown.clear();
    form.OnEnter();
    EXPECT_EQ(form.DeviceNumber(), 9);
    EXPECT_EQ(doc.config.kx400.deviceNumber, 9);
}

TEST_F(KX400Form, ResetSettingsAsksFirst) {
    Text(F::Rf) = "315";
    ASSERT_TRUE(form.OnEnter());
    messages.SetAnswer(false);
    form.OnResetSettings();
    EXPECT_EQ(messages.asked.back().text, SharedBlockForm::kResetQuestion);
    EXPECT_EQ(messages.asked.back().icon, MessageIcon::Exclamation);
    EXPECT_EQ(doc.config.kx400.rf, 315e6);
    messages.SetAnswer(true);
    form.OnResetSettings();
    EXPECT_EQ(doc.config.kx400.rf, 433920000);
    EXPECT_EQ(Text(F::Rf), "433.920000");
    EXPECT_EQ(doc.config.kx400.deviceNumber, 4);
}

TEST_F(KX400Form, InfoButtonsFollowTheDeviceNumber) {
    form.OnInfo(0);
    EXPECT_EQ(messages.shown.back().caption, "KX400: Crystal frequency");
    EXPECT_EQ(messages.shown.back().icon, MessageIcon::Information);
    EXPECT_NE(messages.shown.back().text.find("4 to 13 MHz"), std::string::npos);
    form.OnInfo(2);
    EXPECT_NE(messages.shown.back().text.find("300 to 500 MHz"), std::string::npos);
    for (double number : {9.0, -1.0}) {
        Select(number);
        form.OnInfo(2);
        EXPECT_EQ(messages.shown.back().caption, "KX900: RF frequency");
        EXPECT_NE(messages.shown.back().text.find("800 to 1000 MHz"), std::string::npos);
    }
    for (int b = 0; b < 14; ++b) {
        for (double number : {4.0, 9.0}) {
            Select(number);
            form.OnInfo(b);
            ASSERT_FALSE(messages.shown.empty());
            EXPECT_GT(messages.shown.back().text.size(), 40u) << b;
        }
    }
}

TEST_F(KX400Form, ListingFramesPerModeShowTheirMessages) {
    Sel(F::IfStage) = 3;
    ASSERT_TRUE(form.Apply());
    messages.shown.clear();
    const double current = form.Current();
    for (int mode = 0; mode < kx400::kModeCount; ++mode) {
        const auto frames = form.FramesForMode(mode);
        ASSERT_TRUE(frames);
        EXPECT_EQ(frames->GetFrame(1) & 0x1800, 0x1000) << mode;
    }
    EXPECT_EQ(messages.shown.size(), 5u);  // the external-filter message once per mode
    EXPECT_EQ(form.Current(), current);
    EXPECT_EQ(form.Fields().index[Index(F::Mode)], 0);
}

TEST(KX400FormHostile, RandomTextsAndIndicesNeitherCrashNorHang) {
    const std::vector<std::string> nasty = {
        "", " ", "nan", "-nan", "inf", "-inf", "1e308", "-1e308", "1e-320", "0", "-0", "0x1p3", "4e9999",
        "2147483648", "-2147483649", "%s%n", std::string(100, '9'), "12", "433.92", "868.3", "-50", "0.3", "9.6",
        "200", "500", "-20", "14", "4", "13", "1,5", "\xff\xfe",
    };
    std::mt19937 rng(2024);
    for (double number : {4.0, 9.0, -1.0}) {
        TessaryDocument doc;
        doc.config.kx400.deviceNumber = number;
        doc.config.Reset();
        RecordingMessageSink messages;
        CConfigView form(doc, messages);
        form.OnInitialUpdate();
        int applied = 0;
        for (int round = 0; round < 3000; ++round) {
            if (rng() % 3 == 0) form.OnUpdate();
            for (int k = 0; k < 1 + static_cast<int>(rng() % 3); ++k) {
                const auto& control = CConfigView::ControlTable()[rng() % CConfigView::ControlTable().size()];
                if (FindNumericSpec(control.id))
                    form.controls.text[Index(control.id)] =
                        rng() % 2 ? nasty[rng() % nasty.size()]
                                  : FormatReal("%.9g", std::uniform_real_distribution<double>(-2000, 2000)(rng));
                else
                    form.controls.selection[Index(control.id)] = std::uniform_int_distribution<int>(-3, 9)(rng);
            }
            switch (rng() % 4) {
                case 0: form.UpdateDevice(); break;
                case 1: form.FramesForMode(static_cast<int>(rng() % 5)); break;
                default: applied += form.OnEnter() ? 1 : 0; break;
            }
            messages.shown.clear();
        }
        EXPECT_GT(applied, 20) << number;
    }
}

TEST(KX400FormHostile, RandomDocumentsLoadAndCalculate) {
    std::mt19937 rng(99);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> bytes(kConfigFileSize);
        const auto sane = SerializeConfig(CConfig{});
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = rng() % 4 ? sane[i] : static_cast<std::uint8_t>(rng());
        TessaryDocument doc;
        std::string error;
        ASSERT_TRUE(doc.Load(bytes, error));
        RecordingMessageSink messages;
        CConfigView form(doc, messages);
        form.OnInitialUpdate();
        form.UpdateDevice();
        for (int mode = 0; mode < 5; ++mode) form.FramesForMode(mode);
    }
}

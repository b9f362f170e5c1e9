// The Timers view on the fake target: the value layouts, captions and list texts by
// mode, the 3-byte writes of the single fields and the byte and bit controls.
#include <gtest/gtest.h>

#include "display/core/CTimersDlg.h"
#include "display/core/SfrMap.h"
#include "tests/display/ViewRig.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using Strings = std::vector<std::string>;

namespace {
struct Timers : kx6500disp::testing::ViewRig<CTimersDlg> {
    Timers() : ViewRig(Precheck::Decimal) {}
};
}  // namespace

TEST(Timers, ThirteenBitValueIsShownClampedAndWrittenOverTl0ToTh0) {
    Timers r;
    r.Show({{TMOD, 0x00}, {TH0, 0x12}, {TL0, 0xFF}, {TL1, 0x5A}});
    EXPECT_EQ(r.S("T0 label").text, "TH0+TL0: T0 value (13):");
    EXPECT_EQ(r.S("T0 value").text, "607");
    EXPECT_TRUE(r.S("T0 value").visible);
    EXPECT_FALSE(r.S("TH0").visible);
    EXPECT_FALSE(r.S("TL0").visible);
    r.Commit("T0 value", "8192");
    EXPECT_EQ(r.S("T0 value").text, "8191");
    EXPECT_EQ(r.t.log, (Strings{"R F000008A 3", "W F000008A 3 1F 5A FF"}));  // TL1 between, as read

    r.Show({{TL0, 0xE0}});
    r.Commit("T0 value", "33");  // bits 7..5 of TL0 go: the whole byte is the value's
    EXPECT_EQ(r.t.Writes(), (Strings{"W F000008A 3 01 5A 01"}));
    EXPECT_EQ(r.S("T0 value").text, "33");
}

TEST(Timers, SixteenBitValueOfTimer1RewritesTh0Between) {
    Timers r;
    r.Show({{TMOD, 0x10}, {TH1, 0x12}, {TL1, 0x34}, {TH0, 0x77}});
    EXPECT_EQ(r.S("T1 label").text, "TH1+TL1: T1 value (16):");
    EXPECT_EQ(r.S("T1 value").text, std::to_string(0x1234));
    r.Commit("T1 value", "70000");
    EXPECT_EQ(r.S("T1 value").text, "65535");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F000008B 3 FF 77 FF"}));
    r.t.ClearLog();
    r.Commit("T1 value", "258");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F000008B 3 02 77 01"}));
}

TEST(Timers, TwoByteModesShowThePairsAndTheSingleFieldWritesNothing) {
    Timers r;
    r.Show({{TMOD, 0x22}, {TH0, 0xAB}, {TL0, 0xCD}, {TH1, 0x01}, {TL1, 0x02}});
    EXPECT_EQ(r.S("T0 label").text, "TH0 (reload) | TL0 (count):");
    EXPECT_EQ(r.S("T1 label").text, "TH1 (reload) | TL1 (count):");
    EXPECT_EQ(r.C("T0 mode").items[r.S("T0 mode").index], "8-bit auto-reload timer");
    EXPECT_EQ(r.C("T1 mode").items[r.S("T1 mode").index], "8-bit auto-reload timer");
    for (const char* id : {"TH0", "TL0", "TH1", "TL1"}) EXPECT_TRUE(r.S(id).visible) << id;
    EXPECT_FALSE(r.S("T0 value").visible);
    EXPECT_FALSE(r.S("T1 value").visible);
    EXPECT_EQ(r.S("TH0").text, "171");
    EXPECT_EQ(r.S("TL1").text, "2");

    r.Commit("T0 value", "5");  // present though hidden
    r.Commit("T1 value", "5");
    EXPECT_TRUE(r.t.Writes().empty());
    r.Commit("TL0", "300");
    EXPECT_EQ(r.S("TL0").text, "255");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F000008A 1 FF"}));

    r.Show({{TMOD, 0x77}});  // mode 3, counters
    EXPECT_EQ(r.S("T0 label").text, "TH0 | TL0:");
    EXPECT_EQ(r.S("T1 label").text, "TH1 | TL1:");
    EXPECT_EQ(r.C("T0 mode").items,
              (Strings{"13-bit counter", "16-bit counter", "8-bit auto-reload counter", "Two 8-bit counters"}));
    EXPECT_EQ(r.S("T1 mode").index, 3);
}

TEST(Timers, LabelsAndListTextsChangeAtTheNextRefreshNotAtTheWrite) {
    Timers r;
    r.Show({{TMOD, 0x00}, {TCON2, 0x00}});
    r.view->Select("T0 mode", 2);
    r.view->Click("CT0", true);
    r.view->Select("T2 mode", 1);
    EXPECT_EQ(r.t.data[TMOD], 0x06);
    EXPECT_EQ(r.t.data[TCON2], 0x01);
    EXPECT_EQ(r.S("T0 label").text, "TH0+TL0: T0 value (13):");
    EXPECT_EQ(r.C("T0 mode").items[2], "8-bit auto-reload timer");
    EXPECT_EQ(r.S("T2 label").text, "T2 - Timer 2 L'value:");
    EXPECT_TRUE(r.S("T0 value").visible);
    r.view->Update();
    EXPECT_EQ(r.S("T0 label").text, "TH0 (reload) | TL0 (count):");
    EXPECT_EQ(r.C("T0 mode").items[2], "8-bit auto-reload counter");
    EXPECT_EQ(r.S("T0 mode").index, 2);
    EXPECT_FALSE(r.S("T0 value").visible);
    EXPECT_EQ(r.S("T2 label").text, "T2 - Duty cycle of PWM:");
    EXPECT_EQ(r.S("T2PRE label").text, "T2PRE - Period of PWM:");
    EXPECT_EQ(r.S("T3 label").text, "T3 - Timer 3 L'value:");
    EXPECT_EQ(r.S("T3PRE label").text, "T3PRE - Timer 3 H'value:");
    r.Show({{TCON2, 0x04}});
    EXPECT_EQ(r.S("T2 label").text, "T2 - Timer 2 L'value:");
    EXPECT_EQ(r.S("T2PRE label").text, "T2PRE - Timer 2 H'value:");
    EXPECT_EQ(r.S("T3 label").text, "T3 - Duty cycle of PWM:");
    EXPECT_EQ(r.S("T3PRE label").text, "T3PRE - Period of PWM:");
}

TEST(Timers, AFailedExchangeOrAFailedPrecheckWritesNothing) {
    Timers r;
    r.Show({{TMOD, 0x00}, {TL0, 0xE5}, {TH0, 0x01}});
    r.view->TypeText("T2", "abc");  // typed, not committed: the exchange stops there
    r.Commit("T0 value", "100");
    EXPECT_EQ(r.notifier.events, (Strings{"Please enter an integer."}));
    EXPECT_TRUE(r.t.Writes().empty());
    EXPECT_EQ(r.t.data[TL0], 0xE5);  // bits 7..5 as they were
    r.view->Leave("T2");
    for (const char* text : {"-5", "1A", "", " 7"}) {
        r.Commit("TH0", text);
        EXPECT_EQ(r.S("TH0").text, text);  // the typed text stays
    }
    EXPECT_TRUE(r.t.Writes().empty());
    EXPECT_EQ(r.notifier.events.size(), 1u);
}

TEST(Timers, WatchdogIsShownOnlyAndTheClockReloadIsSevenBits) {
    Timers r;
    r.Show({{WDT, 0x0A}, {RTCON, 0x85}});
    EXPECT_TRUE(r.S("Watchdog Timer Enable").checked);
    EXPECT_FALSE(r.S("Watchdog Timer Enable").enabled);
    EXPECT_TRUE(r.S("Realtime Clock Enable").checked);
    EXPECT_EQ(r.S("Prescaler").index, 2);
    EXPECT_EQ(r.S("Reload value").text, "5");
    r.view->Click("Watchdog Timer Enable", false);
    EXPECT_TRUE(r.t.log.empty());
    r.Commit("Reload value", "200");
    EXPECT_EQ(r.S("Reload value").text, "127");
    EXPECT_EQ(r.t.data[RTCON], 0xFF);
    r.view->Click("Realtime Clock Enable", false);
    EXPECT_EQ(r.t.data[RTCON], 0x7F);
    r.view->Select("Prescaler", 1);
    EXPECT_EQ(r.t.data[WDT], 0x09);
}

// The serial port views on the fake target: the "Status:" lines by mode, clock and
// timer 1, the TB8/RB8 and buffer commits, and the debugger's port that writes nothing.
#include <gtest/gtest.h>

#include "display/core/CSerialDlg.h"
#include "display/core/SfrMap.h"
#include "tests/display/ViewRig.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::ViewRig;
using Strings = std::vector<std::string>;

namespace {
struct Serial0 : ViewRig<CSerial0Dlg> {
    Serial0() : ViewRig(Precheck::Hex) {}
};
struct Serial1 : ViewRig<CSerial1Dlg> {
    Serial1() : ViewRig(Precheck::Hex) {}
};
}  // namespace

TEST(Serial, TimerOneRateIsShownOnlyInAutoReload) {
    Serial0 r;
    r.t.clockHz = 11059200;
    r.Show({{SCON0, 0x40}, {TMOD, 0x20}, {TH1, 0xFD}, {CKCON, 0x00}, {PCON, 0x00}});
    EXPECT_EQ(r.C("Status").items,
              (Strings{"Asynchronous mode", "Baud rate: 9600", "Data bits: 8", "Start/Stop bits: 1 / 1",
                       "Parity bit: None"}));
    r.Show({{TMOD, 0x10}});
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: N/A");
    r.Show({{TMOD, 0x20}, {CKCON, 0x10}, {PCON, 0x80}, {SCON0, 0xC0}});  // mode 3, Clock / 4, SMOD
    EXPECT_EQ(r.C("Status").items,
              (Strings{"Asynchronous mode", "Baud rate: 57600", "Data bits: 9", "Start/Stop bits: 1 / 1",
                       "Parity bit: 0 / 1 / Parity"}));
    // The largest clock: (SMOD + 1) x clock overflows 32 bits, not the 64 used.
    r.t.clockHz = 0xFFFFFFFFu;
    r.Show({{TH1, 0xFF}});
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: " + std::to_string(2 * 0xFFFFFFFFull / 128));
    r.Show({{TH1, 0x00}, {CKCON, 0x00}, {PCON, 0x00}});  // 256 - TH1 at its largest
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: " + std::to_string(0xFFFFFFFFull / (256 * 12 * 32)));
}

TEST(Serial, SynchronousAndFixedRateModes) {
    Serial0 r;
    r.t.clockHz = 14745600;
    r.Show({{SCON0, 0x80}, {PCON, 0x80}});
    EXPECT_EQ(r.C("Status").items,
              (Strings{"Asynchronous mode", "Baud rate: 460800", "Data bits: 9", "Start/Stop bits: 1 / 1",
                       "Parity bit: 0 / 1 / Parity"}));
    r.Show({{PCON, 0x00}});
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: 230400");
    r.Show({{SCON0, 0x00}});
    EXPECT_EQ(r.C("Status").items, (Strings{"Synchronous mode", "Baud rate: 1228800", "Data bits: 8",
                                            "Start/Stop bits: None", "Parity bit: None"}));
    r.Show({{SCON0, 0x20}});  // bit 5 picks Clock / 4
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: 3686400");
    r.t.clockHz = 0;
    r.Show({});
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: 0");
}

TEST(Serial, BitFieldsAndTheDataBuffer) {
    Serial0 r;
    r.Show({{SCON0, 0x00}, {SBUF0, 0x3C}});
    EXPECT_EQ(r.S("Data buffer").text, "3C");
    r.Commit("TB8", "7");
    EXPECT_EQ(r.S("TB8").text, "1");
    EXPECT_EQ(r.t.data[SCON0], 0x08);
    r.Commit("RB8", "1");
    EXPECT_EQ(r.t.data[SCON0], 0x0C);
    r.Commit("TB8", "0");
    EXPECT_EQ(r.t.data[SCON0], 0x04);
    r.t.ClearLog();
    r.Commit("RB8", "1A");  // hex digits pass, the integer exchange refuses them
    EXPECT_EQ(r.notifier.events, (Strings{"Please enter an integer."}));
    EXPECT_TRUE(r.t.Writes().empty());
    r.view->Leave("RB8");

    r.Commit("Data buffer", "a");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F0000099 1 0A"}));
    r.t.ClearLog();
    r.Commit("Data buffer", "123");
    EXPECT_EQ(r.S("Data buffer").text, "ERR");
    r.Commit("Data buffer", "xy");  // the pre-check keeps it as typed
    EXPECT_EQ(r.S("Data buffer").text, "xy");
    EXPECT_TRUE(r.t.Writes().empty());

    r.view->Select("Mode", 3);
    r.view->Click("2x baud rate (m: 1, 2, 3)", true);
    r.view->Click("Receive enable", true);
    EXPECT_EQ(r.t.data[SCON0], 0xD4);
    EXPECT_EQ(r.t.data[PCON], 0x80);
}

TEST(Serial, PortOneShowsItsOwnBitsAndWritesNothing) {
    Serial1 r;
    r.t.clockHz = 14745600;
    r.Show({{SCON1, 0xB9}, {SBUF1, 0x5E}, {EICON, 0x80}, {SCON0, 0x00}, {PCON, 0x00}});
    EXPECT_EQ(r.S("Mode").index, 2);
    EXPECT_TRUE(r.S("Multiproc. comm. enable").checked);
    EXPECT_TRUE(r.S("Receive enable").checked);
    EXPECT_FALSE(r.S("Transmit interrupt flag").checked);
    EXPECT_TRUE(r.S("Receive interrupt flag").checked);
    EXPECT_EQ(r.S("TB8").text, "1");
    EXPECT_EQ(r.S("RB8").text, "0");
    EXPECT_EQ(r.S("Data buffer").text, "5E");
    EXPECT_TRUE(r.S("2x baud rate (m: 1, 2, 3)").checked);
    EXPECT_EQ(r.C("Status").items[1], "Baud rate: 460800");  // SMOD from EICON

    for (const Control& c : r.view->Controls()) EXPECT_EQ(c.screen.enabled, c.Id() == "Refresh") << c.Id();
    r.view->Select("Mode", 0);
    r.view->Click("Receive enable", false);
    r.view->Click("2x baud rate (m: 1, 2, 3)", false);
    r.Commit("TB8", "0");
    r.Commit("Data buffer", "11");
    r.view->Leave("Data buffer");
    EXPECT_TRUE(r.t.log.empty());
    r.view->Press("Refresh");
    EXPECT_EQ(r.t.log, (Strings{"R F0800080 128"}));
    r.view->Update();
    for (const Control& c : r.view->Controls()) EXPECT_EQ(c.screen.enabled, c.Id() == "Refresh") << c.Id();
}

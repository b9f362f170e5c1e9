// The DES view on the fake target: addresses and count with their limits and beeps,
// the memory display of keys, vector and data (its reads from the fake's log), and
// the vector load.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "display/core/CDESDlg.h"
#include "display/core/SfrMap.h"
#include "tests/display/ViewRig.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using Strings = std::vector<std::string>;

namespace {
struct Des : kx6500disp::testing::ViewRig<CDESDlg> {
    Des() : ViewRig(Precheck::Hex) {
        std::iota(t.xdata.begin(), t.xdata.end(), std::uint8_t{0});  // each byte its low address byte
    }
    const std::string& Memory() const { return S("Memory").text; }
    Strings Beeps() const {
        Strings beeps;
        for (const auto& e : notifier.events)
            if (e.starts_with("beep")) beeps.push_back(e);
        return beeps;
    }
};
const std::string kBeepLong = "beep 1000 Hz 500 ms", kBeepShort = "beep 1000 Hz 100 ms";
}  // namespace

TEST(Des, RefreshShowsAddressesCountModesAndBits) {
    Des r;
    r.Show({{CRPDAT, 0xFF}, {CRPKEY, 0x20}, {CRPCNT, 0x00}, {CRPCON, 0x1B}});
    EXPECT_EQ(r.S("Data address").text, "07F8");
    EXPECT_EQ(r.S("Key address").text, "0100");
    EXPECT_EQ(r.S("Count").text, "256");
    EXPECT_EQ(r.S("Mode 1").index, 1);
    EXPECT_EQ(r.S("Mode 2").index, 0);
    EXPECT_EQ(r.S("Mode 3").index, 1);
    EXPECT_TRUE(r.S("Start").checked);
    EXPECT_TRUE(r.S("Load keys").checked);
    EXPECT_EQ(r.C("View").items, (Strings{"Keys", "Initialization vector", "Plain text / Cipher text"}));
    EXPECT_EQ(r.S("View").index, -1);
    EXPECT_EQ(r.Memory(), "");
    EXPECT_FALSE(r.S("Load init. vec.").enabled);

    r.view->Select("Mode 2", 1);
    r.view->Click("Start", false);
    EXPECT_EQ(r.t.data[CRPCON], 0x1E);
}

TEST(Des, DataAddressBeyondTheWindowIsHighWithALongBeep) {
    Des r;
    r.Show({{CRPDAT, 0xFF}, {CRPCNT, 0x00}});
    r.Commit("Data address", "7F8");  // padded to 07F8; 0x7F8 + 256 > 0x800
    EXPECT_EQ(r.S("Data address").text, "HIGH");
    EXPECT_EQ(r.Beeps(), (Strings{kBeepLong}));
    EXPECT_TRUE(r.t.Writes().empty());

    r.Commit("Data address", "0700");  // 0x700 + 256 fits exactly
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C5 1 E0"}));
    r.t.ClearLog();
    r.Commit("Data address", "12");
    EXPECT_EQ(r.S("Data address").text, "ERR");
    r.Commit("Data address", "07FF1");  // the field takes four characters: 07FF
    EXPECT_EQ(r.S("Data address").text, "HIGH");
    EXPECT_EQ(r.Beeps(), (Strings{kBeepLong, kBeepShort, kBeepLong}));
    EXPECT_TRUE(r.t.Writes().empty());
}

TEST(Des, KeyAddressLeavesRoomForThreeKeys) {
    Des r;
    r.Show({});
    r.Commit("Key address", "07E9");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C4 1 FD"}));
    EXPECT_EQ(r.S("Key address").text, "07E9");
    EXPECT_TRUE(r.Beeps().empty());
    r.t.ClearLog();
    r.Commit("Key address", "07EA");
    EXPECT_EQ(r.S("Key address").text, "HIGH");
    r.Commit("Key address", "1");
    EXPECT_EQ(r.S("Key address").text, "ERR!");
    EXPECT_EQ(r.Beeps(), (Strings{kBeepShort, kBeepShort}));
    EXPECT_TRUE(r.t.Writes().empty());
}

TEST(Des, CountIsClampedAndZeroCountsAs256) {
    Des r;
    r.Show({{CRPCNT, 0x10}});
    r.Commit("Count", "300");
    EXPECT_EQ(r.S("Count").text, "256");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C6 1 00"}));
    r.t.ClearLog();
    r.Commit("Count", "1A");
    EXPECT_EQ(r.notifier.events, (Strings{"Please enter an integer."}));
    EXPECT_TRUE(r.t.Writes().empty());

    // A Count of 0 is the chip's 256: an address that leaves no room for it is refused.
    r.Commit("Count", "0");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C6 1 00"}));
    EXPECT_EQ(r.S("Count").text, "0");
    r.t.ClearLog();
    r.Commit("Data address", "0708");
    EXPECT_EQ(r.S("Data address").text, "HIGH");
    EXPECT_TRUE(r.t.Writes().empty());
    r.Commit("Count", "248");
    r.Commit("Data address", "0708");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C6 1 F8", "W F00000C5 1 E1"}));
}

TEST(Des, DataDisplayReadsCountBytesThroughAndShowsLinesOfEight) {
    Des r;
    r.Show({{CRPDAT, 0x20}, {CRPCNT, 20}});
    r.view->Select("View", CDESDlg::kData);
    EXPECT_EQ(r.t.log, (Strings{"R 01800100 20"}));
    EXPECT_EQ(r.Memory(),
              "0x0100: 00.01.02.03.04.05.06.07\r\n"
              "0x0108: 08.09.0A.0B.0C.0D.0E.0F\r\n"
              "0x0110: 10.11.12.13\r\n");
    EXPECT_TRUE(r.t.Writes().empty());

    r.t.ClearLog();
    r.Show({{CRPCNT, 0}});  // an SFR refresh leaves the display alone
    EXPECT_EQ(r.S("Count").text, "256");
    EXPECT_EQ(r.Memory().substr(0, 7), "0x0100:");
    r.view->Press("Refresh");  // the read-through refresh, then the display with Count 256
    EXPECT_EQ(r.t.log, (Strings{"R F0800080 128", "R 01800100 256"}));
    EXPECT_EQ(std::count(r.Memory().begin(), r.Memory().end(), '\n'), 32);

    r.t.ClearLog();
    r.Commit("Data address", "12");  // a failed commit rebuilds the display with the error text
    EXPECT_EQ(r.Memory(), "ERROR: DATA ADDRESS\r\nUse (0x)0000 - (0x)07FF\r\nAddress + Count <= 0x0800");
    EXPECT_TRUE(r.t.log.empty());
}

TEST(Des, DisplayNeverReadsPastTheEndOfXdata) {
    Des r;
    r.Show({{CRPCNT, 0}});
    r.view->TypeText("Data address", "FFF8");  // not committed: the display uses it as exchanged
    r.view->Select("View", CDESDlg::kData);
    EXPECT_EQ(r.t.log, (Strings{"R 0180FFF8 8"}));
    EXPECT_EQ(r.Memory(), "0xFFF8: F8.F9.FA.FB.FC.FD.FE.FF\r\n");

    r.t.ClearLog();
    r.view->TypeText("Key address", "FFF4");
    r.view->Select("View", CDESDlg::kKeys);
    EXPECT_EQ(r.t.log, (Strings{"R 0180FFF4 12"}));
    EXPECT_EQ(r.Memory(), "Key 1: F4.F5.F6.F7.F8.F9.FA\r\nKey 2: FC.FD.FE.FF\r\nKey 3: ");

    r.t.failReads = true;  // a display read that fails shows nothing
    r.view->Select("View", CDESDlg::kData);
    EXPECT_EQ(r.Memory(), "");
    r.view->Select("View", CDESDlg::kVector);
    EXPECT_EQ(r.Memory(), "");
}

TEST(Des, KeysAndVectorDisplays) {
    Des r;
    r.Show({{CRPKEY, 0x20}, {CRPINI0, 0x01}, {CRPINI3, 0x04}, {CRPINI4, 0xA5}, {CRPINI7, 0xFF}});
    r.view->Select("View", CDESDlg::kKeys);
    EXPECT_EQ(r.t.log, (Strings{"R 01800100 23"}));
    EXPECT_EQ(r.Memory(),
              "Key 1: 00.01.02.03.04.05.06\r\nKey 2: 08.09.0A.0B.0C.0D.0E\r\nKey 3: 10.11.12.13.14.15.16");
    r.t.ClearLog();
    r.view->Select("View", CDESDlg::kVector);
    EXPECT_EQ(r.t.log, (Strings{"R F08000B4 4", "R F08000BC 4"}));
    EXPECT_EQ(r.Memory(), "CRPINI[0:7]: 01.00.00.04.A5.00.00.FF");

    r.view->TypeText("Key address", "12");
    r.view->Select("View", CDESDlg::kKeys);
    EXPECT_EQ(r.Memory(), "ERROR: KEY ADDRESS\r\nUse (0x)0000 - (0x)07E9");
    EXPECT_EQ(r.S("Key address").text, "12");  // members back to the controls: as exchanged
}

TEST(Des, OnlySixteenHexDigitsEnableTheVectorLoad) {
    Des r;
    r.Show({});
    r.view->TypeText("Init. vec.", "0123456789ABCDE");
    EXPECT_FALSE(r.S("Load init. vec.").enabled);
    r.view->Enter("Init. vec.");  // Enter loads only while the button is enabled
    r.view->Press("Load init. vec.");
    EXPECT_TRUE(r.t.Writes().empty());
    r.view->TypeText("Init. vec.", "0123456789abcdeF");
    EXPECT_TRUE(r.S("Load init. vec.").enabled);
    r.view->TypeText("Init. vec.", "0123456789ABCDEG");
    EXPECT_FALSE(r.S("Load init. vec.").enabled);
    r.view->TypeText("Init. vec.", "0123456789ABCDEF");
    r.view->Press("Load init. vec.");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000B4 1 01", "W F00000B5 1 23", "W F00000B6 1 45", "W F00000B7 1 67",
                                     "W F00000BC 1 89", "W F00000BD 1 AB", "W F00000BE 1 CD", "W F00000BF 1 EF"}));
    r.t.ClearLog();
    r.view->Enter("Init. vec.");
    EXPECT_EQ(r.t.Writes().size(), 8u);
    EXPECT_TRUE(r.Beeps().empty());

    r.t.ClearLog();
    r.view->TypeText("Count", "x");  // the exchange fails: no load
    r.view->Press("Load init. vec.");
    EXPECT_TRUE(r.t.Writes().empty());
    EXPECT_EQ(r.notifier.events, (Strings{"Please enter an integer."}));
}

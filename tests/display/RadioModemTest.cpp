// The Radio & Modem view on the fake target: what it shows for a register image and
// clock, and what each action writes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/core/CRadioModemDlg.h"
#include "display/core/SfrMap.h"
#include "display/core/TextFunctions.h"
#include "tests/display/FakeTarget.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::FakeTarget;
using Strings = std::vector<std::string>;

namespace {

struct Radio {
    FakeTarget t;
    SfrAccess sfr{t};
    RecordingNotifier notifier;
    CRadioModemDlg view{sfr, notifier, Precheck::None};

    // The target holds these registers; the view shows them.
    void Show(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> regs) {
        for (auto [reg, value] : regs) t.data[reg] = value;
        view.Update();
        t.ClearLog();
    }
    const Screen& S(const std::string& id) const {
        const Control* c = view.Find(id);
        EXPECT_NE(c, nullptr) << id;
        static const Screen none;
        return c ? c->screen : none;
    }
    const std::vector<std::string>& Items(const std::string& id) const { return view.Find(id)->items; }
    void Commit(const std::string& id, const std::string& text) {
        view.TypeText(id, text);
        view.Enter(id);
    }
};

}  // namespace

TEST(RadioModem, FrequenciesReferenceAndSeparation) {
    Radio r;
    r.Show({{PLL, 0x30}, {FREQ2A, 0x58}, {FREQ1A, 0x00}, {FREQ0A, 0x00}, {FSEP1, 0x02}, {FSEP0, 0x00}});
    EXPECT_EQ(r.S("Ref. freq. divider").text, "6");
    EXPECT_EQ(r.S("-> fRef").text, "2.4576");
    EXPECT_EQ(r.S("Freq. A").text, "580000");
    EXPECT_EQ(r.S("-> Freq. A").text, "866.3040");
    EXPECT_EQ(r.S("Transmit freq. separation").text, "76.800");

    r.t.data[FSEP0] = 0x55;
    r.t.data[FSEP1] = 0xF8 | 0x05;
    r.Commit("Transmit freq. separation", "76.8");
    EXPECT_EQ(r.t.data[FSEP0], 0x00);
    EXPECT_EQ(r.t.data[FSEP1], 0xF8 | 0x02);  // bits 7..3 untouched
    EXPECT_EQ(r.S("Transmit freq. separation").text, "76.8");  // as typed until the next refresh
}

TEST(RadioModem, SeparationBeyondElevenBitsIsClampedAndShown) {
    Radio r;
    r.Show({{PLL, 0x30}});
    r.Commit("Transmit freq. separation", "1000");  // FSEP 6667 without the clamp
    EXPECT_EQ(r.t.data[FSEP0], 0xFF);
    EXPECT_EQ(r.t.data[FSEP1] & 0x07, 0x07);
    EXPECT_EQ(r.S("Transmit freq. separation").text, FormatReal(2047 * 6.103515625e-8 * 2457600, 3));
    r.Commit("Transmit freq. separation", std::string(300, '9'));  // far beyond any integer
    EXPECT_EQ(r.t.data[FSEP0], 0xFF);
}

TEST(RadioModem, SeparationWithoutDividerOrClockWritesNothing) {
    Radio r;
    r.Show({{PLL, 0x00}, {FREQ2A, 0x12}, {FSEP1, 0x01}});
    EXPECT_EQ(r.S("-> fRef").text, "REFDIV=0!");
    EXPECT_EQ(r.S("-> Freq. A").text, "0.0000");
    EXPECT_EQ(r.S("Transmit freq. separation").text, "0.000");
    r.Commit("Transmit freq. separation", "76.8");
    EXPECT_EQ(r.S("Transmit freq. separation").text, "REFDIV=0!");
    EXPECT_TRUE(r.t.Writes().empty());

    r.t.clockHz = 0;  // fRef 0 with a divider
    r.Show({{PLL, 0x30}});
    r.Commit("Transmit freq. separation", "76.8");
    EXPECT_EQ(r.S("Transmit freq. separation").text, "ERR");
    EXPECT_TRUE(r.t.Writes().empty());
    r.t.clockHz = 14745600;
    r.Commit("Transmit freq. separation", "7x");
    EXPECT_EQ(r.S("Transmit freq. separation").text, "ERR");
    EXPECT_TRUE(r.t.Writes().empty());
}

TEST(RadioModem, BaudListAndRealValueFollowTheDataFormat) {
    Radio r;
    r.Show({{MODEM0, 0x23}});  // baud 1, NRZ, crystal 3
    EXPECT_EQ(r.Items("Baud rate"), (Strings{"600", "1200", "2400", "4800", "9600", "19200"}));
    EXPECT_EQ(r.S("Baud rate").index, 1);
    EXPECT_EQ(r.S("Specified crystal freq.").index, 3);
    EXPECT_EQ(r.S("-> real value").text, "1200");
    r.Show({{MODEM0, 0x2B}});  // Manchester
    EXPECT_EQ(r.Items("Baud rate"), (Strings{"300", "600", "1200", "2400", "4800", "9600"}));
    EXPECT_EQ(r.S("-> real value").text, "600");

    r.Show({{MODEM0, 0x03}});  // NRZ, then UART keeps the NRZ list
    r.Show({{MODEM0, 0x38}});
    EXPECT_EQ(r.S("Data format").index, 3);
    EXPECT_EQ(r.S("-> real value").text, "Data mode!");
    EXPECT_EQ(r.Items("Baud rate")[0], "600");

    Radio fresh;  // a first refresh in a data mode fills the Manchester entries
    fresh.Show({{MODEM0, 0x10}});
    EXPECT_EQ(fresh.Items("Baud rate")[0], "300");
    EXPECT_EQ(fresh.S("-> real value").text, "Data mode!");
}

TEST(RadioModem, IndexesWithoutEntriesShowNoSelectionAndNoRate) {
    Radio r;
    r.Show({{MODEM0, 0xC0 | 0x00 | 0x01}});  // baud 6, NRZ
    EXPECT_EQ(r.S("Baud rate").index, -1);
    EXPECT_EQ(r.S("-> real value").text, "");
    r.Show({{MODEM0, 0x20 | 0x08 | 0x07}});  // crystal 7, Manchester
    EXPECT_EQ(r.S("Specified crystal freq.").index, -1);
    EXPECT_EQ(r.S("-> real value").text, "");
    r.t.clockHz = 0xFFFFFFFFu;  // the largest clock, rate in 64 bits
    r.Show({{MODEM0, 0xA0}});   // baud 5, NRZ, crystal 0
    EXPECT_EQ(r.S("-> real value").text, std::to_string(2 * ((0xFFFFFFFFull << 5) / 12288)));
}

TEST(RadioModem, Ad2PinIsDecodedFromTwoRegistersAndWrittenInOneRangeWrite) {
    Radio r;
    r.Show({{FREND, 0x04}, {PRESCALER, 0x00}});
    EXPECT_EQ(r.S("AD2 pin").index, 1);  // "Output mixer output @ 10.7 MHz"
    r.t.data[0xE7] = 0xA5;  // the bytes between are written back as read
    r.view.Select("AD2 pin", 4);  // "RSSI output"
    const Strings writes = r.t.Writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].substr(0, 13), "W F00000E6 9 ");
    EXPECT_EQ(r.t.data[FREND] & 0x06, 0x02);
    EXPECT_EQ(r.t.data[PRESCALER] & 0x0C, 0x00);
    EXPECT_EQ(r.t.data[0xE7], 0xA5);
    const std::pair<int, int> decoding[] = {{0, 0}, {1, 4}, {4, 2}, {8, 3}, {2, 1}, {3, 1}, {5, 4}, {12, 2}, {15, 1}};
    for (auto [index, entry] : decoding) {
        r.Show({{FREND, static_cast<std::uint8_t>((index & 3) << 1)}, {PRESCALER, static_cast<std::uint8_t>(index & 0x0C)}});
        EXPECT_EQ(r.S("AD2 pin").index, entry) << index;
    }
}

TEST(RadioModem, GranularityAndLockModeWrites) {
    Radio r;
    r.Show({{RFCON, 0xFF}, {PDET, 0xFF}});
    EXPECT_EQ(r.S("Mode").index, 2);
    r.view.Select("Mode", 1);  // Byte-wise: one 18-byte write over RFCON..PDET
    Strings w = r.t.Writes();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].substr(0, 14), "W F00000C2 18 ");
    EXPECT_EQ(r.t.data[RFCON], 0xFF);
    EXPECT_EQ(r.t.data[PDET], 0x7F);
    r.t.ClearLog();
    r.view.Select("Mode", 0);
    EXPECT_EQ(r.t.data[RFCON], 0xFE);
    r.t.ClearLog();
    r.view.Select("Mode", 2);  // Byte synchronization: PDET alone
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000D3 1 FF"}));

    r.Show({{MODEM1, 0x60}});
    EXPECT_EQ(r.S("Lock mode").index, 2);
    r.view.Select("Lock mode", 0);  // Automatic clears bit 5 only
    EXPECT_EQ(r.t.data[MODEM1], 0x40);
    r.view.Select("Lock mode", 1);
    EXPECT_EQ(r.t.data[MODEM1], 0x20);
    r.Show({});
    EXPECT_EQ(r.S("Lock mode").index, 1);
    r.view.Select("Lock mode", 1);  // chosen again: written again
    EXPECT_EQ(r.t.Writes().size(), 1u);
}

TEST(RadioModem, HexFieldCommits) {
    Radio r;
    r.Show({{FREQ0A, 0x11}, {FREQ1A, 0x22}, {FREQ2A, 0x33}});
    r.Commit("Freq. A", "1F3");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000CA 1 F3", "W F00000CB 1 01", "W F00000CC 1 00"}));
    for (const char* bad : {"1234567", "", "12G"}) {
        r.t.ClearLog();
        r.Commit("Freq. A", bad);
        EXPECT_EQ(r.S("Freq. A").text, "ERR") << bad;
        EXPECT_TRUE(r.t.Writes().empty()) << bad;
    }
    r.t.ClearLog();
    r.Commit("RF buffer", "a");
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C9 1 0A"}));
    r.Commit("Sync. byte", "123");
    EXPECT_EQ(r.S("Sync. byte").text, "ERR");
}

TEST(RadioModem, IntegerFieldsClampAndAFailedExchangeWritesNothing) {
    Radio r;
    r.Show({{PLL, 0x07}});
    r.Commit("Ref. freq. divider", "1");
    EXPECT_EQ(r.S("Ref. freq. divider").text, "2");
    EXPECT_EQ(r.t.data[PLL], 0x17);  // bits 7..3 = 00010, the alarm bits kept
    r.Commit("Ref. freq. divider", "-40");
    EXPECT_EQ(r.S("Ref. freq. divider").text, "2");
    r.Commit("FSHAPE3", "99");
    EXPECT_EQ(r.S("FSHAPE3").text, "31");
    EXPECT_EQ(r.t.data[FSHAPE3] & 0x1F, 31);

    r.t.ClearLog();
    r.Commit("Peak level offset", "12");  // not clamped: the typed text stays
    EXPECT_EQ(r.S("Peak level offset").text, "12");
    r.view.TypeText("Required preamble bits", "abc");  // typed, not committed
    r.Commit("RF buffer", "55");
    EXPECT_EQ(r.notifier.events, (Strings{"Please enter an integer."}));
    r.Commit("Ref. freq. divider", "99999999999");  // beyond 32 bits
    EXPECT_EQ(r.notifier.events.size(), 2u);
    r.view.Select("VCO current", 4);  // a list choice exchanges too
    EXPECT_EQ(r.notifier.events.size(), 3u);
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000D9 1 0C"}));  // only the offset
}

TEST(RadioModem, LeavingAFieldShowsTheViewsValueAgain) {
    Radio r;
    r.Show({{MODEM2, 0x05}});
    r.view.TypeText("Peak level offset", "77");
    EXPECT_EQ(r.S("Peak level offset").text, "77");
    r.view.Leave("Peak level offset");
    EXPECT_EQ(r.S("Peak level offset").text, "5");
    EXPECT_TRUE(r.t.Writes().empty());
}

TEST(RadioModem, CheckBoxesUsingBoxesRefreshButtonAndTabs) {
    Radio r;
    r.Show({{RFMAIN, 0x00}});
    EXPECT_TRUE(r.S("Using A").checked);
    EXPECT_FALSE(r.S("Using B").checked);
    r.view.Click("Using B", true);
    EXPECT_EQ(r.t.Writes(), (Strings{"W F00000C8 1 40"}));
    r.view.Update();
    EXPECT_FALSE(r.S("Using A").checked);
    EXPECT_FALSE(r.S("Alarm high").enabled);
    EXPECT_FALSE(r.S("Calib. complete").enabled);
    r.t.ClearLog();
    r.view.Click("Alarm high", true);  // shown only
    EXPECT_TRUE(r.t.log.empty());

    r.view.Press("Refresh");
    EXPECT_EQ(r.t.log, (Strings{"R F0800080 128"}));
    r.t.ClearLog();
    r.view.SelectTab("tab", 2);
    EXPECT_EQ(r.t.log, (Strings{"R F0000080 128"}));
    EXPECT_EQ(r.S("tab").index, 2);
}

TEST(PeripheralView, PrecheckDecidesWhetherEnterReachesTheCommit) {
    FakeTarget t;
    SfrAccess sfr(t);
    RecordingNotifier n;
    const std::vector<ControlSpec> table{NumberField("Comp. thresh:", 0x97, 0xFF, 0, 255)};
    PeripheralView digits(sfr, n, Precheck::Decimal, table);
    digits.TypeText("Comp. thresh", "1A");
    digits.Enter("Comp. thresh");
    EXPECT_TRUE(t.log.empty());
    EXPECT_EQ(digits.Find("Comp. thresh")->screen.text, "1A");  // the typed text stays
    digits.TypeText("Comp. thresh", "300");
    digits.Enter("Comp. thresh");
    EXPECT_EQ(t.data[0x97], 255);

    PeripheralView hex(sfr, n, Precheck::Hex, table);  // hex digits pass, the exchange refuses them
    hex.TypeText("Comp. thresh", "1A");
    hex.Enter("Comp. thresh");
    EXPECT_EQ(n.events, (Strings{"Please enter an integer."}));
    EXPECT_EQ(t.data[0x97], 255);
}

// The port, interrupt, SPI, flash, power and A/D converter views on the fake target:
// their own rules (alternate functions, clock rates, the divider and the conversion
// clock, the two encodings of the flash power field, FLTIM) and what their commits
// write.
#include <gtest/gtest.h>

#include "display/core/SfrMap.h"
#include "tests/display/PanelRig.h"

using namespace kx6500disp;
using namespace kx6500disp::sfr;
using kx6500disp::testing::PanelRig;
using Strings = std::vector<std::string>;

namespace {
const char* const kLineA = "A  SPI SCK Output (SPCR.SPE = 1)";
const char* const kLineB = "B  SPI MO Output (SPCR.SPE = 1)";
const char* const kLineC = "C  SPI MI Input (SPCR.SPE = 1 & SPCR.SPM = 0)";
const char* const kLineD = "D  PWM2 Output (TCON2.M2 = 1)";
const char* const kLineE = "E  PWM3 Output (TCON2.M3 = 1)";

Strings Markers(const PanelRig& r) {
    Strings shown;
    for (const char* m : {"A", "B", "C", "D", "E"}) {
        EXPECT_EQ(r.S(m).text, m);
        if (r.S(m).visible) shown.emplace_back(m);
    }
    return shown;
}
}  // namespace

TEST(PortViews, AlternateFunctionsFollowSpcrAndTcon2OnEveryRefresh) {
    PanelRig r("ports");
    EXPECT_EQ(Markers(r), Strings{});  // nothing to flag before the first refresh
    r.Show({{SPCR, 0x60}, {TCON2, 0x00}});
    EXPECT_EQ(Markers(r), (Strings{"A", "B"}));
    EXPECT_EQ(r.C("Alternate functions").items, (Strings{kLineA, kLineB}));

    r.Show({{TCON2, 0x05}});
    EXPECT_EQ(Markers(r), (Strings{"A", "B", "D", "E"}));
    EXPECT_EQ(r.C("Alternate functions").items, (Strings{kLineA, kLineB, kLineD, kLineE}));

    r.Show({{SPCR, 0x20}, {TCON2, 0x04}});  // MI is the SPI's only while not in special purpose mode
    EXPECT_EQ(Markers(r), (Strings{"A", "B", "C", "E"}));
    EXPECT_EQ(r.C("Alternate functions").items, (Strings{kLineA, kLineB, kLineC, kLineE}));

    r.Show({{SPCR, 0xDF}, {TCON2, 0xFA}});  // every other bit set: nothing in use
    EXPECT_EQ(Markers(r), Strings{});
    EXPECT_TRUE(r.C("Alternate functions").items.empty());
}

TEST(PortViews, EachPortShowsItsBitsMostSignificantFirst) {
    PanelRig r("port3");
    r.Show({{P3DIR, 0x21}, {P3, 0x12}});
    Strings dir, value;
    for (const Control& c : r.view->Controls()) {
        if (c.Kind() != ControlKind::Check) continue;
        (c.Id().starts_with("Dir") ? dir : value).push_back(c.Id() + (c.screen.checked ? "=1" : "=0"));
    }
    EXPECT_EQ(dir, (Strings{"Dir 5=1", "Dir 4=0", "Dir 3=0", "Dir 2=0", "Dir 1=0", "Dir 0=1"}));
    EXPECT_EQ(value, (Strings{"Value 5=0", "Value 4=1", "Value 3=0", "Value 2=0", "Value 1=1", "Value 0=0"}));

    PanelRig p0("port0");
    EXPECT_EQ(p0.view->Find("Dir 4"), nullptr);  // port 0 has four pins
    EXPECT_NE(p0.view->Find("Value 3"), nullptr);
    PanelRig all("ports");
    all.Show({{P3DIR, 0x21}, {P1, 0x80}});
    EXPECT_TRUE(all.S("P3 Dir 5").checked);
    EXPECT_TRUE(all.S("P3 Dir 0").checked);
    EXPECT_FALSE(all.S("P3 Dir 4").checked);
    EXPECT_TRUE(all.S("P1 Value 7").checked);
    EXPECT_EQ(all.view->Find("P0 Dir 4"), nullptr);
    EXPECT_EQ(all.view->Find("P3 Value 6"), nullptr);
}

TEST(PortViews, RefreshReadsThroughAndWritesNothing) {
    PanelRig r("ports");
    r.Show();
    r.view->Press("Refresh");
    EXPECT_EQ(r.t.log, Strings{"R F0800080 128"});
}

TEST(InterruptView, VectorsAndTheBoxesShownOnly) {
    PanelRig r("interrupts");
    r.Show();
    const std::pair<const char*, const char*> vectors[] = {
        {"FWI", "0x33"}, {"int0_n", "0x03"}, {"TF0", "0x0B"}, {"int1_n", "0x13"}, {"TF1", "0x1B"}, {"RI_0", "0x23"},
        {"RI_1", "0x3B"}, {"RFI", "0x43"},   {"TF2", "0x4B"}, {"TF3", "0x53"},    {"ADF", "0x5B"}, {"RTCI", "0x63"},
    };
    for (auto [row, vec] : vectors) EXPECT_EQ(r.S(std::string(row) + " Vec").text, vec) << row;
    for (const char* id : {"FWI E", "FWI F", "RI_1 E", "RI_1 F", "TI_1 F", "RI_1 P"})
        EXPECT_FALSE(r.S(id).enabled) << id;
    for (const char* id : {"RI_0 E", "RI_0 F", "TI_0 F", "RI_0 P", "ADC E", "ADC F", "DES E", "DES F", "RTCI P"})
        EXPECT_TRUE(r.S(id).enabled) << id;
    for (const char* id : {"FWI P", "TI_0 E", "TI_0 P", "ADC P", "DES P", "TI_0 Vec", "ADC Vec"})
        EXPECT_EQ(r.view->Find(id), nullptr) << id;
    r.view->Click("FWI E", true);
    r.view->Click("RI_1 P", true);
    EXPECT_TRUE(r.t.log.empty());
}

TEST(InterruptView, AFlagBoxKeepsTheFlagsTheTargetSetSinceTheLastRefresh) {
    PanelRig r("interrupts");
    r.Show({{TCON, 0x00}, {EXIF, 0x00}});
    r.t.data[TCON] = 0xA0;  // both timers overflowed meanwhile
    r.t.data[EXIF] = 0x60;
    r.view->Click("int0_n F", true);
    r.view->Click("TF3 F", true);
    EXPECT_EQ(r.t.data[TCON], 0xA2);
    EXPECT_EQ(r.t.data[EXIF], 0xE0);
    r.view->Click("TF0 F", false);
    EXPECT_EQ(r.t.data[TCON], 0x82);
    EXPECT_EQ(r.t.Writes(), (Strings{"W F0000088 1 A2", "W F0000091 1 E0", "W F0000088 1 82"}));
}

TEST(SpiView, ClockRatesAreMadeOnceFromTheTargetClock) {
    PanelRig r("spi");
    EXPECT_TRUE(r.C("Clock rate").items.empty());
    r.Show({{SPCR, 0x61}});
    EXPECT_EQ(r.C("Clock rate").items, (Strings{"1843200Hz", "921600Hz", "460800Hz", "230400Hz"}));
    EXPECT_EQ(r.S("Clock rate").index, 1);
    r.view->Select("Clock rate", 2);
    EXPECT_EQ(r.t.data[SPCR], 0x62);
    EXPECT_EQ(r.t.Writes(), Strings{"W F00000A1 1 62"});

    r.t.clockHz = 8000000;  // the list is not made again
    r.Show();
    EXPECT_EQ(r.C("Clock rate").items[0], "1843200Hz");
    EXPECT_EQ(r.S("Clock rate").index, 2);
}

TEST(SpiView, StatusBoxesAreClickableAndTheDataByteIsAHexField) {
    PanelRig r("spi");
    r.Show({{SPSR, 0x00}, {SPDR, 0x3C}});
    EXPECT_EQ(r.S("SPI data").text, "3C");
    EXPECT_TRUE(r.S("SPI Active (transmitting data)").enabled);
    r.view->Click("Write collision flag", true);
    EXPECT_EQ(r.t.data[SPSR], 0x01);
    r.Commit("SPI data", "a");
    EXPECT_EQ(r.t.data[SPDR], 0x0A);
    r.t.ClearLog();
    r.Commit("SPI data", "ABC");
    EXPECT_EQ(r.S("SPI data").text, "ERR");
    r.Commit("SPI data", "G1");  // not hex: Enter does nothing, the text stays
    EXPECT_EQ(r.S("SPI data").text, "G1");
    EXPECT_TRUE(r.t.Writes().empty());
}

TEST(FlashView, FltimShowsItsTimingBitsAndACommitWritesTheWholeByte) {
    PanelRig r("flash");
    r.Show({{FLTIM, 0xE5}});
    EXPECT_EQ(r.S("FLTIM").text, "25");
    r.Commit("FLTIM", "F");
    EXPECT_EQ(r.t.Writes(), Strings{"W F00000DD 1 0F"});  // bits 7..6 cleared too: the byte as typed
    r.t.ClearLog();
    r.Commit("FLTIM", "C1");
    EXPECT_EQ(r.t.data[FLTIM], 0xC1);
    r.Commit("FLTIM", "123");
    EXPECT_EQ(r.S("FLTIM").text, "ERR");
    EXPECT_EQ(r.t.Writes(), Strings{"W F00000DD 1 C1"});
}

TEST(FlashView, DecimalFieldsClampAndRefuseHexDigits) {
    PanelRig r("flash");
    r.Show({{FLCON, 0x93}, {FLADR, 0x10}});
    EXPECT_EQ(r.S("Xdata page").text, "3");
    EXPECT_EQ(r.S("Flash page").text, "16");
    r.Commit("Xdata page", "1F");  // hex digits pass the view's check, not the integer exchange
    EXPECT_EQ(r.notifier.events, Strings{"Please enter an integer."});
    EXPECT_TRUE(r.t.Writes().empty());
    r.Commit("Xdata page", "20");
    EXPECT_EQ(r.S("Xdata page").text, "15");
    EXPECT_EQ(r.t.data[FLCON], 0x9F);
    r.Commit("Flash page", "300");
    EXPECT_EQ(r.S("Flash page").text, "255");
    EXPECT_EQ(r.t.data[FLADR], 0xFF);
    r.Commit("Flash page", "7");
    EXPECT_EQ(r.S("Flash page").text, "7");
    EXPECT_EQ(r.t.data[FLADR], 0x07);
    EXPECT_FALSE(r.S("Idle mode").enabled);
    EXPECT_FALSE(r.S("Write flash start bit").enabled);
}

TEST(FlashAndPowerViews, TheFlashPowerFieldInItsTwoEncodings) {
    PanelRig flash("flash"), power("power");
    for (PanelRig* r : {&flash, &power}) r->Show({{FLCON, 0x7F}});
    EXPECT_EQ(flash.S("Low power").index, -1);  // field value 3
    EXPECT_EQ(power.S("Flash power mode").index, -1);
    const std::uint8_t written[] = {0x00, 0x20, 0x40};
    for (int entry = 0; entry < 3; ++entry) {
        for (auto [r, id] : {std::pair{&flash, "Low power"}, std::pair{&power, "Flash power mode"}}) {
            r->t.data[FLCON] = 0x9F;
            r->view->Select(id, entry);
            EXPECT_EQ(r->t.data[FLCON], 0x9F | written[entry]) << id << " " << entry;
            r->Show();
            EXPECT_EQ(r->S(id).index, entry) << id;
        }
    }
    EXPECT_EQ(power.C("Clock source").items, (Strings{"Main crystal oscillator", "32 kHz crystial oscillator"}));
    EXPECT_EQ(power.C("Xdata stretch cyc.").items.front(), "2 cycles");
    EXPECT_EQ(power.C("Xdata stretch cyc.").items.back(), "9 cycles");
}

TEST(AdcView, DividerFrequencyAndData) {
    PanelRig r("adc");
    r.Show({{ADCON2, 0x05}, {CLKCON, 0x00}, {ADDATH, 0x03}, {ADDATL, 0xFF}});
    EXPECT_EQ(r.S("Clock div").text, "96");
    EXPECT_EQ(r.S("-> Freq").text, "153600");
    EXPECT_EQ(r.S("Data output").text, "1023");
    r.Show({{CLKCON, 0x01}, {ADDATH, 0xFE}, {ADDATL, 0x00}});  // the 32 kHz oscillator; ADDATH bits 7..2 ignored
    EXPECT_EQ(r.S("-> Freq").text, "32768");
    EXPECT_EQ(r.S("Data output").text, "512");
    r.Show({{ADCON2, 0xFF}});
    EXPECT_EQ(r.S("Clock div").text, "1024");
    EXPECT_EQ(r.S("-> Freq").text, "32768");
}

TEST(AdcView, DividerCommitsRoundDownAndClamp) {
    PanelRig r("adc");
    r.Show({{ADCON2, 0xC5}});
    r.Commit("Clock div", "100");
    EXPECT_EQ(r.t.Writes(), Strings{"W F0000096 1 C5"});  // 100 -> 5 again, bits 7..6 kept
    EXPECT_EQ(r.S("Clock div").text, "100");              // as typed until the next refresh
    r.Show();
    EXPECT_EQ(r.S("Clock div").text, "96");

    r.Commit("Clock div", "5");
    EXPECT_EQ(r.S("Clock div").text, "16");
    EXPECT_EQ(r.t.data[ADCON2], 0xC0);
    r.Commit("Clock div", "5000");
    EXPECT_EQ(r.S("Clock div").text, "1024");
    EXPECT_EQ(r.t.data[ADCON2], 0xFF);
    r.Commit("Clock div", "47");
    EXPECT_EQ(r.t.data[ADCON2], 0xC1);  // 32

    r.t.ClearLog();
    r.Commit("Clock div", "-20");  // not digits: nothing happens
    r.Commit("Clock div", "1e3");
    EXPECT_TRUE(r.t.Writes().empty());
    EXPECT_TRUE(r.notifier.events.empty());
    EXPECT_EQ(r.S("Clock div").text, "1e3");
}

TEST(AdcView, ThresholdClampsAndRefreshReadsThrough) {
    PanelRig r("adc");
    r.Show({{ADTRH, 0x40}});
    EXPECT_EQ(r.S("Comp. thresh").text, "64");
    r.Commit("Comp. thresh", "256");
    EXPECT_EQ(r.S("Comp. thresh").text, "255");
    EXPECT_EQ(r.t.Writes(), Strings{"W F0000097 1 FF"});
    r.t.ClearLog();
    r.view->Press("Refresh");
    EXPECT_EQ(r.t.log, Strings{"R F0800080 128"});
    EXPECT_EQ(r.C("Power").items, (Strings{"Active", "Power down"}));
    EXPECT_EQ(r.C("Mode").items[1], "Multi-conv/Continous");
    EXPECT_EQ(r.C("Voltage ref").items[1], "1,25V");
}

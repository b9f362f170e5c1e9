// The register views: editing, the three download orders and read-back listings on
// the virtual boards, and the EEP files.

#include "studio/board/CRegisterViewModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BoardRig.h"
#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/CConfigViewKX6500.h"
#include "studio/reports/ReportFile.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAre;

namespace {

std::vector<int> Addresses(const sim::RegisterFileBoard& board) {
    std::vector<int> a;
    for (const auto& [address, value] : board.Writes()) a.push_back(address);
    return a;
}

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A document with a form's defaults calculated.
template <typename Form>
struct Calculated {
    Calculated() {
        doc.OnNewDocument();
        form.OnInitialUpdate();
    }
    TessaryDocument doc;
    RecordingMessageSink messages;
    Form form{doc, messages};
};

}  // namespace

TEST(HexField, FirstTwoCharacters) {
    EXPECT_EQ(ParseHexField("ff"), 0xFF);
    EXPECT_EQ(ParseHexField("A5"), 0xA5);
    EXPECT_EQ(ParseHexField("a5zz"), 0xA5);
    EXPECT_EQ(ParseHexField("A"), 0x0A);   // one digit: that digit, never past the text
    EXPECT_EQ(ParseHexField("7g"), 0x07);
    EXPECT_EQ(ParseHexField(""), std::nullopt);
    EXPECT_EQ(ParseHexField("g7"), std::nullopt);
}

TEST(RegisterViewKX6200, WorkingCopyAndEepFile) {
    Calculated<CConfigViewKX6200> c;
    CRegisterViewKX6200 view(c.doc.registers, c.messages);
    EXPECT_EQ(view.hex[0], "11");
    EXPECT_EQ(view.hex[1], "75");
    EXPECT_EQ(view.hex[2], "a0");  // lower case in this view
    const std::string eep = view.EepText();
    const std::string crlf = ToCrLf(eep);
    EXPECT_EQ(crlf.size(), 28u * 7u);
    for (std::size_t k = 0; k < 28; ++k) EXPECT_EQ(crlf.substr(7 * k + 5, 2), "\r\n") << k;
    const std::string tail = "40:10\n41:08\n42:25\n43:04\n44:00\n45:00\n46:00\n";
    EXPECT_EQ(eep.substr(eep.size() - tail.size()), tail);
    EXPECT_NE(eep.find("0A:02\n0B:80\n"), std::string::npos);

    // Edit, save, load into a fresh view: the working copy comes back exactly.
    view.hex[14] = "3c";
    view.hex[27] = "5";
    view.ApplyEdits();
    EXPECT_EQ(view.Entry(14), 0x3C);
    EXPECT_EQ(view.Entry(27), 0x05);
    const std::string saved = ToCrLf(view.EepText());
    CRegisterViewKX6200 fresh(c.doc.registers, c.messages);
    ASSERT_TRUE(fresh.LoadEep(Bytes(saved)));
    EXPECT_EQ(fresh.WorkingCopy(), view.WorkingCopy());
}

TEST(RegisterViewKX6200, NamedControlsFollowTheBits) {
    Calculated<CConfigViewKX6200> c;
    CRegisterViewKX6200 view(c.doc.registers, c.messages);
    const auto& fields = view.Table().fields;
    auto find = [&](std::string_view caption) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].caption == caption) return static_cast<int>(i);
        return -1;
    };
    const int rxtx = find("RXTX"), high = find("HIGH (0 - 15)"), vco = find("VCO"), refdiv = find("REFDIV");
    EXPECT_EQ(view.fieldValue[static_cast<std::size_t>(rxtx)], 0);
    view.fieldValue[static_cast<std::size_t>(rxtx)] = 1;
    ASSERT_TRUE(view.OnFieldChanged(rxtx));
    EXPECT_EQ(view.Entry(0), 0x91);
    EXPECT_EQ(view.hex[0], "91");
    view.fieldText[static_cast<std::size_t>(high)] = "12";
    ASSERT_TRUE(view.OnFieldChanged(high));
    EXPECT_EQ(view.Entry(10), 0xC0);
    view.fieldText[static_cast<std::size_t>(high)] = "16";
    EXPECT_FALSE(view.OnFieldChanged(high));
    EXPECT_EQ(c.messages.ShownTexts().back(), "Please enter an integer between 0 and 15.");
    EXPECT_EQ(view.FocusField(), high);
    EXPECT_EQ(view.Entry(10), 0xC0);
    view.fieldValue[static_cast<std::size_t>(vco)] = 3;
    ASSERT_TRUE(view.OnFieldChanged(vco));
    EXPECT_EQ(view.Entry(9) >> 4, 3);
    // Hex edits update the named controls.
    view.hex[11] = "38";
    view.ApplyEdits();
    EXPECT_EQ(view.fieldText[static_cast<std::size_t>(refdiv)], "7");
}

TEST(RegisterViewKX6200, DownloadReadBackCalibrateResetOnTheBoard) {
    BoardRig rig(std::make_unique<sim::ThreeWireBoard>("kx6200"));
    rig.Install();
    Calculated<CConfigViewKX6200> c;
    CRegisterViewKX6200 view(c.doc.registers, c.messages);
    view.UpdateDevice();
    EXPECT_THAT(Addresses(*rig.board),
                ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
                            0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1C, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46));
    EXPECT_EQ(rig.board->Register(0x40), 0x10);
    EXPECT_EQ(rig.board->Register(0x43), 0x04);
    const std::string listing = view.ReadBack();
    EXPECT_EQ(listing.rfind("Register values read from KX6200:\n\n00h:\t11\tMAIN\n01h:\t75\tFREQ_A2\n", 0), 0u);
    EXPECT_NE(listing.find("13h:\t01\tFSCTRL\n1Ch:\t00\tPRESCALER\n40h:\t10\tTEST6\n"), std::string::npos);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 2 + 28);
    EXPECT_EQ(c.messages.ShownTexts().back(), listing);
    const auto before = rig.board->Writes().size();
    view.Calibrate();
    view.Reset();
    const std::vector<std::pair<int, int>> tail(rig.board->Writes().begin() + static_cast<long>(before),
                                                rig.board->Writes().end());
    EXPECT_THAT(tail, ElementsAre(std::pair(0x0E, 0x26), std::pair(0x0E, 0xA6), std::pair(0x0E, 0x26),
                                  std::pair(0x00, 0x10), std::pair(0x00, 0x11)));
}

TEST(RegisterViewKX6300, OrderAndListing) {
    BoardRig rig(std::make_unique<sim::ThreeWireBoard>("kx6300"));
    rig.Install();
    TessaryDocument doc;
    RecordingMessageSink messages;
    for (int i = 0; i <= 28; ++i) doc.registers.SetReg6300(i, 0x20 + i);
    CRegisterView_KX6300 view(doc.registers, messages);
    EXPECT_EQ(view.Entry(26), 0x10);
    EXPECT_EQ(view.Entry(28), 0x20 + 28);
    view.UpdateDevice();
    EXPECT_THAT(Addresses(*rig.board), ElementsAre(0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                                   0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x40, 0x41, 0x42, 0x43,
                                                   0x44, 0x45, 0x46));
    const std::string listing = view.ReadBack();
    EXPECT_NE(listing.find("0Ah:\t2A\tXOSC\n"), std::string::npos);
    EXPECT_EQ(ToCrLf(view.EepText()).size(), 25u * 7u);
}

TEST(RegisterViewKX6500, DownloadStartsWithD3AndEndsWithRfmain) {
    BoardRig rig(std::make_unique<sim::KX6500Board>());
    rig.Install();
    rig.port.WriteData(0xC1);
    Calculated<CConfigViewKX6500> c;
    CRegisterView_KX6500 view(c.doc.registers, c.messages);
    EXPECT_EQ(view.hex[2], "A0");  // upper case in this view
    EXPECT_EQ(view.Entry(32), 4);
    EXPECT_EQ(view.Entry(34), 8);
    view.UpdateDevice();
    EXPECT_THAT(Addresses(*rig.board),
                ElementsAre(0xD3, 0xC8, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD9, 0xDA, 0xDB, 0xDC, 0xE1, 0xE2, 0xE3,
                            0xE4, 0xE5, 0xE6, 0xEA, 0xEB, 0xEC, 0xEE, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0xB4,
                            0xC8));
    EXPECT_EQ(rig.board->Writes()[1].second, 0x30);
    EXPECT_EQ(rig.board->Writes().back().second, 0x10);
    const std::string listing = view.ReadBack();
    EXPECT_EQ(listing.rfind("Register values read from KX6500:\n\nAdr\tData\tRegister\n\nC8\t10\tRFMAIN\n", 0), 0u);
    EXPECT_NE(listing.find("FF\t1B\tTEST6\n\t00\tSIGBER\n\t00\tERRCNTH\n\t00\tERRCNTL\n"), std::string::npos);
    view.Reset();
    EXPECT_EQ(dynamic_cast<sim::KX6500Board*>(rig.board)->Resets(), 1);
}

TEST(RegisterViewTables, EveryHexFieldShownOnceAndWordsMostSignificantFirst) {
    for (const RegisterViewTable* t : {&KX6200ViewTable(), &KX6300ViewTable(), &KX6500ViewTable()}) {
        SCOPED_TRACE(std::string(t->device));
        std::vector<int> shown = t->ShownEntries(), expected;
        for (const ViewEntry& e : t->entries)
            if (e.shown) expected.push_back(e.entry);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, expected);
    }
    std::vector<std::string_view> names;
    for (int entry : KX6500ViewTable().ShownEntries()) names.push_back(KX6500ViewTable().entries[static_cast<std::size_t>(entry)].name);
    const auto at = [&](std::string_view name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    EXPECT_EQ(at("FREQ_A1"), at("FREQ_A2") + 1);
    EXPECT_EQ(at("FREQ_A0"), at("FREQ_A1") + 1);
    EXPECT_EQ(at("FREQ_B0"), at("FREQ_B2") + 2);
    EXPECT_EQ(at("FSEP0"), at("FSEP1") + 1);
}

TEST(RegisterViewKX6500, EepLoadsByPositionAndRefusesBadFiles) {
    Calculated<CConfigViewKX6500> c;
    CRegisterView_KX6500 view(c.doc.registers, c.messages);
    std::string file = ToCrLf(view.EepText());
    ASSERT_EQ(file.size(), 29u * 7u);
    EXPECT_EQ(file.rfind("C8:10\r\nCA:00\r\n", 0), 0u);
    for (std::size_t k = 0; k < 29; ++k) file.replace(7 * k, 2, "00");  // wrong addresses
    file.replace(7 * 3 + 3, 2, "ff");
    CRegisterView_KX6500 other(c.doc.registers, c.messages);
    ASSERT_TRUE(other.LoadEep(Bytes(file)));
    EXPECT_EQ(other.Entry(3), 0xFF);  // FREQ_A2, by position
    EXPECT_EQ(other.Entry(36), view.Entry(36));

    const std::vector<int> before = other.WorkingCopy();
    c.messages.shown.clear();
    EXPECT_FALSE(other.LoadEep(Bytes(file.substr(0, 7 * 29 - 1))));
    std::string bad = file;
    bad[7 * 5 + 4] = 'x';
    EXPECT_FALSE(other.LoadEep(Bytes(bad)));
    EXPECT_EQ(other.WorkingCopy(), before);
    EXPECT_EQ(c.messages.shown.size(), 2u);
}

TEST(RegisterViewFrames, BoxesWordsAndEep) {
    BoardRig rig(std::make_unique<sim::FrameBoard>(false));
    rig.Install();
    TessaryDocument doc;
    RecordingMessageSink messages;
    CRegisterView view(doc.registers, messages);
    view.ShowFromRegisters();
    EXPECT_EQ(view.Word(1), "2000");
    EXPECT_EQ(view.Word(7), "E000");
    EXPECT_EQ(view.boxes[0][11], 1);  // frame A bit 1
    for (int i = 0; i < 8; ++i) doc.registers.ClearFrameChanged(i);
    view.boxes[7][0] = 1;  // H12
    view.TakeOverBoxes();
    EXPECT_EQ(doc.registers.GetFrame(7), 0x1000);
    EXPECT_TRUE(doc.registers.FrameChanged(7));
    EXPECT_FALSE(doc.registers.FrameChanged(6));
    view.UpdateDevice();
    EXPECT_EQ(rig.board->Register(7), 0x1000);
    EXPECT_EQ(rig.board->Writes().size(), 8u);

    const std::string file = ToCrLf(view.EepText());
    EXPECT_EQ(file.size(), 8u * 9u);
    EXPECT_EQ(file.substr(0, 18), "00:0002\r\n01:0000\r\n");
    TessaryDocument other;
    CRegisterView loaded(other.registers, messages);
    ASSERT_TRUE(loaded.LoadEep(Bytes(file)));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(other.registers.GetFrame(i), doc.registers.GetFrame(i));
    std::string wide = file;
    wide.replace(3, 4, "FFFF");
    EXPECT_FALSE(loaded.LoadEep(Bytes(wide)));
}

// The programmer's files and its window model: buffer files, the KX400/KX900 register
// listing, generic hex files, the status lines and which controls are enabled.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/FileIo.h"
#include "studio/board/DemoBoardProgrammer.h"
#include "studio/config/CConfigView.h"
#include "studio/config/TessaryDocument.h"
#include "studio/reports/ReportsKX400.h"

using namespace tessary;
using ::testing::HasSubstr;
using Source = DemoBoardProgrammer::Source;

namespace {

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("demo_files_" + std::to_string(getpid()) + "_" + name)).string();
}

std::string Write(const std::string& name, const std::string& text) {
    const std::string path = TempPath(name);
    std::string error;
    EXPECT_TRUE(WriteWholeFile(path, text, error)) << error;
    return path;
}

// A listing in the layout the KX400/KX900 form writes, with frame words given per block.
std::string Listing(const std::array<std::array<int, 8>, 5>& words) {
    static const char* titles[] = {"RX mode:", "TX mode:", "PD osc. on mode:", "PD osc. off mode:", "RX Precharge mode:"};
    std::string text;
    for (int b = 0; b < 5; ++b) {
        text += std::string(titles[b]) + "\r\nFrame\tAddr/Data\r\n";
        for (int f = 0; f < 8; ++f) {
            char line[16];
            std::snprintf(line, sizeof line, "%c\t%04X\r\n", 'A' + f, static_cast<unsigned>(words[b][f] | f << 13));
            text += line;
        }
        text += "\r\n";
    }
    return text;
}

std::array<std::array<int, 8>, 5> SomeWords() {
    std::array<std::array<int, 8>, 5> w{};
    for (int b = 0; b < 5; ++b)
        for (int f = 0; f < 8; ++f) w[b][f] = (b * 0x321 + f * 0x0457 + 0x0A5) & 0x1FFF;
    return w;
}

class Model : public ::testing::Test {
protected:
    ~Model() override {
        for (const auto& p : paths) std::filesystem::remove(p);
    }
    std::string File(const std::string& name, const std::string& text) {
        paths.push_back(Write(name, text));
        return paths.back();
    }
    DisconnectedPortIo io;
    CParallelPort port{io, 0x378};
    struct NoTiming : BusTiming {
        void SleepMilliseconds(int) override {}
        void WaitMicroseconds(int) override {}
    } timing;
    RecordingMessageSink messages;
    DemoBoardProgrammer kx400{4, port, timing, messages};
    std::vector<std::string> paths;
};

}  // namespace

TEST_F(Model, StartsWithoutDataAndEnablesProgrammingOnlyWithData) {
    EXPECT_EQ(kx400.EepromStatus(), "No data in buffer");
    EXPECT_EQ(kx400.FlashStatus(), "No data in buffer");
    auto e = kx400.Enabled();
    EXPECT_FALSE(e.load || e.save || e.read || e.programEeprom || e.programFlash);
    EXPECT_TRUE(e.flashLoad);
    EXPECT_EQ(kx400.Eeprom(), DemoEeprom{});
    for (int w : kx400.Flash()) ASSERT_EQ(w, 0xFFFF);

    kx400.SelectSource(Source::File);
    e = kx400.Enabled();
    EXPECT_TRUE(e.load);
    EXPECT_FALSE(e.save || e.read || e.programEeprom);  // nothing to save yet
    kx400.SelectSource(Source::Board);
    e = kx400.Enabled();
    EXPECT_TRUE(e.read);
    EXPECT_FALSE(e.load || e.save);

    kx400.SelectSource(Source::Default);
    e = kx400.Enabled();
    EXPECT_EQ(kx400.EepromStatus(), "Default data in buffer for KX400DB");
    EXPECT_TRUE(e.programEeprom);
    EXPECT_FALSE(e.load || e.save || e.read);
    kx400.SelectSource(Source::File);
    EXPECT_TRUE(kx400.Enabled().save);
}

TEST_F(Model, DefaultSettingFollowsTheDocumentsDevice) {
    DemoBoardProgrammer kx900(9, port, timing, messages), kx6200(-1, port, timing, messages);
    kx900.SelectSource(Source::Default);
    EXPECT_EQ(kx900.EepromStatus(), "Default data in buffer for KX900DB");
    EXPECT_EQ(kx900.Eeprom()[1], 0x6A);
    EXPECT_EQ(kx900.Eeprom()[43], 0xF2);
    // A buffer that held data is cleared: no data, nothing to program.
    kx6200.SelectSource(Source::Default);
    EXPECT_EQ(kx6200.EepromStatus(), " No default data in buffer");
    EXPECT_EQ(kx6200.Eeprom(), DemoEeprom{});
    EXPECT_FALSE(kx6200.Enabled().programEeprom);
    EXPECT_EQ(kx6200.ProgramEeprom(), DemoOutcome::NoData);
}

TEST_F(Model, BufferFileRoundTripRestoresBytes0To37AndKeeps38To43) {
    kx400.SelectSource(Source::Default);
    const std::string text = BufferFileText(kx400.Eeprom());
    ASSERT_EQ(text.size(), 396u);
    EXPECT_EQ(text.substr(0, 18), "0000:08\r\n0001:2a\r\n");
    const std::string saved = TempPath("saved.eep");
    paths.push_back(saved);
    kx400.SelectSource(Source::File);
    ASSERT_EQ(kx400.SaveEeprom(saved), DemoOutcome::Done);
    EXPECT_EQ(kx400.EepromStatus(), "Buffer saved to " + saved);
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(saved, bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);

    DemoBoardProgrammer fresh(4, port, timing, messages);
    ASSERT_EQ(fresh.LoadEeprom(saved), DemoOutcome::Done);
    EXPECT_EQ(fresh.EepromStatus(), "File " + saved + " in the Buffer");
    for (int i = 0; i < 38; ++i) EXPECT_EQ(fresh.Eeprom()[static_cast<std::size_t>(i)], kx400.Eeprom()[static_cast<std::size_t>(i)]);
    for (int i = 38; i < 44; ++i) EXPECT_EQ(fresh.Eeprom()[static_cast<std::size_t>(i)], 0) << i;  // kept
    EXPECT_TRUE(fresh.Enabled().programEeprom);
    // Upper-case digits are as good.
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(fresh.LoadEeprom(File("upper.eep", upper)), DemoOutcome::Done);
}

TEST_F(Model, MalformedBufferFilesAreRefusedWithTheirFaultAndChangeNothing) {
    kx400.SelectSource(Source::Default);
    const std::string good = BufferFileText(kx400.Eeprom());
    std::string lf = good;
    for (std::size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.replace(at, 2, "\n");
    std::string badDigit = good;
    badDigit[9 * 5 + 6] = 'g';
    std::string badAddress = good;
    badAddress[9 * 7 + 3] = '8';
    const std::vector<std::pair<std::string, std::string>> cases = {
        {good.substr(0, 9 * 38), "line 39, column 1"},
        {good.substr(0, 100), "line 12, column 2"},
        {lf, "line 1, column 8: expected a carriage return"},
        {badDigit, "line 6, column 7: 'g' is not a hex digit"},
        {badAddress, "line 8, column 5: the address 0008 should be 0007"},
        {good + "0000:00\r\n", "text after line 44"},
    };
    kx400.SelectSource(Source::File);
    for (const auto& [text, fault] : cases) {
        messages.shown.clear();
        EXPECT_EQ(kx400.LoadEeprom(File("bad.eep", text)), DemoOutcome::FileRefused) << fault;
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_THAT(messages.shown[0].text, HasSubstr(kEepromFileRefused));
        EXPECT_THAT(messages.shown[0].text, HasSubstr(fault));
        EXPECT_EQ(kx400.Eeprom(), *DefaultEepromImage(4));
        EXPECT_EQ(kx400.EepromStatus(), "Default data in buffer for KX400DB");
    }
}

TEST_F(Model, ListingsLoadIntoTheBufferLayoutWithBytes38To43Cleared) {
    const auto words = SomeWords();
    const std::string text = Listing(words);
    ASSERT_EQ(text.size(), 492u);
    kx400.SelectSource(Source::Default);  // 38-43 hold 0x80 0x81 0xF2 before
    kx400.SelectSource(Source::File);
    ASSERT_EQ(kx400.LoadEeprom(File("listing.txt", text)), DemoOutcome::Done);
    const auto& e = kx400.Eeprom();
    auto word = [&](int at) { return e[static_cast<std::size_t>(at)] << 8 | e[static_cast<std::size_t>(at + 1)]; };
    for (int f = 0; f < 8; ++f) {
        EXPECT_EQ(word(2 * f), words[1][f] | f << 13);        // TX
        EXPECT_EQ(word(18 + 2 * f), words[4][f] | f << 13);   // RX precharge
    }
    EXPECT_EQ(word(16), words[0][7] | 7 << 13);  // RX frame H
    EXPECT_EQ(word(34), words[3][0]);            // PD osc. off frames A and C
    EXPECT_EQ(word(36), words[3][2] | 2 << 13);
    for (int i = 38; i < 44; ++i) EXPECT_EQ(e[static_cast<std::size_t>(i)], 0);
}

TEST_F(Model, TheFormsOwnListingLoads) {
    TessaryDocument doc;
    doc.config.kx400.deviceNumber = 9;
    doc.config.Reset();
    RecordingMessageSink formMessages;
    CConfigView form(doc, formMessages);
    form.OnInitialUpdate();
    const std::string path = TempPath("form.txt");
    paths.push_back(path);
    std::string error;
    ASSERT_TRUE(PrintRegistersKX400(form, path, error)) << error;
    ASSERT_EQ(kx400.LoadEeprom(path), DemoOutcome::Done) << messages.ShownTexts().front();
    for (int f = 0; f < 8; ++f)
        EXPECT_EQ(kx400.Eeprom()[static_cast<std::size_t>(2 * f)] >> 5, f);  // each TX word's frame address
}

TEST_F(Model, MalformedListingsAreRefused) {
    const std::string good = Listing(SomeWords());
    std::string badDigit = good;
    badDigit[124] = 'x';  // TX frame A's third digit
    std::string wrongAddress = Listing(SomeWords());
    wrongAddress[122 + 8] = '0';  // TX frame B's word with address 0 (its first digit)
    const std::string cut = good.substr(0, 300);  // as a listing stopped at a failed mode
    const std::vector<std::pair<std::string, std::string>> cases = {
        {cut, "cut short"},
        {badDigit, "'x' is not a hex digit"},
        {wrongAddress, "frame address 0, not 1 (frame B)"},
        {good + "\r\n", "text after the fifth block"},
        {"RX mode:\n", "the file is neither"},
        {"hello", "the file is neither"},
        {"", "the file is empty"},
    };
    for (const auto& [text, fault] : cases) {
        messages.shown.clear();
        EXPECT_EQ(kx400.LoadEeprom(File("bad.txt", text)), DemoOutcome::FileRefused) << fault;
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_THAT(messages.shown[0].text, HasSubstr(fault));
        EXPECT_EQ(kx400.EepromStatus(), "No data in buffer");
        EXPECT_FALSE(kx400.EepromHasData());
    }
}

TEST_F(Model, GenericHexFilesTakeEveryLineAndRefuseWhatTheyCannotHold) {
    ASSERT_EQ(kx400.LoadFlash(File("a.hex", "000000:c0ff\n000010:1234\r\n000010:ABCD\n0001ff:0042\r\n")),
              DemoOutcome::Done);
    EXPECT_EQ(kx400.Flash()[0], 0xC0FF);
    EXPECT_EQ(kx400.Flash()[0x10], 0xABCD);  // the later line wins
    EXPECT_EQ(kx400.Flash()[0x1FF], 0x0042);
    EXPECT_EQ(kx400.Flash()[1], 0xFFFF);
    EXPECT_TRUE(kx400.Enabled().programFlash);
    const auto loaded = kx400.Flash();
    const std::string status = kx400.FlashStatus();

    std::string full;
    for (int w = 0; w < 513; ++w) {
        char line[16];
        std::snprintf(line, sizeof line, "%06X:0000\n", static_cast<unsigned>(w % 512));
        full += line;
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"000000:12", "line 1, column 10: the file ends in the middle of the line"},
        {"000000:1234", "line 1, column 12: the file ends where the line end"},
        {"000000:12g4\n", "'g' is not a hex digit"},
        {"0000001234\n", "column 7: expected ':'"},
        {"000200:1234\n", "the word address 000200 is above 0001FF"},
        {full, "line 513, column 1: more than 512 lines"},
        {"", "the file is empty"},
        {"000000:1234\n\n", "line 2, column 1: '\\n'"},
    };
    for (const auto& [text, fault] : cases) {
        messages.shown.clear();
        EXPECT_EQ(kx400.LoadFlash(File("bad.hex", text)), DemoOutcome::FileRefused) << fault;
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_THAT(messages.shown[0].text, HasSubstr(kFlashFileRefused));
        if (fault.find("'\\n'") == std::string::npos) {
            EXPECT_THAT(messages.shown[0].text, HasSubstr(fault));
        }
        EXPECT_EQ(kx400.Flash(), loaded);
        EXPECT_EQ(kx400.FlashStatus(), status);
    }
    EXPECT_EQ(kx400.LoadFlash(File("full.hex", full.substr(0, 512 * 12))), DemoOutcome::Done);
}

TEST_F(Model, FilesThatCannotBeOpenedOrWrittenAreSaidSo) {
    const std::string missing = TempPath("missing.eep");
    EXPECT_EQ(kx400.LoadEeprom(missing), DemoOutcome::FileUnreadable);
    EXPECT_EQ(kx400.LoadFlash(missing), DemoOutcome::FileUnreadable);
    EXPECT_EQ(kx400.SaveEeprom(missing), DemoOutcome::NoData);
    kx400.SelectSource(Source::Default);
    EXPECT_EQ(kx400.SaveEeprom(TempPath("no/such/folder.eep")), DemoOutcome::FileUnwritable);
    EXPECT_EQ(messages.shown.size(), 4u);
    EXPECT_THAT(messages.shown[0].text, HasSubstr(missing));
    EXPECT_EQ(kx400.EepromStatus(), "Default data in buffer for KX400DB");
}

TEST_F(Model, InfoButtonsShowTheirTexts) {
    kx400.InfoEeprom();
    kx400.InfoFlash();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].caption, "Info: EEPROM");
    EXPECT_EQ(messages.shown[1].caption, "Info: FLASH");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Information);
    EXPECT_THAT(messages.shown[1].text, HasSubstr("correnct format (generic)"));
}

// kx6500-debug with the real KX6500Disp.so on the in-memory target: the Timers, Serial
// Port 0/1 and DES views through the view commands, their writes in the access log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numeric>
#include <sstream>

#include "tests/host/HostProcess.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
using Strings = std::vector<std::string>;

namespace {

const std::string kBlockRead = "R F0000080 128";

class DisplayViews : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_displayviews_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path File(const char* name) const { return dir / name; }
    void Save(const char* name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> Bytes(const char* name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Strings Log() const {
        std::ifstream in(File("access.log"));
        Strings lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    struct Run {
        int status;
        std::string out, err;
        std::vector<Json> Shown() const {  // the JSON lines of "view show"
            std::vector<Json> views;
            std::istringstream in(out);
            for (std::string l; std::getline(in, l);)
                if (l.starts_with("{")) views.push_back(Json::parse(l).at("controls"));
            return views;
        }
    };
    Run Host(const std::string& input, Strings extra = {}) {
        Save("sfr.bin", sfr);
        Strings args{HostProgram(),          "--display", Lib(), "--sfr-file", File("sfr.bin").string(), "--access-log",
                     File("access.log").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        HostProcess p(args, {{"QT_QPA_PLATFORM", ""}});
        p.Write(input);
        const int status = p.Finish();
        return {status, p.out, p.err};
    }
    static std::string Lib() {
        const char* bin = std::getenv("TESSARY_BIN");
        return (fs::path(bin ? bin : "build/bin").parent_path() / "lib" / "KX6500Disp.so").string();
    }

    fs::path dir;
    std::vector<std::uint8_t> sfr = std::vector<std::uint8_t>(256, 0);
};

}  // namespace

TEST_F(DisplayViews, TimerValueIsOneThreeByteWriteAndTheLayoutFollowsTheModeAtTheNextUpdate) {
    sfr[0x89] = 0x00;  // TMOD
    sfr[0x8C] = 0x12;  // TH0
    sfr[0x8A] = 0xFF;  // TL0
    sfr[0x8B] = 0x5A;  // TL1
    const Run r = Host("view open timers\nview show timers\nview set timers \"T0 value\" 8192\n"
                       "view set timers \"T0 mode\" 2\nview show timers\nupdate\nview show timers\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto shown = r.Shown();
    ASSERT_EQ(shown.size(), 3u) << r.out;
    EXPECT_EQ(shown[0]["T0 label"]["text"], "TH0+TL0: T0 value (13):");
    EXPECT_EQ(shown[0]["T0 value"]["text"], "607");
    EXPECT_EQ(shown[0]["T0 value"]["visible"], true);
    EXPECT_EQ(shown[0]["TH0"]["visible"], false);
    EXPECT_EQ(shown[0]["Watchdog Timer Enable"]["enabled"], false);
    for (const char* id : {"TF0", "TF3", "TR2", "IE1", "IT0", "GATE1", "CT0", "CT1", "Realtime Clock Enable", "T1 value",
                           "TL1", "T2", "T2PRE", "T3", "T3PRE", "T2 label", "T2PRE label", "T3 label", "T3PRE label"})
        EXPECT_TRUE(shown[0].contains(id)) << id;
    EXPECT_EQ(shown[1]["T0 value"]["text"], "8191");
    EXPECT_EQ(shown[1]["T0 label"]["text"], "TH0+TL0: T0 value (13):");  // not yet
    EXPECT_EQ(shown[2]["T0 label"]["text"], "TH0 (reload) | TL0 (count):");
    EXPECT_EQ(shown[2]["T0 value"]["visible"], false);
    EXPECT_EQ(shown[2]["TH0"]["visible"], true);
    EXPECT_EQ(shown[2]["TH0"]["text"], "255");
    EXPECT_EQ(shown[2]["T0 mode"]["items"][2], "8-bit auto-reload timer");
    Strings expected{kBlockRead, kBlockRead, "R F000008A 3", "W F000008A 3 1F 5A FF", "R F0000089 1", "W F0000089 1 02"};
    expected.insert(expected.end(), 15, kBlockRead);  // the update
    EXPECT_EQ(Log(), expected);
}

TEST_F(DisplayViews, SerialStatusLinesAndTheDebuggersPortThatWritesNothing) {
    sfr[0x98] = 0x50;  // SCON0: mode 1, receive
    sfr[0x89] = 0x20;  // TMOD: timer 1 in mode 2
    sfr[0x8D] = 0xFD;  // TH1
    sfr[0xC0] = 0x80;  // SCON1: mode 2
    sfr[0xD8] = 0x80;  // EICON: SMOD of port 1
    const Run r = Host("view open serial0\nview show serial0\nview set serial0 TB8 7\nview set serial0 \"Data buffer\" a\n"
                       "view open serial1\nview show serial1\nview set serial1 Mode 1\nview set serial1 TB8 1\n"
                       "view press serial1 Refresh\n",
                       {"--clock", "11059200"});
    EXPECT_EQ(r.status, 2);
    const auto shown = r.Shown();
    ASSERT_EQ(shown.size(), 2u) << r.out;
    EXPECT_EQ(shown[0]["Status"]["kind"], "lines");
    EXPECT_EQ(shown[0]["Status"]["items"],
              Json::parse(R"(["Asynchronous mode","Baud rate: 9600","Data bits: 8","Start/Stop bits: 1 / 1",
                              "Parity bit: None"])"));
    EXPECT_EQ(shown[1]["Status"]["items"][1], "Baud rate: 345600");
    for (const auto& [id, c] : shown[1].items()) EXPECT_EQ(c["enabled"], id == "Refresh") << id;
    EXPECT_NE(r.out.find("error: serial1: 'Mode' is disabled"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("error: serial1: 'TB8' is disabled"), std::string::npos) << r.out;
    EXPECT_EQ(Bytes("sfr.bin")[0x98], 0x58);
    EXPECT_EQ(Bytes("sfr.bin")[0x99], 0x0A);
    EXPECT_EQ(Bytes("sfr.bin")[0xC0], 0x80);
    EXPECT_EQ(Log(), (Strings{kBlockRead, kBlockRead, "R F0000098 1", "W F0000098 1 58", "R F0000099 1",
                              "W F0000099 1 0A", kBlockRead, kBlockRead, "R F0800080 128"}));
}

TEST_F(DisplayViews, DesMemoryDisplayVectorLoadAndBeeps) {
    std::vector<std::uint8_t> xdata(0x200);
    std::iota(xdata.begin(), xdata.end(), std::uint8_t{0});
    Save("xdata.bin", xdata);
    sfr[0xC5] = 0x20;  // CRPDAT: 0x0100
    sfr[0xC6] = 20;    // CRPCNT
    const Run r = Host("view open des\nview set des View 2\nview show des\n"
                       "view type des \"Init. vec.\" 0011223344556677\nview press des \"Load init. vec.\"\n"
                       "view set des \"Key address\" 07EA\nview set des \"Data address\" 7E0\nview show des\n"
                       "view set des \"Data address\" 7F8\nview set des Count 1A\n"
                       "view type des \"Init. vec.\" 001122334455667\nview press des \"Load init. vec.\"\n"
                       "view show des\n",
                       {"--xdata-file", File("xdata.bin").string()});
    EXPECT_EQ(r.status, 2);  // the press on the disabled button
    const auto shown = r.Shown();
    ASSERT_EQ(shown.size(), 3u) << r.out;
    EXPECT_EQ(shown[0]["Memory"]["kind"], "text");
    std::string memory = shown[0]["Memory"]["text"];
    std::erase(memory, '\r');  // the widget may hold its line breaks either way
    EXPECT_EQ(memory, "0x0100: 00.01.02.03.04.05.06.07\n0x0108: 08.09.0A.0B.0C.0D.0E.0F\n0x0110: 10.11.12.13\n");
    EXPECT_EQ(shown[0]["Load init. vec."]["enabled"], false);
    EXPECT_EQ(shown[1]["Key address"]["text"], "HIGH");
    EXPECT_EQ(shown[1]["Data address"]["text"], "07E0");  // 0x7E0 + 20 fits
    EXPECT_EQ(shown[1]["Memory"]["text"].get<std::string>().substr(0, 8), "0x07E0: ");
    EXPECT_EQ(shown[1]["Load init. vec."]["enabled"], true);
    EXPECT_EQ(shown[2]["Data address"]["text"], "HIGH");  // 0x7F8 + 20 does not
    EXPECT_EQ(shown[2]["Memory"]["text"].get<std::string>().substr(0, 19), "ERROR: DATA ADDRESS");
    EXPECT_EQ(shown[2]["Load init. vec."]["enabled"], false);
    EXPECT_NE(r.out.find("error: des: 'Load init. vec.' is disabled"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("KX6500Disp: beep 1000 Hz 100 ms\nKX6500Disp: beep 1000 Hz 500 ms\n"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("KX6500Disp: Please enter an integer.\n"), std::string::npos) << r.err;
    const auto file = Bytes("sfr.bin");
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 0xB4, file.begin() + 0xB8),
              (std::vector<std::uint8_t>{0x00, 0x11, 0x22, 0x33}));
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 0xBC, file.begin() + 0xC0),
              (std::vector<std::uint8_t>{0x44, 0x55, 0x66, 0x77}));
    EXPECT_EQ(file[0xC5], 0xFC);
    Strings expected{kBlockRead, kBlockRead, "R 01800100 20"};
    const char* vector[] = {"B4 1 00", "B5 1 11", "B6 1 22", "B7 1 33", "BC 1 44", "BD 1 55", "BE 1 66", "BF 1 77"};
    for (const char* w : vector) {
        expected.push_back(std::string("R F00000") + std::string(w).substr(0, 4));
        expected.push_back(std::string("W F00000") + w);
    }
    // The key address is refused and rebuilds the display (data view: as before); the
    // data address is written and rebuilds it from 07E0; the one too high reads nothing.
    for (const char* line : {"R 01800100 20", "R F00000C5 1", "W F00000C5 1 FC", "R 018007E0 20"})
        expected.push_back(line);
    EXPECT_EQ(Log(), expected);
}

// kx6500-debug with the real KX6500Disp.so: the in-memory target, the access log, the
// view commands and the updates, end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/host/HostProcess.h"
#include "tests/monitor/PtyPeer.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
using Strings = std::vector<std::string>;

namespace {

class DisplayHost : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_displayhost_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        sfr.assign(256, 0);
        sfr[0xE3] = 0x30;  // REFDIV 6
        sfr[0xCC] = 0x58;  // FREQ2A
        sfr[0xE1] = 0x9A;  // CURRENT
        sfr[0xE7] = 0x77;
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Lib(const char* name) {
        const char* bin = std::getenv("TESSARY_BIN");
        return (fs::path(bin ? bin : "build/bin").parent_path() / "lib" / name).string();
    }
    fs::path File(const char* name) const { return dir / name; }
    void WriteSfr() const {
        std::ofstream(File("sfr.bin"), std::ios::binary).write(reinterpret_cast<const char*>(sfr.data()), 256);
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
        Strings Lines() const {
            Strings lines;
            std::istringstream in(out);
            for (std::string l; std::getline(in, l);) lines.push_back(l);
            return lines;
        }
    };
    // The host on the in-memory target with the display plug-in and the access log.
    Run Host(const std::string& input, Strings extra = {}) {
        WriteSfr();
        Strings args{HostProgram(), "--display", Lib("KX6500Disp.so"), "--sfr-file", File("sfr.bin").string(),
                     "--access-log", File("access.log").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Exec(args, input);
    }
    Run Exec(const Strings& args, const std::string& input) {
        HostProcess p(args, env);
        p.Write(input);
        const int status = p.Finish();
        return {status, p.out, p.err};
    }
    static Json Controls(const std::string& line) { return Json::parse(line).at("controls"); }

    fs::path dir;
    std::vector<std::uint8_t> sfr;
    std::map<std::string, std::string> env{{"QT_QPA_PLATFORM", ""}};
};

const std::string kBlockRead = "R F0000080 128";

}  // namespace

TEST_F(DisplayHost, AViewShowsTheTargetWhenItOpensAndClosesWhenChosenAgain) {
    const Run r = Host("view show radio\nview open radio\nview show radio\nview open radio\n"
                       "view toggle radio\nview show radio\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const Strings lines = r.Lines();
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], R"({"view":"radio","open":false})");
    EXPECT_EQ(lines[2], R"({"view":"radio","open":false})");
    const Json view = Json::parse(lines[1]);
    EXPECT_EQ(view["title"], "Radio & Modem");
    const Json& c = view["controls"];
    EXPECT_EQ(c["-> fRef"]["text"], "2.4576");
    EXPECT_EQ(c["-> fRef"]["editable"], false);
    EXPECT_EQ(c["Freq. A"]["text"], "580000");
    EXPECT_EQ(c["Freq. A"]["visible"], false);  // on the second tab
    EXPECT_EQ(c["VCO current"]["index"], 9);
    EXPECT_EQ(c["VCO current"]["visible"], true);
    EXPECT_EQ(c["VCO current"]["items"].size(), 16u);
    EXPECT_EQ(c["Alarm high"]["enabled"], false);
    EXPECT_EQ(c["Alarm high"]["kind"], "check");
    EXPECT_EQ(c["tab"]["kind"], "tabs");
    EXPECT_EQ(c["tab"]["items"], Json::parse(R"(["RF Frontend","Freq. Synth.","Modem"])"));
    EXPECT_EQ(c["Refresh"]["kind"], "button");
    for (const char* id : {"RX/TX", "Using A", "Using B", "-> Freq. A", "-> Freq. B", "FSHAPE7", "FSHAPE1", "Mode",
                           "Enable", "RF buffer", "-> real value", "Transmit freq. separation"})
        EXPECT_TRUE(c.contains(id)) << id;
    // Open: the constructor's read and the open's; the second "open" does nothing; the
    // toggle closes it and its update finds no view. No update at start or after views.
    EXPECT_EQ(Log(), Strings(3, kBlockRead));
}

TEST_F(DisplayHost, ActionsWriteExactlyTheirBitsToTheTargetFile) {
    const Run r = Host("view open radio\n"
                       "view set radio \"VCO current\" 3\n"
                       "view set radio \"AD2 pin\" 4\n"
                       "view set radio \"Using B\" 1\n"
                       "view set radio \"Using B\" 1\n"
                       "view press radio Refresh\n"
                       "view set radio \"Ref. freq. divider\" 1\n"
                       "view show radio\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const Strings log = Log();
    const Strings expectedStart{kBlockRead, kBlockRead, "R F00000E1 1", "W F00000E1 1 3A", "R F00000E6 9"};
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(Strings(log.begin(), log.begin() + 5), expectedStart);
    EXPECT_EQ(log[5], "W F00000E6 9 00 77 00 00 00 00 00 00 02");  // the bytes between as read
    EXPECT_EQ(Strings(log.begin() + 6, log.end()),
              (Strings{"R F00000C8 1", "W F00000C8 1 40", "R F0800080 128", "R F00000E3 1", "W F00000E3 1 10"}));
    const auto file = Bytes("sfr.bin");
    auto expected = sfr;
    expected[0xE1] = 0x3A;
    expected[0xEE] = 0x02;
    expected[0xC8] = 0x40;
    expected[0xE3] = 0x10;
    EXPECT_EQ(file, expected);
    EXPECT_EQ(Controls(r.Lines().back())["Ref. freq. divider"]["text"], "2");  // clamped and shown
}

TEST_F(DisplayHost, TypedTextRevertsWhenTheFieldIsLeftAndTabsUpdate) {
    const Run r = Host("view open radio\nview type radio \"Peak level offset\" 77\nview show radio\n"
                       "view leave radio \"Peak level offset\"\nview show radio\nview set radio tab 2\n"
                       "view show radio\nview type radio \"RF buffer\" \nview set radio \"RF buffer\" \n");
    ASSERT_EQ(r.status, 0) << r.err;
    const Strings lines = r.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Controls(lines[0])["Peak level offset"]["text"], "77");
    EXPECT_EQ(Controls(lines[1])["Peak level offset"]["text"], "0");
    const Json modem = Controls(lines[2]);
    EXPECT_EQ(modem["tab"]["index"], 2);
    EXPECT_EQ(modem["Peak level offset"]["visible"], true);
    EXPECT_EQ(modem["VCO current"]["visible"], false);
    // The tab's update is one block read; the empty RF buffer text writes nothing.
    EXPECT_EQ(Log(), Strings(3, kBlockRead));
}

TEST_F(DisplayHost, MemoryCommandsServeTheTargetAndUpdateTheViews) {
    std::vector<std::uint8_t> xdata(0x20, 0x11);
    std::ofstream(File("xdata.bin"), std::ios::binary).write(reinterpret_cast<const char*>(xdata.data()), 0x20);
    const Run r = Host("mem read d:0xE0 20\nmem write D:e1 55\nview open radio\nupdate\nmem read x:1e 4\n"
                       "mem write x:ffff AB\nview show radio\n",
                       {"--xdata-file", File("xdata.bin").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const Strings lines = r.Lines();
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "D:00E0 00 9A 00 30 00 00 00 77 00 00 00 00 00 00 00 00");
    EXPECT_EQ(lines[1], "D:00F0 00 00 00 00");
    EXPECT_EQ(lines[2], "X:001E 11 11 00 00");
    EXPECT_EQ(Controls(lines[3])["VCO current"]["index"], 5);
    EXPECT_EQ(Bytes("sfr.bin")[0xE1], 0x55);
    const auto x = Bytes("xdata.bin");
    ASSERT_EQ(x.size(), 0x10000u);
    EXPECT_EQ(x[0xFFFF], 0xAB);
    EXPECT_EQ(x[0x20], 0x00);
    // Updates: every mem write (15 reads each, the first with no view open), the open (2),
    // the update command (15); the host's own reads and writes are not logged.
    EXPECT_EQ(Log(), Strings(15 + 2 + 15 + 15, kBlockRead));
}

TEST_F(DisplayHost, ErrorsChangeNothingAndEndWithStatus2) {
    const Run r = Host("view open nosuch\nview show radio\nview set radio \"VCO current\" 3\nview open radio\n"
                       "view set radio nosuch 1\nview set radio \"Alarm high\" 1\nview press radio \"VCO current\"\n"
                       "view set radio \"-> fRef\" 5\nview set radio \"VCO current\" 16\nview set radio \"Using A\" 2\n"
                       "view grab radio /nonexistent/dir/x.png\nmem read c:0 4\nmem read d:f0 17\n"
                       "mem write x:10 1FF\nmem read i:0 1\nview type radio \"Peak level offset\" abc\n"
                       "view set radio \"RF buffer\" 12\necho still running\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.Lines(), (Strings{
                             "error: unknown view 'nosuch' (adc des flash interrupts ports port0 port1 port2 port3 "
                             "power radio serial0 serial1 spi timers)",
                             R"({"view":"radio","open":false})",
                             "error: view radio is not open",
                             "error: radio has no control 'nosuch'",
                             "error: radio: 'Alarm high' is disabled",
                             "error: radio: 'VCO current' is a list, not a button",
                             "error: radio: '-> fRef' is read-only",
                             "error: '16' is not an entry (0 to 15)",
                             "error: a check box is set to 0 or 1, not '2'",
                             "error: /nonexistent/dir/x.png: the picture cannot be written",
                             "error: c: is not served by the in-memory target (d: and x: are)",
                             "error: 17 bytes from D:00F0 run past the end of the space",
                             "error: '1FF' is not a byte",
                             "error: i: is not served by the in-memory target (d: and x: are)",
                             "still running",
                         }));
    EXPECT_NE(r.err.find("KX6500Disp: Please enter an integer.\n"), std::string::npos) << r.err;
    EXPECT_EQ(Bytes("sfr.bin"), sfr);
    EXPECT_EQ(Log(), Strings(2, kBlockRead));  // the open's reads only
}

TEST_F(DisplayHost, UsageAndPluginErrorsExit1) {
    WriteSfr();
    const std::string disp = Lib("KX6500Disp.so");
    Run r = Exec({HostProgram(), "--display", disp, "--sfr-file", File("sfr.bin").string(), "--monitor",
                  Lib("KX6500MON.so")},
                 "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--monitor cannot go with them"), std::string::npos) << r.err;

    std::ofstream(File("big.bin"), std::ios::binary) << std::string(300, 'x');
    r = Exec({HostProgram(), "--display", disp, "--sfr-file", File("big.bin").string()}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("big.bin: 300 bytes, more than the 256 of its space"), std::string::npos) << r.err;

    r = Exec({HostProgram(), "--display", Lib("KX6500MON.so"), "--sfr-file", File("sfr.bin").string()}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("KX6500MON.so: EnumUv351 answered 0 to the attach, not 1"), std::string::npos) << r.err;
    r = Exec({HostProgram(), "--display", Lib("liblptlink.so"), "--xdata-file", File("x.bin").string()}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("liblptlink.so: missing export EnumUv351"), std::string::npos) << r.err;
    r = Exec({HostProgram(), "--display", disp, "--sfr-file", File("sfr.bin").string(), "--access-log",
              "/nonexistent/dir/log"},
             "");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(File("x.bin")));  // nothing written by a run that never started
}

TEST_F(DisplayHost, MissingTargetFilesReadZeroAndAreMadeByTheFirstWrite) {
    const Run r = Exec({HostProgram(), "--sfr-file", File("new.bin").string()}, "mem read d:80 2\nmem write d:90 7\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "D:0080 00 00\n");
    const auto file = Bytes("new.bin");
    ASSERT_EQ(file.size(), 0x91u);
    EXPECT_EQ(file[0x90], 7);
    EXPECT_EQ(file[0x10], 0);
}

TEST_F(DisplayHost, PicturesOfTheViews) {
    const Run r = Host("view open radio\nview grab radio " + File("radio.png").string() +
                       "\nview open timers\nview show timers\nview grab timers \"" + File("the timers.png").string() +
                       "\"\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.Lines().size(), 1u);
    const Json timers = Json::parse(r.Lines()[0]);
    EXPECT_EQ(timers["open"], true);
    EXPECT_EQ(timers["title"], "Timers");
    for (const char* png : {"radio.png", "the timers.png"}) {
        const auto bytes = Bytes(png);
        ASSERT_GT(bytes.size(), 8u) << png;
        EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG") << png;
    }
}

TEST_F(DisplayHost, GuiWindowsStayAliveWhileCommandsComeFromStandardInput) {
    env["QT_QPA_PLATFORM"] = "offscreen";  // --gui on a platform the test can run
    WriteSfr();
    HostProcess p({HostProgram(), "--gui", "--display", Lib("KX6500Disp.so"), "--sfr-file", File("sfr.bin").string()},
                  env);
    p.Write("view open radio\nview show radio\n");
    const auto line = p.ReadLine(20000);
    ASSERT_TRUE(line);
    EXPECT_EQ(Json::parse(*line)["open"], true);
    p.Write("echo done\n");
    EXPECT_EQ(p.ReadLine(10000), "done");
    EXPECT_EQ(p.Finish(), 0) << p.err;
}

TEST_F(DisplayHost, WithTheMonitorThePluginsAccessesGoThroughIt) {
    kx6500mon::testing::PtyPeer peer;
    env["KX6500MON_COM1"] = peer.SlavePath();
    env["TESSARY_TRACE_DIR"] = dir.string();
    const Run r = Exec({HostProgram(), "--display", Lib("KX6500Disp.so"), "--access-log", File("access.log").string()},
                       "view open radio\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const Strings log = Log();
    // The connect's refresh updates all views, then the open's two reads.
    ASSERT_EQ(log.size(), 17u);
    for (const auto& line : log) EXPECT_EQ(line.substr(0, kBlockRead.size()), kBlockRead);
    EXPECT_NE(r.out.find("options "), std::string::npos);
}

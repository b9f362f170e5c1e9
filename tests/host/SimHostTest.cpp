// kx6500-debug with the real KX6500MON plug-in against the virtual target kx6500-sim:
// start and end of debugging, a silent target, a missing port, start/end cycles on a
// line with injected faults, and the link's retries and resynchronisations against the
// simulator's monitor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <iostream>
#include <sstream>
#include <thread>

#include "monitor/core/MonitorCommands.h"
#include "monitor/core/MonitorLink.h"
#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"
#include "tests/host/HostProcess.h"
#include "tests/support/SimProcess.h"

namespace fs = std::filesystem;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
using tessary::testing::SimProcess;

namespace {

const std::string kConnectFailed = "KX6500 Debugger Notification: Cannot connect to target!";
const std::string kNoPort = "KX6500 Debugger Notification: The selected COM port is not available!";
const std::map<std::string, std::string> kNoFlashFile{{"LPTLINK_SIM_FLASH", ""}};

class SimHost : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_simhost_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        env["TESSARY_TRACE_DIR"] = dir.string();
        for (int n = 2; n <= 8; ++n) env["KX6500MON_COM" + std::to_string(n)] = "";
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Trace() const {
        std::ifstream in(dir / "kx6500mon.dmp");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    struct Run {
        int status;
        std::string out, err;
    };
    Run Host(const std::string& port, const std::string& input) {
        env["KX6500MON_COM1"] = port;
        HostProcess p({HostProgram()}, env);
        p.Write(input);
        const int status = p.Finish();
        return {status, p.out, p.err};
    }

    fs::path dir;
    std::map<std::string, std::string> env;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(SimHost, ConnectsAndEndsCleanlyRunAfterRun) {
    SimProcess sim({}, kNoFlashFile);
    ASSERT_TRUE(sim.Started()) << sim.Err();
    // Past the monitor's 50 ms start-up, so that the first 0x88 finds it in control.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    for (int run = 0; run < 2; ++run) {
        const Run r = Host(sim.PtyPath(), "echo connected\n");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "connected\noptions -S1 -B57600 -O0\n");
        const std::string trace = Trace();
        EXPECT_NE(trace.find("PC->KX6500: 88.00 8f.3e\n"), std::string::npos) << trace;
        EXPECT_NE(trace.find("KX6500->PC: f0.00 0e.ce\n"), std::string::npos) << trace;
        EXPECT_NE(trace.find("KX6500->PC: 55.01 00. "), std::string::npos) << trace;
    }
    EXPECT_EQ(sim.Stop(), 0);
    // The full driver's connect also asks for things the monitor refuses (reply 0xFF); a clean link
    // still has no bad frame.
    EXPECT_NE(sim.Err().find(" 0 bad frames"), std::string::npos) << sim.Err();
}

TEST_F(SimHost, ASilentTargetAndAMissingPortEndWithTheirMessagesAndStatus3) {
    SimProcess silent({"--no-monitor"}, kNoFlashFile);
    ASSERT_TRUE(silent.Started());
    Run r = Host(silent.PtyPath(), "echo not run\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(kConnectFailed), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("not run"), std::string::npos);
    EXPECT_NE(Trace().find("PC->KX6500: HARD RESET"), std::string::npos);

    // A simulator that has ended leaves no pseudo-terminal behind.
    const std::string gone = silent.PtyPath();
    EXPECT_EQ(silent.Stop(), 0);
    r = Host(gone, "echo not run\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(kNoPort), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("not run"), std::string::npos);
}

// 1 % of the bytes each way dropped or flipped: every start either connects and ends
// with exit 0, or fails with the connect message and exit 3; nothing hangs or lies.
TEST_F(SimHost, TwentyStartEndCyclesUnderOnePercentByteFaults) {
    SimProcess sim({"--link-faults", "drop=0.5,flip=0.5", "--seed", "3"}, kNoFlashFile);
    ASSERT_TRUE(sim.Started());
    int connected = 0, recovered = 0;
    for (int cycle = 0; cycle < 20; ++cycle) {
        const Run r = Host(sim.PtyPath(), "echo cycle\n");
        if (r.status == 0) {
            ++connected;
            EXPECT_EQ(r.out, "cycle\noptions -S1 -B57600 -O0\n") << cycle;
        } else {
            EXPECT_EQ(r.status, 3) << cycle << ": " << r.err;
            EXPECT_NE(r.err.find(kConnectFailed), std::string::npos) << cycle << ": " << r.err;
            EXPECT_EQ(r.out.find("cycle"), std::string::npos);
        }
        // A connect that met a fault went through the hard reset and tried again.
        recovered += Trace().find("HARD RESET") != std::string::npos;
    }
    EXPECT_GE(connected, 15);
    EXPECT_EQ(sim.Stop(), 0);
    const std::size_t faults = sim.Err().find(" faults injected");
    ASSERT_NE(faults, std::string::npos) << sim.Err();
    const std::size_t number = sim.Err().rfind(", ", faults);
    ASSERT_NE(number, std::string::npos);
    EXPECT_GT(std::stoi(sim.Err().substr(number + 2, faults - number - 2)), 0) << sim.Err();
    std::cout << "connected " << connected << " of 20, " << recovered << " with a hard reset; " << sim.Err();
}

namespace {

class TextTrace : public kx6500mon::TraceOutput {
public:
    void Write(const std::string& line) override { text += line; }
    std::string text;
};

class NoOne : public kx6500mon::Notifier {
public:
    bool Show(const tessary::UserMessage&, kx6500mon::Buttons) override { return false; }
    void Beep(int, int) override {}
};

}  // namespace

// The driver's link on the simulator's line with 1 % faults: reads come back right or
// fail, and the trace shows the resynchronisations that mended the rest.
TEST_F(SimHost, TheLinkResynchronisesOnTheFaultyLineAndReadsStayRight) {
    SimProcess sim({"--link-faults", "drop=0.5,flip=0.5", "--seed", "5"}, kNoFlashFile);
    ASSERT_TRUE(sim.Started());
    setenv("KX6500MON_COM1", sim.PtyPath().c_str(), 1);
    kx6500mon::TermiosPort port;
    kx6500mon::SystemClock clock;
    TextTrace out;
    kx6500mon::MonitorTrace trace(out, clock);
    NoOne notifier;
    kx6500mon::MonitorLink link(port, clock, notifier, trace);
    kx6500mon::MonitorCommands commands(link);
    ASSERT_TRUE(link.Open(1, 57600));
    for (int attempt = 0; attempt < 5 && !link.Connect(); ++attempt) link.SetFailed(false);
    ASSERT_FALSE(link.Failed());

    std::uint8_t pattern[32];
    for (int i = 0; i < 32; ++i) pattern[i] = static_cast<std::uint8_t>(i * 29 + 3);
    while (!commands.Write(0xCC, 0x0400, pattern)) link.SetFailed(false);
    int good = 0, failed = 0;
    for (int i = 0; i < 200; ++i) {
        link.SetFailed(false);
        std::uint8_t bytes[32] = {};
        if (!commands.ReadXdata(0x0400, sizeof bytes, bytes)) {
            ++failed;
            continue;
        }
        ++good;
        EXPECT_EQ(std::memcmp(bytes, pattern, sizeof bytes), 0) << i;
    }
    link.Close();
    EXPECT_GE(good, 190);
    EXPECT_GT(link.Stats().resends, 0);
    EXPECT_GT(Count(out.text, "PC->KX6500: RESYNC STRING SENT"), 0u) << out.text.substr(0, 2000);
    EXPECT_GT(Count(out.text, "PC->KX6500: RESYNC OK"), 0u);
    EXPECT_EQ(sim.Stop(), 0);
    std::cout << good << " reads good, " << failed << " failed, " << link.Stats().resends << " resent, "
              << link.Stats().resyncs << " resynchronisations; " << sim.Err();
}

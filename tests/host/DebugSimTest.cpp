// kx6500-debug with the real KX6500MON plug-in against kx6500-sim: the virtual chip
// with its debug monitor on a pseudo-terminal, its flash kept in a file.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/host/HostProcess.h"
#include "tests/support/SimProcess.h"

namespace fs = std::filesystem;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
using tessary::testing::SimProcess;
using Strings = std::vector<std::string>;

namespace {

Strings Lines(const std::string& text) {
    Strings lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The loop the tests debug, at 0x0100:
//   0100 04      INC A
//   0101 05 30   INC 30h
//   0103 80 FB   SJMP 0100
constexpr const char* kLoad = "mem write c:0100 04 05 30 80 FB\nmem write d:30 0\nreg set A 0\nreg set PC 100\n";

class DebugSim : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_debugsim_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        sim = std::make_unique<SimProcess>(Strings{"--flash", (dir / "flash.bin").string(), "--quiet"});
        ASSERT_TRUE(sim->Started()) << sim->Err();
        env["KX6500MON_COM1"] = sim->PtyPath();
        for (int n = 2; n <= 8; ++n) env["KX6500MON_COM" + std::to_string(n)] = "";
        env["TESSARY_TRACE_DIR"] = dir.string();
    }
    void TearDown() override {
        sim.reset();
        fs::remove_all(dir);
    }
    struct Run {
        int status;
        std::string out, err;
    };
    Run Host(const std::string& input) {
        HostProcess p({HostProgram(), "--options", "-S1 -B57600 -O0"}, env);
        p.Write(input);
        const int status = p.Finish();
        return {status, p.out, p.err};
    }
    // The flash as the simulator keeps it, once it has ended.
    std::vector<std::uint8_t> FlashAfterStop() {
        EXPECT_EQ(sim->Stop(), 0) << sim->Err();
        std::ifstream in(dir / "flash.bin", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::unique_ptr<SimProcess> sim;
    std::map<std::string, std::string> env;
};

}  // namespace

TEST_F(DebugSim, BreakpointRunStepAndTheFlashRestoredAtTheEnd) {
    const Run r = Host(std::string(kLoad) +
                       "break 101\n"
                       "go\nreg\nmem read c:0101 1\n"          // at the breakpoint, rewound; the opcode shown
                       "step\nmem read d:30 1\nreg\n"          // off it through the replacement registers
                       "go\nmem read d:30 1\n"                 // round the loop to it again
                       "unbreak 101\ngo 103\nmem read d:30 1\n"  // to a stop address
                       "go max 300\n"                          // stopped on request
                       "break 101\ngo\n");                     // left in the flash for the end to remove
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    const Strings lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 13u) << r.out << r.err;
    EXPECT_EQ(lines[0], "stopped at 0101");
    EXPECT_EQ(lines[1].substr(0, 12), "PC=0101 A=01") << lines[1];
    EXPECT_EQ(lines[2], "C:0101 05");  // the flash holds 0xA5 there
    EXPECT_EQ(lines[3], "stopped at 0103");
    EXPECT_EQ(lines[4], "D:0030 01");  // INC 30h ran in place of the breakpoint
    EXPECT_EQ(lines[5].substr(0, 12), "PC=0103 A=01") << lines[5];
    EXPECT_EQ(lines[6], "stopped at 0101");
    EXPECT_EQ(lines[7], "D:0030 01");
    EXPECT_EQ(lines[8], "stopped at 0103");
    EXPECT_EQ(lines[9], "D:0030 02");
    EXPECT_EQ(lines[10].substr(0, 13), "stopped at 01") << lines[10];
    EXPECT_EQ(lines[11], "stopped at 0101");
    EXPECT_EQ(lines[12], "options -S1 -B57600 -O0");

    const auto flash = FlashAfterStop();
    ASSERT_EQ(flash.size(), 0x8000u);
    EXPECT_EQ(std::vector<std::uint8_t>(flash.begin() + 0x100, flash.begin() + 0x105),
              (std::vector<std::uint8_t>{0x04, 0x05, 0x30, 0x80, 0xFB}));
}

TEST_F(DebugSim, ARunStoppedByCtrlC) {
    HostProcess p({HostProgram()}, env);
    p.Write(std::string(kLoad) + "go\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    p.Signal(SIGINT);
    const auto line = p.ReadLine(10000);
    ASSERT_TRUE(line) << p.err;
    EXPECT_EQ(line->substr(0, 13), "stopped at 01");
    p.Write("mem read d:30 1\n");
    const auto count = p.ReadLine(5000);
    ASSERT_TRUE(count);
    EXPECT_NE(*count, "D:0030 00");  // the loop ran
    EXPECT_EQ(p.Finish(), 0) << p.err;
}

TEST_F(DebugSim, AResetOfTheTargetWhileRunningEndsDebugging) {
    HostProcess p({HostProgram()}, env);
    p.Write(std::string(kLoad) + "go max 5000\necho not run\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim->Signal(SIGUSR1);
    const int status = p.Finish();
    EXPECT_EQ(status, 3) << p.out << p.err;
    EXPECT_NE(p.err.find("KX6500 Debugger Notification: Communication failure!"), std::string::npos) << p.err;
    EXPECT_EQ(p.out.find("not run"), std::string::npos) << p.out;
}

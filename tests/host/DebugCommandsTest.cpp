// kx6500-debug's debugging commands through the real plug-in, against the fake monitor
// on a pseudo-terminal running a small program.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "tests/host/DebugHostFixture.h"

using kx6500mon::testing::FakeMonitor;
using kxdebug::testing::DebugHost;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A loop at 0x0100: INC A; SJMP 0x0100. Stopped at 0x0100 in bank 0.
class DebugCommands : public DebugHost {
protected:
    void SetUp() override {
        DebugHost::SetUp();
        peer.With([](FakeMonitor& m) {
            m.code[0x100] = 0x04;
            m.code[0x101] = 0x80;
            m.code[0x102] = 0xFD;
            for (int i = 0; i < 22; ++i) m.Saved(i) = 0;
            m.SetPc(0x0100);
            m.Saved(6) = 0x07;  // SP
            m.Saved(1) = 0x00;  // PSW
            m.sfr[0x86] = 0x00;
        });
    }
};

}  // namespace

TEST_F(DebugCommands, MemoryIsReadInLinesOfSixteenAndWritten) {
    peer.With([](FakeMonitor& m) {
        for (int i = 0; i < 22; ++i) m.Saved(i) = 0x77;
    });
    const Run r = Host("mem read x:07DC 0x14\nmem write x:10 1 2 ff\nmem read X:0x10 3\nmem read i:7E 2\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    const auto x = [&](int a) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", peer.With([a](FakeMonitor& m) { return m.xdata[a]; }));
        return std::string(b);
    };
    // The save area from 0x07E0 reads zeros.
    EXPECT_EQ(lines[0], "X:07DC " + x(0x7DC) + " " + x(0x7DD) + " " + x(0x7DE) + " " + x(0x7DF) +
                            " 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(lines[1], "X:07EC 00 00 00 00");
    EXPECT_EQ(lines[2], "X:0010 01 02 FF");
    EXPECT_EQ(lines[3].substr(0, 6), "I:007E");
}

TEST_F(DebugCommands, FailedMemoryAccessesSayWhatFailed) {
    const Run r = Host("mem read x:0800 1\nmem write c:7600 0\nmem read q:0 1\nmem read d:F0 0x20\nmem write x:0 100\n");
    EXPECT_EQ(r.status, 2);
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "error: mem read: result 2 (read error) at X:0800");
    EXPECT_EQ(lines[1], "error: mem write: result 5 (write error) at C:7600");
    EXPECT_EQ(lines[2], "error: 'q:0': unknown space 'q' (c, x, d or i)");
    EXPECT_EQ(lines[3], "error: '0x20': the length must be 1 to 16");
    EXPECT_EQ(lines[4], "error: '100' is not a byte (hexadecimal 00 to FF)");
}

TEST_F(DebugCommands, RegistersAreShownAndSet) {
    peer.With([](FakeMonitor& m) {
        m.Saved(0) = 0x12;
        m.Saved(1) = 0x08;  // bank 1
        m.Saved(2) = 0x34;
        m.Saved(3) = 0x56;
        for (int r = 0; r < 8; ++r) m.Saved(7 + r) = static_cast<std::uint8_t>(0xA0 + r);
        m.sfr[0xF0] = 0x9B;
    });
    const Run r = Host("reg\nreg set R3 5A\nreg set pc 7648\nreg set DPTR BEEF\nreg\nreg set R9 1\nreg set A 100\n");
    EXPECT_EQ(r.status, 2);
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "PC=0100 A=12 B=9B PSW=08 SP=07 DPTR=5634 R0=A0 R1=A1 R2=A2 R3=A3 R4=A4 R5=A5 R6=A6 R7=A7");
    EXPECT_EQ(lines[1], "PC=0000 A=12 B=9B PSW=08 SP=07 DPTR=BEEF R0=A0 R1=A1 R2=A2 R3=5A R4=A4 R5=A5 R6=A6 R7=A7");
    EXPECT_EQ(lines[2], "error: 'R9' is not a register (R0-R7, A, DPTR, PC)");
    EXPECT_EQ(lines[3], "error: '100': the value must be hexadecimal up to FF");
    peer.With([](FakeMonitor& m) {
        EXPECT_EQ(m.Saved(10), 0x5A);  // R3 of bank 1, in the save area
        EXPECT_EQ(m.Pc(), 0x0036);
    });
}

TEST_F(DebugCommands, TheRegisterPageShowsEveryRowAndMarksChanges) {
    const Run r = Host("regs\nstep\nregs\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 176u * 2 + 1 + 1) << r.out;
    EXPECT_EQ(lines[0], "Registers");
    EXPECT_EQ(lines[1], "  R0 0x00");
    EXPECT_EQ(lines[16], "  PC  $ 0x0100");
    EXPECT_EQ(lines[18], "    p 0       ");
    EXPECT_EQ(lines[176], "stopped at 0101");
    EXPECT_EQ(lines[177 + 16], "  PC  $ 0x0101 *");
    EXPECT_EQ(lines[177 + 9], "  ACC (0xE0) 0x01 *");  // INC A ran
    EXPECT_EQ(lines[177 + 1], "  R0 0x00");
}

TEST_F(DebugCommands, BreakpointsPassCountsRunsAndSteps) {
    const Run r = Host(
        "break 101 pass 1\nbreaks\ngo\nbreaks\nstep\nunbreak 101\nbreaks\ngo 101\ngo max 100\nunbreak 101\n");
    EXPECT_EQ(r.status, 2) << r.err;  // the last unbreak has nothing to remove
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"0101 enabled pass 1", "stopped at 0101", "0101 enabled pass 0",
                                                      "stopped at 0100", "stopped at 0101",
                                                      Lines(r.out).at(5), "error: no breakpoint at 101",
                                                      "options -S1 -B57600 -O0"}));
    EXPECT_EQ(Lines(r.out).at(5).substr(0, 13), "stopped at 01");
    // The flash has its opcode back.
    EXPECT_EQ(peer.With([](FakeMonitor& m) { return m.code[0x101]; }), 0x80);
    EXPECT_EQ(peer.With([](FakeMonitor& m) { return m.Saved(0); }) > 2, true);
}

TEST_F(DebugCommands, RefusedBreakpointsAndBreakpointCommands) {
    const Run r = Host("break 7600\nbreak 101 do echo hit\ngo max 300\n");
    EXPECT_EQ(r.status, 2);
    const auto lines = Lines(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0],
              "Breakpoint at 0x7600 refused: breakpoints go into the program's flash (0x0000 to 0x75FF) outside the "
              "monitor's vector bytes.");
    EXPECT_EQ(lines[1], "error: the monitor refused a breakpoint at 7600");
    EXPECT_EQ(lines[2], "hit");
    EXPECT_EQ(lines[lines.size() - 2].substr(0, 13), "stopped at 01");
}

TEST_F(DebugCommands, CtrlCStopsARun) {
    HostProcess p({HostProgram()}, env);
    p.Write("go\n");
    // Give the run time to begin; a stop asked for before it began is asked again.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    p.Signal(SIGINT);
    const auto line = p.ReadLine(10000);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->substr(0, 13), "stopped at 01");
    p.Write("echo still here\n");
    EXPECT_EQ(p.ReadLine(5000), "still here");
    EXPECT_EQ(p.Finish(), 0);
}

TEST_F(DebugCommands, InvalidateMakesTheNextReadAskTheTarget) {
    auto reads = [&] {
        return peer.With([](FakeMonitor& m) {
            int n = 0;
            for (const auto& f : m.requests) n += f.code == 0x11 && f.data.at(2) == 4;
            return n;
        });
    };
    const Run r = Host("mem read x:20 4\nmem read x:20 4\ninvalidate\nmem read x:20 4\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(reads(), 2);
}

TEST_F(DebugCommands, ACommunicationFailureWhileRunningEndsDebugging) {
    HostProcess p({HostProgram()}, env);
    p.Write("go max 500\necho not run\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    peer.With([](FakeMonitor& m) { m.silent = true; });
    const int status = p.Finish();
    EXPECT_EQ(status, 3);
    EXPECT_NE(p.err.find("KX6500 Debugger Notification: Communication failure! Please make sure that:"),
              std::string::npos)
        << p.err;
    EXPECT_NE(p.err.find("the monitor driver ended debugging"), std::string::npos);
    EXPECT_EQ(p.out.find("not run"), std::string::npos);
}

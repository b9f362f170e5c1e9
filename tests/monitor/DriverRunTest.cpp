// Stepping and running through the monitor's handshakes, with the fake monitor running
// a small program.
#include <gtest/gtest.h>

#include "tests/monitor/DriverRig.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

constexpr std::uint32_t X(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_XDATA, offset); }
constexpr std::uint32_t C(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_CODE, offset); }

// NOPs from 0x0100; a loop 0x0180: INC A, SJMP 0x0180. Stopped at 0x0100.
struct RunRig : DriverRig {
    explicit RunRig(const char* optionText = "-S1 -O0") {
        std::snprintf(options, sizeof options, "%s", optionText);
        Start();
        std::fill(monitor.code.begin() + 0x100, monitor.code.begin() + 0x180, 0x00);
        monitor.code[0x180] = 0x04;
        monitor.code[0x181] = 0x80;
        monitor.code[0x182] = 0xFD;
        monitor.SetPc(0x0100);
        for (int i = 18; i <= 20; ++i) monitor.Saved(i) = 0;
    }
    void Step(std::uint32_t n = 1) { driver.GoStep(AG_GO_STEP, n, 0); }
    void Run() { driver.GoStep(AG_GO_RUN, 0, 0); }
    void RunTo(std::uint16_t address) { driver.GoStep(AG_GO_UNTIL, 0, C(address)); }
    // Asks for a stop once the program has run for ms of virtual time.
    void StopAfter(std::uint64_t ms) {
        const std::uint64_t at = clock.now + ms;
        clock.onSleep = [this, at] {
            if (clock.now >= at) driver.RequestStop();
        };
    }
    std::vector<std::uint8_t> SaveAreaWrites(int offset) const {
        std::vector<std::uint8_t> data;
        const auto& r = monitor.requests;
        for (std::size_t i = 0; i + 1 < r.size(); ++i)
            if (r[i].code == cmd::kWriteHeader && r[i].data.at(2) == 0xE0 + offset) {
                data.insert(data.end(), r[i + 1].data.begin(), r[i + 1].data.end());
            }
        return data;
    }
};

}  // namespace

TEST(DriverRun, AStepGoesThroughItsHandshakeAndTheCachesFollow) {
    RunRig rig;
    rig.Read(X(0x10), 1);
    rig.Read(C(0x10), 1);
    rig.Step();
    EXPECT_EQ(rig.pc, 0x101u);
    EXPECT_EQ(rig.monitor.Pc(), 0x101);
    EXPECT_EQ(rig.Requests(cmd::kStep), 1);
    EXPECT_EQ(rig.Requests(cmd::kEndStep), 1);
    EXPECT_EQ(rig.Attr(X(0x10)) & HOST_ATTR_CACHED, 0);
    EXPECT_NE(rig.Attr(C(0x10)) & HOST_ATTR_CACHED, 0);  // the code cache stays without option bit 0
    EXPECT_FALSE(rig.driver.Running());

    RunRig clearing("-S1 -O1");
    clearing.Read(C(0x10), 1);
    clearing.Step();
    EXPECT_EQ(clearing.Attr(C(0x10)) & HOST_ATTR_CACHED, 0);
}

TEST(DriverRun, AStepWaitsForTheSecondStatusAndClearsPendingFlags) {
    RunRig rig;
    rig.monitor.stepStatuses = {0x02, 0x02};  // not busy at once: one more status follows
    rig.monitor.endStepStatus = 0x01;
    rig.monitor.sfr[0xE7] = 0x5F;
    rig.Step();
    EXPECT_EQ(rig.pc, 0x101u);
    EXPECT_EQ(rig.monitor.sfr[0xE7], 0x50);
    EXPECT_FALSE(rig.driver.Link().Failed());
}

TEST(DriverRun, StepsShowProgressFromTheTenthStep) {
    RunRig rig;
    std::fill(rig.monitor.code.begin() + 0x100, rig.monitor.code.begin() + 0x500, 0x00);
    rig.Step(1000);
    EXPECT_EQ(rig.pc, 0x100u + 1000u);
    std::vector<std::uint32_t> limits;
    for (const HostProgress& p : rig.log->progress)
        if (p.job == HOST_PROGRESS_START) limits.push_back(p.limit);
    EXPECT_EQ(limits, (std::vector<std::uint32_t>{100, 200, 400, 800, 1600}));
    EXPECT_EQ(rig.log->progressTexts.front(), "Multiple single-steps (1000)");
    EXPECT_EQ(rig.log->progress.front().job, HOST_PROGRESS_START);
    EXPECT_EQ(rig.log->progress[1].position, 10u);
    EXPECT_EQ(rig.log->progress.back().job, HOST_PROGRESS_STOP);

    RunRig few;
    few.Step(9);
    EXPECT_TRUE(few.log->progress.empty());
}

TEST(DriverRun, ARunStopsAtABreakpointRewoundAndStepsOffThroughTheReplacementRegisters) {
    RunRig rig;
    rig.monitor.code[0x120] = 0x04;  // INC A
    rig.monitor.Saved(0) = 7;
    rig.AddBreakpoint(0x120);
    rig.Run();
    EXPECT_EQ(rig.pc, 0x120u);
    EXPECT_EQ(rig.monitor.Pc(), 0x120);  // the monitor saved 0x121: rewound
    EXPECT_EQ(rig.Requests(cmd::kPrepareRun), 1);
    EXPECT_EQ(rig.Requests(cmd::kRun), 1);

    rig.Clear();
    rig.Step();
    EXPECT_EQ(rig.pc, 0x121u);
    EXPECT_EQ(rig.monitor.Saved(0), 8);  // the kept INC A ran in place of the 0xA5
    // RDATA, RADRL, RADRH: the opcode and the address, then back as they were.
    EXPECT_EQ(rig.SaveAreaWrites(18), (std::vector<std::uint8_t>{0x04, 0x20, 0x01, 0, 0, 0}));
}

TEST(DriverRun, ARunOnABreakpointStepsOffItFirst) {
    RunRig rig;
    rig.AddBreakpoint(0x120);
    rig.Run();
    rig.Clear();
    rig.StopAfter(100);
    rig.Run();  // on to the loop at 0x0180, stopped there
    EXPECT_EQ(rig.Requests(cmd::kStep), 1);
    EXPECT_EQ(rig.RequestsOf(cmd::kStep).size(), 1u);
    EXPECT_GE(rig.pc, 0x180u);
    EXPECT_EQ(rig.monitor.code[0x120], kBreakOpcode);  // still set for the next run
}

TEST(DriverRun, ARunToAnAddressUsesATemporaryBreakpoint) {
    RunRig rig;
    rig.RunTo(0x140);
    EXPECT_EQ(rig.pc, 0x140u);
    EXPECT_EQ(rig.Requests(cmd::kProgramPage), 0);  // nothing in the flash
    EXPECT_EQ(rig.SaveAreaWrites(18), (std::vector<std::uint8_t>{0xA5, 0x40, 0x01, 0, 0, 0}));
}

TEST(DriverRun, ARunStopsOnRequestWithoutRewinding) {
    RunRig rig;
    rig.monitor.SetPc(0x180);
    rig.StopAfter(200);
    rig.Run();
    EXPECT_EQ(rig.monitor.Pc() & 0xFFFE, 0x180);  // in the loop, not moved back
    EXPECT_EQ(rig.pc, rig.monitor.Pc());
    EXPECT_GE(rig.Requests(cmd::kStatusPoll), 1);
    EXPECT_FALSE(rig.driver.Link().Failed());
    EXPECT_FALSE(rig.driver.Running());

    // A program that reached a breakpoint while the stop was asked for is rewound.
    rig.monitor.stoppedStatus = 0x00;
    rig.monitor.SetPc(0x181);
    rig.StopAfter(100);
    rig.Run();
    EXPECT_EQ(rig.pc, 0x180u);
}

TEST(DriverRun, PassCountsAndCommandsLetTheRunGoOn) {
    RunRig rig;
    rig.monitor.SetPc(0x180);
    HostBreakpoint& bp = rig.AddBreakpoint(0x181, HOST_BP_ACTIVE, 3);
    rig.monitor.Saved(0) = 0;
    rig.Run();
    EXPECT_EQ(rig.pc, 0x181u);
    EXPECT_EQ(bp.passCount, 0u);
    EXPECT_EQ(rig.monitor.Saved(0), 4);  // INC A ran four times: three passes and the stop
    EXPECT_EQ(rig.Requests(cmd::kRun), 4);

    int commands = 0;
    bp.command = "echo hit";
    rig.log->onCommand = [&](const char* line) {
        EXPECT_STREQ(line, "echo hit");
        // The command reads the stopped target through the entry points.
        EXPECT_EQ(rig.Read(X(0x10), 1).result, AG_OK);
        if (++commands == 2) bp.command = nullptr;
    };
    rig.Run();
    EXPECT_EQ(commands, 2);
    EXPECT_EQ(rig.pc, 0x181u);
}

TEST(DriverRun, AConditionalBreakpointWarnsOnceAndRunsBySteps) {
    RunRig rig;
    rig.AddBreakpoint(0, HOST_BP_ACTIVE | 1);
    rig.AddBreakpoint(0x105);
    rig.Run();
    EXPECT_EQ(rig.pc, 0x105u);
    EXPECT_EQ(rig.Output(), std::vector<std::string>{
                                "Application does not run in real time because of conditional breakpoint(s)!\n"});
    EXPECT_EQ(rig.Requests(cmd::kStep), 5);
    EXPECT_EQ(rig.Requests(cmd::kRun), 0);
    EXPECT_EQ(rig.Requests(cmd::kProgramPage), 0);
}

TEST(DriverRun, TheRunCommandsOtherAnswers) {
    RunRig rig;
    rig.AddBreakpoint(0x120);
    int runs = 0;
    // First "not started", then the breakpoint reported in place of 0xF0.
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code != cmd::kRun) return std::nullopt;
        const std::uint8_t status[] = {static_cast<std::uint8_t>(++runs == 1 ? 0x02 : 0x00)};
        if (runs == 2) rig.monitor.SetPc(0x121);
        return FakeMonitor::Reply(reply::kStatus, status);
    };
    rig.Run();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(rig.pc, 0x120u);
}

TEST(DriverRun, AMonitorThatFallsSilentWhileRunningEndsDebugging) {
    RunRig rig;
    rig.monitor.SetPc(0x180);
    const std::uint64_t at = rig.clock.now + 100;
    rig.clock.onSleep = [&] {
        if (rig.clock.now < at || rig.driver.Link().Failed()) return;
        rig.monitor.silent = true;
        rig.driver.RequestStop();
    };
    rig.Run();
    EXPECT_TRUE(rig.driver.Link().Failed());
    ASSERT_FALSE(rig.notifier.shown.empty());
    EXPECT_EQ(rig.notifier.shown.back().text.rfind("Communication failure!", 0), 0u);
    EXPECT_TRUE(rig.Posted(HOST_MSG_END_DEBUG));
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.driver.Running());
}

TEST(DriverRun, ATargetResetWhileRunningEndsDebugging) {
    RunRig rig;
    rig.monitor.SetPc(0x180);
    // The run reported stopped, with the program counter a power-on reset leaves.
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code != cmd::kRun) return std::nullopt;
        rig.monitor.SetPc(0x0000);
        const std::uint8_t status[] = {0x00};
        return FakeMonitor::Reply(reply::kStatus, status);
    };
    rig.Run();
    EXPECT_TRUE(rig.driver.Link().Failed());
    ASSERT_FALSE(rig.notifier.shown.empty());
    EXPECT_EQ(rig.notifier.shown.back().text.rfind("Communication failure!", 0), 0u);
    EXPECT_TRUE(rig.Posted(HOST_MSG_END_DEBUG));
}

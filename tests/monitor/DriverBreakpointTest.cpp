// Breakpoints: the host's attribute bits (AG_BreakFunc, AG_BpInfo), the breakpoint
// instructions in the flash, and their removal.
#include <gtest/gtest.h>

#include "tests/monitor/DriverRig.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

constexpr std::uint32_t C(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_CODE, offset); }

// A program of NOPs from 0x0100 to 0x01FF, stopped at 0x0100.
struct BreakRig : DriverRig {
    BreakRig() {
        Start();
        std::fill(monitor.code.begin() + 0x100, monitor.code.begin() + 0x200, 0x00);
        monitor.code[0x150] = 0x74;  // MOV A,#0x3C
        monitor.code[0x151] = 0x3C;
        monitor.SetPc(0x0100);
    }
    void Run() { driver.GoStep(AG_GO_RUN, 0, 0); }
};

}  // namespace

TEST(DriverBreakpoints, BreakFuncKeepsTheAttributeBits) {
    BreakRig rig;
    HostBreakpoint& bp = rig.AddBreakpoint(0x0150);
    rig.Attr(C(0x150)) = HOST_ATTR_CACHED;
    EXPECT_EQ(rig.driver.BreakFunc(kBreakAccept, &bp, bp.address), 1u);
    EXPECT_EQ(rig.driver.BreakFunc(kBreakSet, &bp, bp.address), 1u);
    EXPECT_EQ(rig.Attr(C(0x150)), HOST_ATTR_CACHED | HOST_ATTR_BP_ENABLED);
    bp.flags &= ~HOST_BP_ACTIVE;
    rig.driver.BreakFunc(kBreakChange, &bp, bp.address);
    EXPECT_EQ(rig.Attr(C(0x150)), HOST_ATTR_CACHED | HOST_ATTR_BP_DISABLED);
    rig.driver.BreakFunc(kBreakRemove, &bp, bp.address);
    EXPECT_EQ(rig.Attr(C(0x150)), HOST_ATTR_CACHED);

    HostBreakpoint& conditional = rig.AddBreakpoint(0, HOST_BP_ACTIVE | 2);
    EXPECT_EQ(rig.driver.BreakFunc(kBreakAccept, &conditional, 0), 0u);
    HostBreakpoint& access = rig.AddBreakpoint(0, HOST_BP_ACTIVE | 1);
    EXPECT_EQ(rig.driver.BreakFunc(kBreakAccept, &access, 0), 1u);
    EXPECT_TRUE(rig.monitor.requests.empty());
}

TEST(DriverBreakpoints, OutsideTheUsersFlashAndOnTheMonitorsBytesTheyAreRefused) {
    BreakRig rig;
    for (std::uint32_t address : {0x7600u, 0x764Au, 0xFFFFu, 0x0000u, 0x0034u}) {
        HostBreakpoint& bp = rig.AddBreakpoint(address);
        EXPECT_EQ(rig.driver.BreakFunc(kBreakAccept, &bp, bp.address), 0u) << address;
        EXPECT_EQ(rig.driver.BreakFunc(kBreakSet, &bp, bp.address), 0u);
        EXPECT_EQ(rig.Attr(C(address)), 0) << address;
    }
    ASSERT_EQ(rig.Output().size(), 10u);
    EXPECT_EQ(rig.Output()[0],
              "Breakpoint at 0x7600 refused: breakpoints go into the program's flash (0x0000 to 0x75FF) outside "
              "the monitor's vector bytes.\n");
    // Kept in the host's list anyway, they never reach the monitor's pages.
    rig.monitor.code[0x120] = 0xA5;  // the program stops there by itself
    rig.Run();
    EXPECT_EQ(rig.Requests(cmd::kProgramPage), 0);
    EXPECT_EQ(rig.pc, 0x120u);
}

TEST(DriverBreakpoints, BpInfoAnswersAndChangesTheBits) {
    BreakRig rig;
    HostBreakpoint& a = rig.AddBreakpoint(0x110);
    HostBreakpoint& b = rig.AddBreakpoint(0x120);
    rig.AddBreakpoint(0x130, 0);  // inactive
    rig.AddBreakpoint(0, HOST_BP_ACTIVE | 1);
    for (HostBreakpoint* bp : {&a, &b}) rig.driver.BreakFunc(kBreakSet, bp, bp->address);
    EXPECT_EQ(rig.driver.BpInfo(1, nullptr, C(0x110)), HOST_ATTR_BP_ENABLED);
    EXPECT_EQ(rig.driver.BpInfo(7, nullptr, C(0x111)), 0u);
    EXPECT_EQ(rig.driver.BpInfo(1, nullptr, HOST_ADDRESS(0x77, 0)), HOST_ATTR_NONE);

    EXPECT_EQ(rig.driver.BpInfo(5, nullptr, 0), 2u);  // the active execution breakpoints
    EXPECT_EQ(rig.Attr(C(0x110)), HOST_ATTR_BP_DISABLED);
    EXPECT_EQ(rig.driver.BpInfo(8, nullptr, C(0x110)), 0u);
    EXPECT_EQ(rig.Attr(C(0x110)), HOST_ATTR_BP_ENABLED);
    rig.driver.BpInfo(9, nullptr, C(0x110));
    EXPECT_EQ(rig.Attr(C(0x110)), HOST_ATTR_BP_DISABLED);
    rig.driver.BpInfo(11, nullptr, C(0x140));
    EXPECT_EQ(rig.Attr(C(0x140)), HOST_ATTR_BP_ENABLED);
    rig.driver.BpInfo(10, nullptr, C(0x140));
    EXPECT_EQ(rig.Attr(C(0x140)), 0);
    EXPECT_EQ(rig.driver.BpInfo(6, nullptr, 0), 3u);  // every execution breakpoint
    EXPECT_EQ(rig.Attr(C(0x120)), 0);

    rig.driver.Link().SetFailed(true);
    EXPECT_EQ(rig.driver.BpInfo(1, nullptr, HOST_ADDRESS(0x77, 0)), 0u);
    EXPECT_EQ(rig.driver.BreakFunc(kBreakAccept, &a, a.address), 0u);
}

TEST(DriverBreakpoints, TheFlashHoldsThemWhileRunningAndCodeReadsShowTheOpcode) {
    BreakRig rig;
    rig.AddBreakpoint(0x150);
    rig.Run();
    EXPECT_EQ(rig.pc, 0x150u);
    EXPECT_EQ(rig.monitor.code[0x150], kBreakOpcode);
    EXPECT_EQ(rig.monitor.code[0x151], 0x3C);
    EXPECT_EQ(rig.Read(C(0x14F), 3).bytes, (std::vector<std::uint8_t>{0x00, 0x74, 0x3C}));

    // A write there changes the opcode the breakpoint stands for; the flash keeps 0xA5.
    EXPECT_EQ(rig.Write(C(0x150), {0x04}).result, AG_OK);
    EXPECT_EQ(rig.monitor.code[0x150], kBreakOpcode);
    EXPECT_EQ(rig.Read(C(0x150), 1).bytes[0], 0x04);

    // Debugging ends: the flash gets the opcode back.
    rig.driver.Init(AG_INIT_END, nullptr);
    EXPECT_EQ(rig.monitor.code[0x150], 0x04);
    EXPECT_TRUE(rig.notifier.shown.empty());
}

TEST(DriverBreakpoints, BreakpointsThatCannotBeRemovedAreReported) {
    BreakRig rig;
    rig.AddBreakpoint(0x150);
    rig.Run();
    rig.monitor.failPrograms = 100;
    rig.driver.Init(AG_INIT_END, nullptr);
    ASSERT_EQ(rig.notifier.shown.size(), 1u);
    EXPECT_EQ(rig.notifier.shown[0].text,
              "WARNING: Could not remove breakpoints from target! Affected opcodes (if any) are currently replaced "
              "by breakpoint instructions (0xA5). Please reload the application.");
    EXPECT_EQ(rig.notifier.shown[0].caption, "Target Monitor Notification");
}

TEST(DriverBreakpoints, APageTheFlashDoesNotTakeKeepsTheProgramFromRunning) {
    BreakRig rig;
    rig.AddBreakpoint(0x150);
    rig.monitor.failPrograms = 100;
    rig.Run();
    EXPECT_EQ(rig.monitor.pagePrograms, 10);
    EXPECT_EQ(rig.Requests(cmd::kRun), 0);
    EXPECT_EQ(rig.Output().back(), "The breakpoints could not be written to the target's flash; the program was not "
                                   "started.\n");
    EXPECT_FALSE(rig.driver.Breakpoints().InFlash(0x150));
    EXPECT_EQ(rig.pc, 0x100u);
}

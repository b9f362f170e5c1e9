#pragma once
// Single steps and runs of the program under debug, as the monitor's handshakes go:
// 0x80/0x81 around a step, 0x82 and 0x84 around a run, status polls to stop it. A
// breakpoint is an 0xA5 opcode in the flash; the monitor comes back with the program
// counter past it, so a run that stopped there is rewound by one. Stepping off a
// breakpoint and running to an address use the chip's replacement mechanism (RDATA,
// RADRL, RADRH), which executes another opcode in place of the flash's at one address.
//
// The caller holds the link for the whole step or run; the stop request comes from
// another thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "monitor/core/MonitorCommands.h"
#include "monitor/driver/BreakpointMap.h"
#include "monitor/driver/HostBreakpoints.h"
#include "monitor/driver/TargetMemory.h"
#include "monitor/driver/TargetRegisters.h"

namespace kx6500mon {

class RunControl {
public:
    struct Parts {
        MonitorLink& link;
        MonitorCommands& commands;
        TargetMemory& memory;
        TargetRegisters& registers;
        BreakpointMap& map;
        HostBreakpoints& breakpoints;
        const HostLinks& host;
        Clock& clock;
        const std::atomic<bool>& stopRequest;
    };
    // invalidate: the caches after the program has moved; runCommand: a breakpoint's
    // command line for the host (the caller lets go of the link meanwhile).
    RunControl(Parts parts, std::function<void()> invalidate, std::function<void(const char*)> runCommand)
        : p_(parts), invalidate_(std::move(invalidate)), runCommand_(std::move(runCommand)) {}

    // AG_GoStep code 2: count steps, fewer on a stop request or a failed step.
    void Steps(std::uint32_t count);
    // AG_GoStep codes 4 and 3.
    void Run(std::optional<std::uint16_t> stopAddress);
    // One step; false (and the link marked failed) when it failed.
    bool Step();

private:
    enum class Stopped { AtBreakpoint, OnRequest, Failed };
    enum class After { Stop, Continue };

    bool StepHandshake(std::uint8_t& last);
    bool PollUntilReady(int firstByteTimeoutMs);
    bool ApplyBreakpoints();
    bool PrepareRun();
    Stopped Go();
    Stopped WhileRunning();
    bool Finish(bool rewind);
    bool ClearPendingFlags();
    bool LoadReplacement(std::uint8_t opcode, std::uint16_t address);
    void RunByStepping(std::optional<std::uint16_t> stopAddress);
    After AtBreakpoint(std::uint16_t pc);
    bool Fail();

    Parts p_;
    std::function<void()> invalidate_;
    std::function<void(const char*)> runCommand_;
};

}  // namespace kx6500mon

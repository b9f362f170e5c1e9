#pragma once
// The virtual KX6500 target: the chip with its debug monitor on UART1, at the PC's end
// of a serial line. While the program runs the core keeps the chip's pace for its clock
// (12 clocks a machine cycle), in slices with sleeps between; while the monitor is in
// control nothing runs until the PC sends something. The line can take each byte's
// ten bit times at the PC's bit rate, garbles every byte when the PC's rate and the
// monitor's disagree, and injects faults.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sim/chip/KX6500Chip.h"
#include "sim/monitor/DebugMonitor.h"
#include "sim/target/LinkFaults.h"
#include "sim/target/SerialLine.h"
#include "sim/target/TargetLine.h"

namespace sim {

struct TargetOptions {
    double clockMHz = 14.7456;
    bool wireTime = false;  // each byte takes its time on the line at the PC's bit rate
    bool monitor = true;    // false: the chip answers nothing
    FaultRates faults;
    std::uint64_t seed = 1;
    // Warnings for the operator (a PC at the wrong bit rate).
    std::function<void(const std::string&)> notice;
};

class VirtualTarget {
public:
    // The core's slice while the program runs, and how far it may fall behind the clock
    // before the lost time is given up (a busy machine must not make it race).
    static constexpr std::uint64_t kSliceUs = 1000;
    static constexpr std::uint64_t kMaxLagUs = 20000;

    VirtualTarget(KX6500Chip& chip, TargetLine& line, TargetOptions options);
    // Powers the chip on and serves until the line reports quit.
    void Serve();
    // One pass: events, the PC's bytes, the program, the monitor's bytes, then a wait
    // for the next thing to do. False once quit was reported.
    bool Turn();
    // Powers the chip on (Serve does it first).
    void PowerOn();

    const monitor::DebugMonitor* Monitor() const { return monitor_.get(); }
    const FaultCounts& FaultsToTarget() const { return toTarget_.Counts(); }
    const FaultCounts& FaultsToHost() const { return toHost_.Counts(); }
    // "N frames served (R refused), B bad frames (C bad CRC, I incomplete), F faults
    // injected (D dropped, X flipped, S inserted)".
    std::string Summary() const;

private:
    void TakeInput(std::uint64_t now, int hostRate);
    void Deliver(std::uint64_t now);
    void RunProgram(std::uint64_t now, bool takeByte);
    void SendOutput(std::uint64_t now, int hostRate);
    std::uint64_t NextWake(std::uint64_t now) const;
    bool Garbling(int hostRate);

    KX6500Chip& chip_;
    TargetLine& line_;
    TargetOptions options_;
    std::unique_ptr<monitor::DebugMonitor> monitor_;
    LinkFaults toTarget_, toHost_;
    WireQueue inbound_, outbound_;
    bool running_ = false;
    std::uint64_t anchorUs_ = 0, anchorCycle_ = 0;
    bool rateNoticed_ = false;
    // A reply leaves when the request's last byte arrived, not when this process got
    // round to it: the monitor's own time to answer is nothing beside a byte time.
    std::uint64_t replyFromUs_ = 0;
};

}  // namespace sim

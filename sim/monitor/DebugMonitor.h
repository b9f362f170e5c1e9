#pragma once
// The debug monitor of the virtual KX6500, native code entered the way the flash leads
// into it: the program reaching 0x7600 (reset), 0x7657 (through the breakpoint
// interrupt) or 0x764B (through the UART1 interrupt, when the PC sent something while
// the program ran). While it is in control it serves the PC's frames on UART1; while
// the program runs, bytes from the PC wait at the chip's UART1 until the program's
// serial interrupt brings them to the monitor.
//
// Plain C++: the caller feeds the PC's bytes with the time they arrived, runs the
// program up to a cycle mark at the chip's pace, and carries the monitor's bytes to
// the PC.

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/chip/KX6500Chip.h"
#include "sim/monitor/MonitorFrames.h"

namespace sim::monitor {

// Status bytes of reply 0x55.
namespace status {
inline constexpr std::uint8_t kReady = 0x00;
inline constexpr std::uint8_t kStepped = 0x02;
inline constexpr std::uint8_t kStarting = 0x04;  // also the stop report sent unasked
inline constexpr std::uint8_t kStepping = 0x06;
inline constexpr std::uint8_t kStoppedOnRequest = 0x0C;
}  // namespace status

struct MonitorStats {
    std::uint64_t frames = 0;    // good frames, served or refused
    std::uint64_t refused = 0;   // answered 0xFF
    std::uint64_t badCrc = 0;
    std::uint64_t incomplete = 0;
};

class DebugMonitor {
public:
    enum class State { Running, Starting, Ready, Stepped, Prepared };

    DebugMonitor(KX6500Chip& chip, double clockMHz);
    DebugMonitor(const DebugMonitor&) = delete;
    DebugMonitor& operator=(const DebugMonitor&) = delete;
    ~DebugMonitor();

    // A power-on reset of the chip: the program starts at 0x0000, where the boot loader
    // leads into the monitor.
    void PowerOn(std::uint64_t nowUs);
    // A byte from the PC arrives at UART1.
    void Receive(std::uint8_t byte, std::uint64_t nowUs);
    // While the program runs: executes it up to the cycle mark, or until it enters the
    // monitor.
    void Run(std::uint64_t untilCycle, std::uint64_t nowUs);
    bool ProgramRunning() const { return state_ == State::Running; }
    State CurrentState() const { return state_; }
    // What went out on UART1 (the monitor's replies, and whatever the program sent).
    std::vector<std::uint8_t> TakeTransmitted();
    // The bit rate the monitor set up from the reload byte at 0x0039 and the clock when
    // it last started; 0 before it ever started.
    int BitRate() const { return bitRate_; }
    MonitorStats Stats() const;

private:
    struct WriteHeader {
        std::uint8_t space;
        int address, count;
    };
    using Reply = std::optional<MonitorFrame>;
    struct Command {
        std::uint8_t code;
        int length;  // -1: any
        Reply (DebugMonitor::*serve)(const MonitorFrame&);
    };
    static const Command kCommands[];

    enum class TakeOverResult {
        NotAnEntry,
        HandedBack,  // the serial entry with nothing received: the program goes on
        Started,     // the reset entry after a power-on
        Stopped,     // a breakpoint, or the reset entry reached by a jump
        Requested,   // the PC sent something
    };
    TakeOverResult TakeOver(std::uint16_t pc, std::uint64_t nowUs);
    void StartUp(bool powerOn, std::uint64_t nowUs);
    void HandBack();
    void TakeHandedOver(std::uint64_t nowUs);
    void Resume(bool forStep);
    void Send(std::uint8_t code, std::span<const std::uint8_t> data);
    void SendStatus(std::uint8_t value);
    void Serve(const MonitorFrame& frame, std::uint64_t nowUs);
    std::uint8_t PollStatus(std::uint64_t nowUs);
    std::uint64_t MonitorMs(int ms) const;

    Reply Read(const MonitorFrame& request);  // 0x10, 0x11, 0x12, 0x14
    Reply RegisterBuffer(const MonitorFrame& request);
    Reply PageCrc(const MonitorFrame& request);
    Reply Header(const MonitorFrame& request);
    Reply Data(const MonitorFrame& request);
    Reply ProgramPage(const MonitorFrame& request);
    Reply LoadPage(const MonitorFrame& request);
    Reply Step(const MonitorFrame& request);
    Reply EndStep(const MonitorFrame& request);
    Reply PrepareRun(const MonitorFrame& request);
    Reply StartRun(const MonitorFrame& request);
    Reply Stop(const MonitorFrame& request);

    KX6500Chip& chip_;
    double clockMHz_;
    State state_ = State::Running;
    bool powerOnPending_ = true;
    bool resumeAsReti_ = false;       // entered through an interrupt vector
    bool stopUnreported_ = false;     // stopped by a byte from the PC; the next poll says so
    std::uint64_t readyAtUs_ = 0;     // end of the start-up after a power-on
    double usPerMonitorMs_ = 1000;
    int bitRate_ = 0;
    std::optional<WriteHeader> header_;
    FrameReceiver receiver_;
    std::vector<std::uint8_t> transmitted_;
    std::vector<std::uint8_t> handedOver_;  // received while the program ran
    MonitorStats stats_;
};

}  // namespace sim::monitor

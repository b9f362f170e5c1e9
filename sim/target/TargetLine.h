#pragma once
// The seam between the virtual target and the world: the PC's end of the serial line,
// time, and the operator's signals. The real side is a pseudo-terminal
// (sim/linux/PtyDoor); tests put a scripted line in virtual time in its place.

#include <cstdint>
#include <span>

namespace sim {

class TargetLine {
public:
    struct Events {
        bool powerOn = false;  // power-on reset of the chip
        bool quit = false;
    };
    virtual ~TargetLine() = default;
    virtual std::uint64_t NowUs() = 0;
    // Sleeps until the time (microseconds on NowUs's clock), or less when bytes or an
    // event arrive first.
    virtual void WaitUntil(std::uint64_t us) = 0;
    // Bytes the PC sent since the last call (at most buffer's size).
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    // The bit rate the PC set its end of the line to; 0 when unknown.
    virtual int HostBitRate() = 0;
    virtual Events TakeEvents() = 0;
};

}  // namespace sim

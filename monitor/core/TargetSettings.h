#pragma once
// The driver's settings and the option text the host keeps for them ("-S%d -B%d -O%d").

#include <string>

namespace kx6500mon {

struct TargetSettings {
    int port = 1;      // COM1 to COM8
    int bitRate = 0;   // follows the target clock
    int options = 0;   // bit 0: clear the code cache after run and step

    bool ClearCodeCache() const { return (options & 1) != 0; }
};

// Reads the option text for a target clock. The bit rate is never read back: it always
// follows the clock, whose reload byte the monitor runs its UART with.
TargetSettings ReadOptionText(const std::string& text, double clockHz);
std::string WriteOptionText(const TargetSettings& settings);
// The bit rate the monitor's serial timing gives for a clock.
int BitRateForClock(double clockHz);

}  // namespace kx6500mon

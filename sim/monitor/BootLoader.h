#pragma once
// The debug boot loader as a kit's KX6500 ships with it: the monitor in the top of the
// flash (0x7600 to 0x7FFF) and the vector patch that leads reset, the breakpoint
// interrupt and the serial interrupt into it. The virtual target's monitor is native
// code entered where the flash leads; the flash holds a stand-in image of it.

#include <array>
#include <cstdint>

#include "sim/chip/KX6500Chip.h"

namespace sim::monitor {

// The monitor's entries and the program counter its reset entry saves after a jump.
inline constexpr std::uint16_t kResetEntry = 0x7600;
inline constexpr std::uint16_t kSerialEntry = 0x764B;
inline constexpr std::uint16_t kBreakpointEntry = 0x7657;
inline constexpr std::uint16_t kAfterResetJump = 0x7648;

inline constexpr std::uint16_t kMonitorStart = 0x7600;
inline constexpr int kFirstMonitorPage = kMonitorStart / KX6500Chip::kPageSize;  // 236
inline constexpr int kMonitorSize = KX6500Chip::kFlashSize - kMonitorStart;

// Where the monitor finds its serial timing.
inline constexpr std::uint16_t kReloadByte = 0x0039;
inline constexpr std::uint16_t kClockByte = 0x003A;

using MonitorImage = std::array<std::uint8_t, kMonitorSize>;

// The stand-in bytes at 0x7600 to 0x7FFF. The monitor never writes them.
const MonitorImage& StandInImage();

// The flash holds the monitor: its native code runs only then (an erased chip's 0xFF
// bytes at the entries are just what they are).
bool MonitorInstalled(const KX6500Chip& chip);

// The first flash page with the vector patch for a chip clocked at clockMHz and no
// program of the user's yet (its reset jump at 0x0036 leads back into the monitor).
std::array<std::uint8_t, KX6500Chip::kPageSize> VectorPage(double clockMHz);

// Programs the boot loader into an erased chip.
void InstallBootLoader(KX6500Chip& chip, double clockMHz);

}  // namespace sim::monitor

#pragma once
// What the monitor does with the program's registers while it is in control. On entry
// it writes them into its 22-byte save area in XDATA, pushes four bytes (the return
// address and ACC, PSW) above the program's stack pointer, and then uses the registers
// itself, leaving values of its own in them. On resuming it takes every one of them
// back from the save area: whatever was written to the live registers meanwhile is lost.

#include <array>
#include <cstdint>

#include "sim/chip/KX6500Chip.h"
#include "sim/chip/Sfr.h"

namespace sim::monitor {

inline constexpr std::uint16_t kSaveArea = 0x07E8;  // XDATA 0x07E8 to 0x07FD
inline constexpr int kSaveAreaSize = 22;
inline constexpr int kSavedPcHigh = 4, kSavedPcLow = 5, kSavedR0 = 7;

// The save area's register bytes: offset and register.
struct SavedRegister {
    int offset;
    std::uint8_t sfr;
};
inline constexpr std::array<SavedRegister, 12> kSavedRegisters{{
    {0, sfr::ACC}, {1, sfr::PSW}, {2, sfr::DPL}, {3, sfr::DPH}, {6, sfr::SP}, {15, sfr::TMOD},
    {16, sfr::TL1}, {17, sfr::TH1}, {18, sfr::RDATA}, {19, sfr::RADRL}, {20, sfr::RADRH}, {21, sfr::CKCON},
}};

// How the monitor was entered, which decides where the program counter comes from.
enum class Entry {
    PowerOn,     // the reset entry after a power-on: PC 0x0000
    ResetJump,   // the reset entry reached by a jump: PC 0x7648, the monitor's own call
    Interrupt,   // the breakpoint or serial entry: PC and the hardware's push on the stack
    AfterStep,   // back after one instruction of the program: PC as it stands
};

// The values the monitor leaves in R0 to R7 and ACC while it works.
inline constexpr std::array<std::uint8_t, 8> kMonitorR{0x16, 0x00, 0x07, 0xE8, 0x00, 0x00, 0x01, 0x4D};
inline constexpr std::uint8_t kMonitorAcc = 0x55;

// Saves the program's context and takes the registers over.
void SaveContext(KX6500Chip& chip, Entry entry);

// Gives the program its registers back from the save area and sets the program counter.
void RestoreContext(KX6500Chip& chip);

std::uint16_t SavedPc(const KX6500Chip& chip);

}  // namespace sim::monitor

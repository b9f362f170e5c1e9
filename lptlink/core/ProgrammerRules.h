#pragma once
// The programmer dialog's tables and the rules that need no state: the action buttons,
// the clock and write-protection lists, reading a clock text, the action preset, lock
// bits to and from the controls, and what the stored settings mean.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

inline constexpr int kActionFlashTest = 32;

struct ActionButton {
    int code;           // the transaction's action word, or kActionFlashTest
    const char* label;
    bool lockOptions;   // the lock options apply
    bool fileControls;  // the file edit and "&Browse" apply
};

// In the order the group shows them; index 0 is the default.
std::span<const ActionButton> ActionButtons();
// The button index an action preset selects.
int ActionIndexForPreset(int actionPreset);

// The clock list: frequencies in MHz, shown with "%.4f".
std::span<const float> ClockEntries();
std::string ClockText(float mhz);
// The list entry equal to a clock, or -1.
int ClockEntryFor(float mhz);
// The decimal number at the start of a clock text; nothing without any digits.
std::optional<double> ReadLeadingNumber(std::string_view text);
inline constexpr double kMinClockMHz = 3.0;
inline constexpr double kMaxClockMHz = 24.0;
// A preset or stored clock brought into the list's range (not-a-number counts as the
// lowest clock).
float ClampClock(float mhz);

// "All Memory Unlocked", "Lock Upper 512 Bytes", ... "All Memory Locked".
std::span<const char* const> WriteProtectionEntries();

struct LockControls {
    bool bootBlock = false;    // lock bit 4
    bool readProtect = false;  // lock bit 0
    int writeProtection = 0;   // lock bits 1 to 3
};
LockControls LockControlsFor(int lockBits);
int LockBitsOf(const LockControls& controls);

// What the dialog opens with when the caller gives no preset.
struct StoredDefaults {
    std::string hexFile;
    int port = 1;  // before it is brought into the port list's range
    float clockMHz = 14.7456f;
};
StoredDefaults ResolveStoredSettings(const StoredProgrammerSettings& stored);
// The stored form of a clock: the IEEE-754 single, little-endian.
std::array<std::uint8_t, 4> ClockBytes(float mhz);
std::optional<float> ClockFromBytes(const std::vector<std::uint8_t>& bytes);

}  // namespace lptlink

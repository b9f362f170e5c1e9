#include "lptlink/core/ProgrammerRules.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace lptlink {

namespace {

constexpr ActionButton kActionButtons[] = {
    {SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, "Erase, &Program && Verify", true, true},
    {SPI_ACTION_PROGRAM, "Erase && Progra&m", true, true},
    {SPI_ACTION_VERIFY, "&Verify Device against HEX File", false, true},
    {SPI_ACTION_READ, "&Read Program Memory from Device and Write to HEX File", false, true},
    {kActionFlashTest, "Perform Flash Memory &Test", false, false},
};

// Preset value and the button it selects; any other value selects the first button.
constexpr std::pair<int, int> kActionPresets[] = {{2, 1}, {3, 2}, {4, 3}};

constexpr float kClockEntries[] = {3.0f,  3.6864f,  4.0f,  7.3728f,  8.0f,    11.0592f, 12.0f,
                                   14.7456f, 16.0f, 18.432f, 20.0f, 22.1184f, 24.0f};

constexpr const char* kWriteProtection[] = {
    "All Memory Unlocked",    "Lock Upper 512 Bytes",  "Lock Upper 1024 Bytes",  "Lock Upper 2048 Bytes",
    "Lock Upper 4096 Bytes",  "Lock Upper 8192 Bytes", "Lock Upper 16384 Bytes", "All Memory Locked",
};

}  // namespace

std::span<const ActionButton> ActionButtons() { return kActionButtons; }

int ActionIndexForPreset(int actionPreset) {
    for (const auto& [preset, index] : kActionPresets)
        if (preset == actionPreset) return index;
    return 0;
}

std::span<const float> ClockEntries() { return kClockEntries; }

std::string ClockText(float mhz) {
    // "%.4f" in the C locale whatever the program's locale is (Qt sets it from the
    // environment): a decimal comma would not read back as the same clock.
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<double>(mhz), std::chars_format::fixed, 4);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

int ClockEntryFor(float mhz) {
    for (std::size_t i = 0; i < std::size(kClockEntries); ++i)
        if (kClockEntries[i] == mhz) return static_cast<int>(i);
    return -1;
}

std::optional<double> ReadLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    auto digitAt = [&](std::size_t at) { return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); };
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t mantissa = i;
    while (digitAt(i)) ++i;
    std::size_t digits = i - mantissa;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction = ++i;
        while (digitAt(i)) ++i;
        digits += i - fraction;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        if (digitAt(e)) {
            while (digitAt(e)) ++e;
            i = e;
        }
    }
    // from_chars takes no leading '+'.
    const std::size_t from = text[start] == '+' ? start + 1 : start;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + from, text.data() + i, value);
    if (ec == std::errc::result_out_of_range) return text[start] == '-' ? -HUGE_VAL : HUGE_VAL;
    if (ec != std::errc() || end != text.data() + i) return std::nullopt;
    return value;
}

float ClampClock(float mhz) {
    if (std::isnan(mhz) || mhz < static_cast<float>(kMinClockMHz)) return static_cast<float>(kMinClockMHz);
    if (mhz > static_cast<float>(kMaxClockMHz)) return static_cast<float>(kMaxClockMHz);
    return mhz;
}

std::span<const char* const> WriteProtectionEntries() { return kWriteProtection; }

LockControls LockControlsFor(int lockBits) {
    return {(lockBits & 0x10) != 0, (lockBits & 0x01) != 0, (lockBits >> 1) & 7};
}

int LockBitsOf(const LockControls& c) {
    return (c.bootBlock ? 0x10 : 0) | (c.readProtect ? 0x01 : 0) | ((c.writeProtection & 7) << 1);
}

StoredDefaults ResolveStoredSettings(const StoredProgrammerSettings& stored) {
    StoredDefaults out;
    if (!stored.keyExists) return out;
    // With the key, a missing value reads as empty or zero; zero is brought into range later.
    out.hexFile = stored.hexFile.value_or("");
    out.port = stored.port ? static_cast<std::uint16_t>(*stored.port) : 0;  // used as 16 bits
    const std::optional<float> clock = stored.clockBytes ? ClockFromBytes(*stored.clockBytes) : std::nullopt;
    out.clockMHz = clock.value_or(0.0f);
    return out;
}

std::array<std::uint8_t, 4> ClockBytes(float mhz) {
    const auto bits = std::bit_cast<std::uint32_t>(mhz);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 24)};
}

std::optional<float> ClockFromBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != 4) return std::nullopt;
    const std::uint32_t bits = bytes[0] | static_cast<std::uint32_t>(bytes[1]) << 8 |
                               static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return std::bit_cast<float>(bits);
}

}  // namespace lptlink

#include "monitor/core/TargetSettings.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <optional>

#include "common/SerialTiming.h"

namespace kx6500mon {

namespace {

// A decimal number as the C library's %d would convert it; nothing when no digit
// follows or the number does not fit.
std::optional<int> NumberAt(const std::string& text, std::size_t at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long long value = 0;
    bool digits = false;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at++] - '0');
        if (value > INT_MAX) return std::nullopt;
        digits = true;
    }
    if (!digits) return std::nullopt;
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

int BitRateForClock(double clockHz) { return tessary::SerialTimingFromClock(clockHz / 1e6).rate; }

TargetSettings ReadOptionText(const std::string& text, double clockHz) {
    TargetSettings settings;
    settings.bitRate = BitRateForClock(clockHz);
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '-') continue;
        const char letter = text[i + 1];
        const auto value = NumberAt(text, i + 2);
        if (!value) continue;
        // A port number outside 1 to 8 names no COM port; the port keeps its value.
        if (letter == 'S' && *value >= 1 && *value <= 8) settings.port = *value;
        if (letter == 'O') settings.options = *value;
    }
    return settings;
}

std::string WriteOptionText(const TargetSettings& settings) {
    char text[64];
    std::snprintf(text, sizeof text, "-S%d -B%d -O%d", settings.port, settings.bitRate, settings.options);
    return text;
}

}  // namespace kx6500mon

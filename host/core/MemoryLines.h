#pragma once
// The host's memory command texts: "S:ADDR" addresses (c: code, x: XDATA, d: data and
// SFRs, i: indirect internal RAM) and the result lines "D:0080 XX XX ..." of up to 16
// bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kxdebug {

struct SpaceAddress {
    char letter;           // upper case: C, X, D, I
    std::uint32_t space;   // HOST_SPACE_*
    std::uint32_t offset;  // 0..0xFFFF
};

// "x:0x10", "D:80"; nothing for another letter or a bad or too large hex offset.
std::optional<SpaceAddress> ParseSpaceAddress(const std::string& text);
// Lines of up to 16 upper-case bytes, each headed by its first byte's address.
std::string FormatMemoryLines(char letter, std::uint32_t offset, const std::vector<std::uint8_t>& bytes);

// One line of the display plug-in's access log: "R F0000080 128",
// "W F00000E1 1 3A", with " FAIL" when the call answered non-zero.
std::string AccessLogLine(bool write, std::uint32_t address, std::uint32_t count, const std::uint8_t* bytes,
                          int result);

}  // namespace kxdebug

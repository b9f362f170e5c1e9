#pragma once
// The text functions the views share: the commit pre-checks, hex texts and bytes,
// decimal reals, and the integer exchange of a field.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx6500disp {

// Not empty, digits 0..9 only (no sign, no blanks).
bool IsDecimalText(std::string_view text);
// Not empty, 0..9 and A..F only, case ignored.
bool IsHexText(std::string_view text);
// min(maxCount, length / 2) pairs, high digit first; nothing for an odd length or a
// character outside 0..9, A..F (case ignored).
std::optional<std::vector<std::uint8_t>> HexTextToBytes(std::string_view text, std::size_t maxCount);
// Two upper-case digits per byte, in byte order.
std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count);
// Digits with at most one '.', converted as a decimal number; nothing otherwise.
std::optional<double> ParseDecimalReal(std::string_view text);
// Fixed point with the given decimals, no blanks ("433.9200").
std::string FormatReal(double value, int decimals);
// "." between every two characters counted from the end, for texts longer than two
// ("AABBCC" -> "AA.BB.CC").
std::string DotSeparatedHex(std::string_view text);
// A field's integer: an optional '-' and digits, within 32 bits, blanks around it
// allowed; nothing otherwise.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// The message of a failed integer exchange.
inline constexpr std::string_view kEnterAnInteger = "Please enter an integer.";

}  // namespace kx6500disp

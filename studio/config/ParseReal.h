#pragma once
// Numeric field parsing and rounding shared by every configuration form.

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Reads at most the first 31 characters of a field, as the forms do.
inline constexpr std::size_t kFieldTextLimit = 31;

// The number a field holds, or nothing when the text is not a number followed only by
// blanks. Independent of the process locale: the forms always use a decimal point.
std::optional<double> ParseReal(std::string_view text);

// Rounds to n decimals, halves away from zero.
double RoundToDecimals(double x, int n);

// printf-style formatting with the C locale's decimal point.
std::string FormatReal(const char* format, double value);

}  // namespace tessary

#include "display/core/TextFunctions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace kx6500disp {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}
}  // namespace

bool IsDecimalText(std::string_view text) { return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit); }

bool IsHexText(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; });
}

std::optional<std::vector<std::uint8_t>> HexTextToBytes(std::string_view text, std::size_t maxCount) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < std::min(maxCount, text.size() / 2); ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::optional<double> ParseDecimalReal(std::string_view text) {
    std::string digits(text);
    if (const auto dot = digits.find('.'); dot != std::string::npos) digits.erase(dot, 1);
    if (!IsDecimalText(digits)) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::nullopt;  // beyond any register anyway
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string FormatReal(double value, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string DotSeparatedHex(std::string_view text) {
    if (text.size() <= 2) return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && (text.size() - i) % 2 == 0) out += '.';
        out += text[i];
    }
    return out;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!IsDecimalText(negative ? text.substr(1) : text)) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace kx6500disp

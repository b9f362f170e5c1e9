#include "studio/config/ParseReal.h"

#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tessary {

namespace {
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}
}  // namespace

std::optional<double> ParseReal(std::string_view text) {
    std::string s(text.substr(0, kFieldTextLimit));
    std::size_t pos = 0;
    if (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    const char first = pos < s.size() ? s[pos] : '\0';
    const char* begin = s.c_str() + pos;
    char* end = nullptr;
    const double value = strtod_l(begin, &end, CLocale());
    // A zero is only believed when the text starts with the digit zero: "-0", "abc"
    // and an empty field are not numbers here.
    if (value == 0 && first != '0') return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return std::nullopt;
    return value;
}

double RoundToDecimals(double x, int n) {
    const double scale = std::pow(10.0, n);
    double whole = 0;
    const double fraction = std::modf(x * scale, &whole);
    if (fraction == 0) return x;
    if (x >= 0) return (fraction >= 0.5 ? whole + 1 : whole) / scale;
    return (fraction <= -0.5 ? whole - 1 : whole) / scale;
}

std::string FormatReal(const char* format, double value) {
    const locale_t previous = uselocale(CLocale());
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    uselocale(previous);
    return buffer;
}

}  // namespace tessary

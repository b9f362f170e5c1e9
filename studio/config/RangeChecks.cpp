#include "studio/config/RangeChecks.h"

#include <initializer_list>
#include <utility>

#include "studio/config/ParseReal.h"

namespace tessary {

namespace {
using Range = std::pair<double, double>;

bool InAny(double x, std::initializer_list<Range> ranges) {
    for (const auto& [lo, hi] : ranges)
        if (x >= lo && x <= hi) return true;
    return false;
}

const char* const kIllegal = "An illegal value has been entered.\n";
}  // namespace

CheckResult CheckCrystal(double mhz, double code) {
    if (code == 4 || code == 9) {
        if (InAny(mhz, {{4, 13}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 4.000000 and 13.000000 MHz.";
    }
    if (code == 11) {
        if (InAny(mhz, {{3, 4}, {6, 8}, {9, 16}, {16, 20}, {20, 24}})) return std::nullopt;
        return std::string(kIllegal) +
               "The value must be between:\n\n\t3 - 4  MHz\n\t6 - 8  MHz\n\t9 - 16 MHz\n\t16 - 20 MHz\n\t20 - 24 MHz";
    }
    if (InAny(mhz, {{3, 4}, {6, 8}, {9, 16}})) return std::nullopt;
    return std::string(kIllegal) + "The value must be between:\n\n\t3 - 4  MHz\n\t6 - 8  MHz\n\t9 - 16 MHz";
}

CheckResult CheckAccuracy(double ppm) {
    if (InAny(ppm, {{0, 500}})) return std::nullopt;
    return std::string(kIllegal) + "The value must be between 0 and 500 ppm.";
}

CheckResult CheckRfFrequency(double mhz, double code) {
    if (code == 4) {
        if (InAny(mhz, {{300, 500}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 300.000 and 500.000 MHz \nfor the KX400.";
    }
    if (code == 9) {
        if (InAny(mhz, {{800, 1000}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 800.000 and 1000.000 MHz \nfor the KX900.";
    }
    if (code == 1) {
        if (InAny(mhz, {{300, 1000}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 300.000 and 1000.000 MHz.";
    }
    return std::nullopt;
}

CheckResult CheckSeparation(double khz, double /*code*/) {
    if (InAny(khz, {{0, 200}})) return std::nullopt;
    return std::string(kIllegal) + "The value must be between 0 and 200 kHz.";
}

CheckResult CheckDataRate(double kbaud, double code) {
    if (code == 4 || code == 9) {
        if (InAny(kbaud, {{0.3, 9.6}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 0.3 and 9.6 kbps.";
    }
    if (code == 1) {
        if (InAny(kbaud, {{0.6, 76.8}})) return std::nullopt;
        return std::string(kIllegal) + "The value must be between 0.6 and 76.8 kbaud.";
    }
    return std::nullopt;
}

CheckResult CheckOutputPower(double dbm, double lower, double upper) {
    if (InAny(dbm, {{lower, upper}})) return std::nullopt;
    return "Please enter a number between " + FormatReal("%g", lower) + " and " + FormatReal("%g", upper) + ".";
}

}  // namespace tessary

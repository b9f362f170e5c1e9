#include "studio/config/KX6200Calc.h"

#include <array>
#include <climits>
#include <cmath>

#include "studio/config/ParseReal.h"

namespace tessary::kx6200 {

namespace {

bool Between(double x, double lo, double hi) { return x >= lo && x <= hi; }

constexpr std::array<int, 31> kPaPowLow = {0x01, 0x01, 0x02, 0x02, 0x02, 0x03, 0x03, 0x03, 0x04, 0x04, 0x05,
                                           0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0E, 0x0F, 0x40,
                                           0x50, 0x50, 0x60, 0x70, 0x80, 0x90, 0xC0, 0xE0, 0xFF};
constexpr std::array<int, 31> kPaPowHigh = {0x02, 0x02, 0x03, 0x03, 0x04, 0x05, 0x05, 0x06, 0x07, 0x08, 0x09,
                                            0x0B, 0x0C, 0x0D, 0x0F, 0x40, 0x50, 0x50, 0x60, 0x70, 0x80, 0x90,
                                            0xB0, 0xC0, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::array<double, 31> kTxCurrentLow = {5.3,  6.9,  7.1,  7.1,  7.1,  7.4,  7.4,  7.4,  7.6,  7.6, 7.9,
                                                  7.9,  8.2,  8.4,  8.7,  8.9,  9.2,  9.4,  9.7,  10.2, 10.4, 11.8,
                                                  12.8, 12.8, 13.8, 14.8, 15.8, 16.8, 20.0, 22.1, 26.7};
constexpr std::array<double, 31> kTxCurrentHigh = {8.6,  8.8,  9.0,  9.0,  9.1,  9.3,  9.3,  9.5,  9.7,  9.9,  10.1,
                                                   10.4, 10.6, 10.8, 11.1, 13.8, 14.5, 14.5, 15.1, 15.8, 16.5, 17.2,
                                                   18.5, 19.2, 21.3, 25.4, 25.4, 25.4, 25.4, 25.4, 25.4};

constexpr std::array<double, 16> kInductorSeries = {3.3, 4.7, 5.6, 6.8, 8.2, 10, 12, 15,
                                                    18,  22,  27,  33,  39,  47,  56, 68};

struct MatchRow {
    double low;
    bool lowInclusive;
    double high;
    Components values;
};

const std::array<MatchRow, 3>& MatchTable() {
    static const std::array<MatchRow, 3> rows = {{
        {795, false, 1000, {"", "120.0", "2.5", "10.0", "N.A", "4.7"}},
        {390, false, 490, {"", "68.0", "6.2", "15.0", "8.2", "5.6"}},
        {300, true, 340, {"", "39.0", "20.0", "8.2", "2.2", "5.6"}},
    }};
    return rows;
}

}  // namespace

int ToInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}

std::optional<std::size_t> PowerIndex(double powerDbm, int highestDbm) {
    const double p = std::trunc(powerDbm);
    if (!(p >= -20 && p <= highestDbm)) return std::nullopt;
    return static_cast<std::size_t>(p + 20);
}

int RoundWord(double x) { return ToInt(std::trunc(x + 0.5)); }

bool IsRecommendedCrystal(double x) { return x == 3.6864 || x == 7.3728 || x == 11.0592 || x == 14.7456; }

RateSnap SnapSynchronousRate(double x, double rate) {
    const bool slow = x == 3.6864 || x == 7.3728 || x == 11.0592;
    if (!slow && x != 14.7456) return {rate, false, false};
    for (double standard : {0.6, 1.2, 2.4, 4.8, 9.6, 19.2})
        if (rate == standard) return {rate, false, false};
    double snapped = 0;
    bool message = false;
    if (rate < 0.9) snapped = 0.6;
    else if (rate < 1.8) snapped = 1.2;
    else if (rate < 3.6) snapped = 2.4;
    else if (rate < 7.2) snapped = 4.8;
    else if (rate < 14.4) snapped = 9.6;
    else if (slow) {
        message = rate > 19.2;
        snapped = 19.2;
    } else if (rate < 24) snapped = 19.2;
    else if (rate < 57.6) snapped = 38.4;
    else snapped = 76.8;
    return {snapped, true, message};
}

bool IfUncertaintyTooLarge(double ppm, double fActMHz) { return 2 * ppm * fActMHz > 45000; }

int MainValue(int mode, int active) {
    int main = 0x01;
    if (mode == kTX) main |= 0x80;
    if (active == 1) main |= 0x40;
    if (mode != kRX) main |= 0x20;
    if (mode != kTX) main |= 0x10;
    if (mode == kPD || mode == kXoscCore || mode == kXoscCoreBias) main |= 0x08;
    if (mode == kPD) main |= 0x04;
    if (mode == kPD || mode == kXoscCore) main |= 0x02;
    return main;
}

double SynthFrequency(double rfMHz, int directionTx, double sepKHz, int ifRssi, int lowLo, double ifHz) {
    if (directionTx == 1) return rfMHz * 1e6 - sepKHz * 1000 * 0.5;
    const double offset = ifRssi == kExternalIf ? 10700000.0 : ifHz;
    double f = rfMHz * 1e6 + offset;
    if (lowLo) f -= 2 * offset;
    return f;
}

std::optional<DividerResult> DividerSearch(double xtalMHz, double fSynthHz, bool wordMayEqual) {
    // The search has no upper bound of its own; it ends for every positive synthesiser
    // frequency. The guard only keeps a corrupt parameter from hanging the program.
    if (!(fSynthHz > 0) || !(xtalMHz > 0) || !std::isfinite(fSynthHz) || !std::isfinite(xtalMHz))
        return std::nullopt;
    for (double d = 2; d < 1e7; d += 1) {
        const double fRef = xtalMHz * 1e6 / d;
        const double f = fSynthHz * 16384 / fRef - 8192;
        if (fRef <= 2457600 && (f > 4194304 || (wordMayEqual && f == 4194304))) return DividerResult{d, f};
    }
    return std::nullopt;
}

OptimalResult OptimalSearch(double xtalMHz, double rfAMHz, int lowLo, double fSynthHz, double ifHz,
                            int lastCandidate, int lastDivider) {
    const double ifOffset = lowLo ? -ifHz : ifHz;
    const double target = rfAMHz * 1e6 + ifOffset;
    struct Try {
        double r, n, word, error;
    };
    // The error of a divider outside the synthesiser's working range is 3 MHz, both
    // when the smallest error is sought and when the stepping loop compares with it:
    // when no divider is usable, the first one that works ends the loop.
    auto evaluate = [&](double k) {
        Try t{};
        t.r = xtalMHz * 1e6 / k;
        t.n = std::floor(2 * (target / t.r + 0.25)) * 0.5;
        const double u = target / t.n;
        t.word = fSynthHz * 16384 / u - 8192;
        const bool usable = 1053000 < t.r && t.r < 2460000 && 4194304 <= t.word && t.word <= 16777215;
        t.error = usable ? std::fabs(std::trunc(((rfAMHz - 0.00025) - (t.n * t.r - ifOffset) * 1e-6) * 1e6)) : 3000000;
        return t;
    };
    double best = 0;
    for (int k = 1; k <= lastCandidate; ++k) {
        const double e = evaluate(k).error;
        if (k == 1 || e < best) best = e;
    }
    Try chosen{};
    double divider = 2;
    for (; divider <= lastDivider; divider += 1) {
        chosen = evaluate(divider);
        if (chosen.r < 2460000 && chosen.word > 4194304 && chosen.error == best) break;
    }
    if (divider > lastDivider) divider = lastDivider;  // none qualified: the values of the last stand
    OptimalResult result{};
    result.divider = divider;
    result.r = chosen.r;
    result.n = chosen.n;
    result.word = chosen.word;
    result.newFrequencyMHz = (chosen.n * chosen.r - ifOffset) / 1e6;
    result.reachable = !(chosen.r > 2460000);
    return result;
}

std::optional<int> FrequencyWordB(double xtalMHz, double fSynthHz, double divider) {
    const double f = fSynthHz * 16384 / (xtalMHz * 1e6 / divider) - 8192;
    if (f > 16751615 || f < 4194304 || std::isnan(f)) return std::nullopt;
    return RoundWord(f);
}

FsepResult Fsep(double xtalMHz, double sepKHz, double dividerTx) {
    double x = sepKHz * 16384000 / (xtalMHz * 1e6 / dividerTx);
    const bool capped = x > 2047;
    if (capped) x = 2047;
    return {RoundWord(x), capped};
}

int CurrentRegister(double f, int mode, int lowCurrent) {
    const bool tx = mode == kTX;
    if (f <= 320) return tx ? 0x91 : (lowCurrent ? 0x80 : 0x84);
    if (f <= 500) return tx ? 0x81 : (lowCurrent ? 0x40 : 0x44);
    return tx ? 0xF3 : (lowCurrent ? 0x88 : 0x8C);
}

std::optional<PaPowResult> PaPow(double powerDbm, double fActMHz) {
    const auto i = PowerIndex(powerDbm);
    if (!i) return std::nullopt;
    if (fActMHz < 500) return PaPowResult{kPaPowLow[*i], false};
    return PaPowResult{kPaPowHigh[*i], *i >= 26};
}

int PllValue(int mode, double divider, double dividerTx) {
    const double d = mode == kTX ? dividerTx : divider;
    return (ToInt(std::trunc(d)) & 0x0F) << 3;
}

int LockValue(int lock) {
    constexpr std::array<int, 5> values = {0x10, 0x20, 0x80, 0xA0, 0x00};
    return lock >= 0 && lock < 5 ? values[static_cast<std::size_t>(lock)] : 0x00;
}

double ModemClockMHz(double x, double rate) {
    if (x <= 4) return x;
    if (Between(x, 6, 8)) return x / 2;
    if (Between(x, 9, 12)) return x / 3;
    if (x > 12) {
        if (rate < 24) return x / 4;
        if (rate < 57.6) return x / 2;
        return x;
    }
    return x;  // a crystal the checks refuse; any clock keeps the formula defined
}

int Modem2(double xtalMHz, double rate, double rfAMHz, double ppm, double sepKHz) {
    const double c = ModemClockMHz(xtalMHz, rate);
    const double b = (150000 - 2 * rfAMHz * ppm) * 0.001;
    return ToInt(std::trunc(c * 1000 / b - 0.625 * c * 1000 / (b + sepKHz / 2) + 0.5)) + 128;
}

int BaudRateCode(double rate) {
    if (rate < 0.9) return 0;
    if (rate < 1.8) return 1;
    if (rate < 3.6) return 2;
    if (rate < 7.2) return 3;
    if (rate < 14.4) return 4;
    return 5;
}

Modem0Result Modem0(double rate, int format, double x) {
    int xosc = 0;
    bool message = false;
    if (Between(x, 3, 4)) xosc = 0;
    else if (Between(x, 6, 8)) xosc = 1;
    else if (Between(x, 9, 12)) xosc = 2;
    else if (x > 12) xosc = 3;
    else message = true;  // no range: the lowest setting, and the note
    if (x >= 12) {
        if (rate >= 24 && rate < 57.6) xosc = 1;
        else if (rate >= 57.6) xosc = 0;
    }
    const auto value = static_cast<int>((static_cast<unsigned>(BaudRateCode(rate)) << 4) |
                                        (static_cast<unsigned>(format) << 2) | static_cast<unsigned>(xosc));
    return {value, message};
}

int MatchValue(double rfA, double rfB) { return rfA >= 500 && rfB >= 500 ? 0x10 : 0x70; }

int FrontEnd(double f, int lowCurrent, int ifRssi, int xosc) {
    int value = f > 500 ? 0x30 : 0x10;
    if (lowCurrent) value = 0x00;
    if (ifRssi == kRssiEnabled) value |= 0x02;
    else if (ifRssi == kExternalIf) value |= 0x04;
    if (xosc == 1) value |= 0x01;
    return value;
}

int Test4Value(double rate) { return rate > 4.8 ? 0x3F : 0x25; }

std::string VcoInductor(double f) {
    if (Between(f, 313, 317)) return "56.0";
    if (Between(f, 428, 435)) return "33.0";
    if (Between(f, 868, 928)) return "4.7";
    const double x = (9.8495 - 0.0085 * f) * (9.8495 - 0.0085 * f);
    double chosen = kInductorSeries.back();
    for (std::size_t i = 0; i < kInductorSeries.size(); ++i) {
        if (x <= kInductorSeries[i]) {
            if (i == 0) chosen = kInductorSeries[0];
            else chosen = x - kInductorSeries[i - 1] <= kInductorSeries[i] - x ? kInductorSeries[i - 1]
                                                                                 : kInductorSeries[i];
            break;
        }
    }
    return FormatReal("%3.1f", chosen);
}

Components ComponentValues(double f) {
    Components c{VcoInductor(f), "TBD", "TBD", "TBD", "TBD", "TBD"};
    for (const auto& row : MatchTable()) {
        const bool aboveLow = row.lowInclusive ? f >= row.low : f > row.low;
        if (aboveLow && f <= row.high) {
            c.l32 = row.values.l32;
            c.l41 = row.values.l41;
            c.c31 = row.values.c31;
            c.c41 = row.values.c41;
            c.c42 = row.values.c42;
            break;
        }
    }
    return c;
}

std::optional<double> TypicalCurrent(int mode, double f, int lowCurrent, double x, double powerDbm) {
    const bool upper = f >= 500;
    switch (mode) {
        case kRX:
            if (lowCurrent) return upper ? 9.9 : 7.7;
            return upper ? 12.0 : 9.5;
        case kPD: return 0.0002;
        case kXoscCore: return x <= 8 ? 0.03 : (x <= 14 ? 0.08 : 0.105);
        case kXoscCoreBias: return 0.86;
        case kXoscCoreBiasSynth: return upper ? 6.0 : 5.0;
        case kTX: {
            const auto i = PowerIndex(powerDbm);
            if (!i) return std::nullopt;
            return upper ? kTxCurrentHigh[*i] : kTxCurrentLow[*i];
        }
        default: return std::nullopt;
    }
}

}  // namespace tessary::kx6200

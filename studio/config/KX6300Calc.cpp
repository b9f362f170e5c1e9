#include "studio/config/KX6300Calc.h"

#include <array>
#include <cmath>

#include "studio/config/ParseReal.h"

namespace tessary::kx6300 {

namespace {

bool Between(double x, double lo, double hi) { return x >= lo && x <= hi; }

// -20 to 12 dBm, below 500 MHz and from 500 MHz.
constexpr std::array<int, 33> kPaPowLow = {0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x04, 0x04,
                                           0x05, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0C, 0x0D, 0x0F, 0x40,
                                           0x50, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xC0, 0xE0, 0xF0, 0xFF};
constexpr std::array<int, 33> kPaPowHigh = {0x02, 0x02, 0x02, 0x03, 0x03, 0x04, 0x04, 0x05, 0x05, 0x06, 0x06,
                                            0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x0F, 0x40, 0x50, 0x60,
                                            0x70, 0x80, 0x90, 0xA0, 0xC0, 0xE0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::array<double, 33> kTxCurrentLow = {5.5,  5.5,  5.5,  5.7,  5.7,  5.7,  5.7,  6.0,  6.0,  6.2,  6.2,
                                                  6.5,  6.5,  6.8,  7.0,  7.3,  7.5,  7.8,  8.3,  8.5,  9.1,  10.5,
                                                  11.5, 11.5, 12.4, 13.3, 14.2, 15.1, 15.9, 17.6, 19.2, 20.0, 23.3};
constexpr std::array<double, 33> kTxCurrentHigh = {8.0,  8.0,  8.0,  8.3,  8.3,  8.5,  8.5,  8.7,  8.7,  8.9,  8.9,
                                                   9.1,  9.4,  9.6,  9.8,  10.0, 10.4, 10.6, 10.9, 13.4, 14.2, 15.0,
                                                   15.7, 16.3, 17.0, 17.7, 19.1, 20.0, 24.9, 24.9, 24.9, 24.9, 24.9};
constexpr int kHighestDbm = 12;
// From this power on the upper band is capped, with its message.
constexpr std::size_t kFirstCappedIndex = 9 + 20;

struct ComponentRow {
    double low, high;  // both ends included
    double l1, l2, c1, c2;
};
constexpr std::array<ComponentRow, 3> kComponents = {{
    {860, 930, 5.6, 2.5, 4.7, 5.6},
    {390, 440, 33.0, 6.2, 12.0, 6.8},
    {300, 330, 56.0, 20.0, 5.6, 8.2},
}};

}  // namespace

kx6200::RateSnap SnapSynchronousRate(int format, double xtalMHz, double rate) {
    if ((format != kNRZ && format != kManchester) || !kx6200::IsRecommendedCrystal(xtalMHz)) return {rate, false, false};
    // The KX6200's table for its 14.7456 MHz crystal, which never shows a message; the
    // KX6300 uses it with all four crystals.
    return kx6200::SnapSynchronousRate(14.7456, rate);
}

int MainValue(int mode, int active) {
    int main = 0x01;
    if (mode != kTX) main |= 0x10;
    if (active == 1) main |= 0x40;
    if (mode == kPD || mode == kXoscCore || mode == kXoscCoreBias) main |= 0x08;
    if (mode == kPD) main |= 0x04;
    if (mode == kPD || mode == kXoscCore) main |= 0x02;
    return main;
}

double SynthFrequency(double rfMHz, double sepKHz) {
    return kx6200::SynthFrequency(rfMHz, 1, sepKHz, kx6200::kRssiEnabled, 0);
}

int CurrentRegister(double fActMHz) { return fActMHz > 500 ? 0xF3 : 0x81; }

std::optional<kx6200::PaPowResult> PaPow(double powerDbm, double fActMHz) {
    const auto i = kx6200::PowerIndex(powerDbm, kHighestDbm);
    if (!i) return std::nullopt;
    if (fActMHz < 500) return kx6200::PaPowResult{kPaPowLow[*i], false};
    return kx6200::PaPowResult{kPaPowHigh[*i], *i >= kFirstCappedIndex};
}

int PllValue(double divider) { return (kx6200::ToInt(std::trunc(divider)) & 0x0F) << 3; }

int LockValue(int lock) {
    constexpr std::array<int, 4> values = {0x10, 0x20, 0x80, 0x00};
    return lock >= 0 && lock < 4 ? values[static_cast<std::size_t>(lock)] : 0x00;
}

int BaudRateCode(double rate) {
    if (rate < 28.8) return kx6200::BaudRateCode(rate);  // the KX6200's codes 0 to 5
    if (rate < 57.6) return 6;
    return 7;
}

kx6200::Modem0Result Modem0(double rate, int format, double x) {
    // The ranges are tried in the order written: a 12 MHz crystal is the 9 to 12 range.
    int xosc = 0;
    bool message = false;
    if (Between(x, 3, 4)) xosc = 0;
    else if (Between(x, 6, 8)) xosc = 1;
    else if (Between(x, 9, 12)) xosc = 2;
    else if (x >= 12) xosc = 3;
    else message = true;
    const auto value = static_cast<int>((static_cast<unsigned>(BaudRateCode(rate)) << 4) |
                                        ((static_cast<unsigned>(format) & 3u) << 2) | static_cast<unsigned>(xosc));
    return {value, message};
}

int FsctrlValue(int shape) {
    int value = 0x01;
    if (shape == 2 || shape == 3) value |= 0x0C;  // dithering
    if (shape == 1 || shape == 3) value |= 0x02;  // raised cosine
    return value;
}

int PrescalerValue(double rate) { return rate > 19.2 ? 0x04 : 0x00; }
int Test4Value(double rate) { return rate > 19.2 ? 0x3F : 0x25; }

Components ComponentValues(double f) {
    for (const ComponentRow& row : kComponents)
        if (Between(f, row.low, row.high))
            return {FormatReal("%2.1f", row.l1), FormatReal("%2.1f", row.l2), FormatReal("%2.1f", row.c1),
                    FormatReal("%2.1f", row.c2)};
    return {"TBD", "TBD", "TBD", "TBD"};
}

std::optional<double> TypicalCurrent(int mode, double f, double x, double powerDbm) {
    const bool upper = f >= 500;
    switch (mode) {
        case kPD: return 0.0002;
        case kXoscCore: return x <= 8 ? 0.03 : (x <= 14 ? 0.08 : 0.105);
        case kXoscCoreBias: return 0.4;
        case kXoscCoreBiasSynth: return upper ? 5.0 : 4.0;
        case kTX: {
            const auto i = kx6200::PowerIndex(powerDbm, kHighestDbm);
            if (!i) return std::nullopt;
            return upper ? kTxCurrentHigh[*i] : kTxCurrentLow[*i];
        }
        default: return std::nullopt;
    }
}

}  // namespace tessary::kx6300

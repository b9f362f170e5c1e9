#include "studio/config/KX6500Calc.h"

#include <cmath>

namespace tessary::kx6500 {

using namespace kx6200;

namespace {

bool Between(double x, double lo, double hi) { return x >= lo && x <= hi; }

constexpr std::array<int, 31> kPaLow = {0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x04, 0x04, 0x05,
                                        0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x40, 0x50,
                                        0x60, 0x60, 0x70, 0x80, 0x90, 0xB0, 0xC0, 0xE0, 0xFF};
constexpr std::array<int, 31> kPaHigh = {0x02, 0x02, 0x03, 0x03, 0x04, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                                         0x0A, 0x0B, 0x0C, 0x0E, 0x0F, 0x50, 0x60, 0x70, 0x80, 0xA0, 0xC0,
                                         0xE0, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::array<double, 31> kTxLow = {21.7, 21.7, 21.7, 21.7, 21.7, 21.7, 21.9, 21.9, 22.2, 22.2, 22.4,
                                           22.4, 22.7, 22.9, 23.2, 23.5, 23.8, 24.0, 24.5, 24.9, 26.0, 27.0,
                                           28.0, 28.0, 28.9, 30.0, 31.0, 33.2, 34.3, 36.7, 42.8};
constexpr std::array<double, 31> kTxHigh = {24.2, 24.0, 24.4, 24.8, 24.6, 24.6, 24.8, 25.0, 25.2, 25.4, 25.7,
                                            25.9, 26.0, 26.2, 26.6, 26.8, 29.3, 29.9, 30.5, 31.0, 32.1, 33.1,
                                            34.2, 34.7, 38.5, 38.5, 38.5, 38.5, 38.5, 38.5, 38.5};

bool Mid(double rate) { return rate >= 24 && rate < 57.6; }

}  // namespace

double IfA(double rfAMHz) { return rfAMHz <= 500 ? 150000.0 : 130000.0; }

bool IsRecommendedCrystal(double x) {
    return kx6200::IsRecommendedCrystal(x) || x == 18.432 || x == 22.1184;
}

RateSnap SnapSynchronousRate(double x, double rate) {
    auto lower = [](double r) {
        if (r < 0.9) return 0.6;
        if (r < 1.8) return 1.2;
        if (r < 3.6) return 2.4;
        if (r < 7.2) return 4.8;
        if (r < 14.4) return 9.6;
        return 19.2;  // below 24
    };
    if (x == 3.6864 || x == 11.0592 || x == 18.432) {
        for (double standard : {0.6, 1.2, 2.4, 4.8, 9.6, 19.2})
            if (rate == standard) return {rate, false, nullptr};
        if (rate < 24) return {lower(rate), true, nullptr};
        return {19.2, true, rate < 57.6 ? msg::kRateNeeds384Xtal : msg::kRateNeeds768Xtal};
    }
    if (x == 7.3728 || x == 22.1184) {
        if (rate < 24) return {lower(rate), true, nullptr};
        if (rate < 57.6) return {38.4, true, nullptr};
        return {38.4, true, msg::kRateNeeds768Xtal};
    }
    const kx6200::RateSnap snap = kx6200::SnapSynchronousRate(x, rate);
    return {snap.rate, snap.replaced, nullptr};  // 14.7456 MHz as the KX6200; others unchanged
}

int MainValue(int mode, int active) { return kx6200::MainValue(mode, active) & ~0x01; }

int CurrentRegister(double f, int mode) {
    if (f > 500) return mode == kTX ? 0xF3 : 0x6C;
    return mode == kTX ? 0x81 : 0x44;
}

std::optional<PaPowResult> PaPower(double powerDbm, double fActMHz) {
    const auto i = PowerIndex(powerDbm);
    if (!i) return std::nullopt;
    if (fActMHz < 500) return PaPowResult{kPaLow[*i], false};
    return PaPowResult{kPaHigh[*i], *i >= 25};
}

int PllValue(int mode, double divider, double dividerTx) {
    const double d = mode == kTX ? dividerTx : divider;
    return (ToInt(std::trunc(d)) & 0x1F) << 3;
}

double ModemClockMHz(double x, double rate) {
    if (x <= 4) return x;
    if (Between(x, 6, 8)) return Mid(rate) ? x : x / 2;
    if (Between(x, 9, 12)) return x / 3;
    if (x > 12 && x <= 16) return x / 4 * (Mid(rate) ? 2 : rate >= 57.6 ? 4 : 1);
    if (x > 16 && x <= 20) return x / 5;
    if (x > 20) return x / 6 * (Mid(rate) ? 2 : 1);
    return x;  // a crystal the checks refuse
}

int Modem2(double x, double rate, double rfA, double ppm, double sep) {
    const double c = ModemClockMHz(x, rate);
    const double b = (IfA(rfA) - 2 * rfA * ppm) * 0.001;
    return ToInt(std::trunc(c * 1000 / b - 0.625 * c * 1000 / (b + sep / 2) + 0.5));
}

Modem0Result Modem0(double rate, int format, double x) {
    int xosc = 0;
    bool message = false;
    if (Between(x, 3, 4)) xosc = 0;
    else if (Between(x, 6, 8)) xosc = Mid(rate) ? 0 : 1;
    else if (Between(x, 9, 12)) xosc = 2;
    else if (x > 12 && x <= 16) xosc = rate < 24 ? 3 : (rate < 57.6 ? 1 : 0);
    else if (x > 16 && x <= 20) xosc = 4;
    else if (x > 20) xosc = Mid(rate) ? 2 : 5;
    else message = true;
    const auto value = static_cast<int>((static_cast<unsigned>(BaudRateCode(rate)) << 5) |
                                        (static_cast<unsigned>(format) << 3) | static_cast<unsigned>(xosc));
    return {value, message};
}

int MatchValue(double rfA, double rfB) { return rfA >= 500 && rfB >= 500 ? 0x00 : 0xC0; }

int FsctrlValue(int shape) {
    int value = 0x01;
    if (shape == 2 || shape == 3) value |= 0x0C;  // dithering
    if (shape == 1 || shape == 3) value |= 0x02;  // raised cosine
    return value;
}

Fshape FshapeValues(double x, double sep, double divider, int shape) {
    double s = sep * 16384000 / (x * 1e6 / divider);
    bool message = false;
    if (s > 63) {
        s = 63;
        message = shape != 0;
    } else {
        s = std::trunc(s + 0.5);
    }
    Fshape result{{}, message};
    const double pi = std::acos(-1.0);
    for (int k = 1; k <= 7; ++k)
        result.values[static_cast<std::size_t>(k - 1)] = ToInt(std::trunc((1 - std::cos(k * pi / 15)) * 0.5 * s + 0.5));
    return result;
}

int FsdelayValue(double x, double divider, double rate) {
    return ToInt(std::trunc(x * 1e6 / divider / (rate * 16000) - 1 + 0.5));
}

int FrendValue(double f, int ifRssi, int xosc) {
    int value = f > 500 ? 0x30 : 0x08;
    if (ifRssi == kRssiEnabled) value |= 0x02;
    else if (ifRssi == kExternalIf) value |= 0x04;
    if (xosc == 1) value |= 0x01;
    return value;
}

int Test6Value(int mode) { return mode == kTX ? 0x3B : 0x1B; }

int EstimatorSetup(int enable, int window, int signal) {
    return (enable ? 0x10 : 0) | ((window & 3) << 2) | (signal & 3);
}

Components ComponentValues(double f) {
    if (Between(f, 868, 928)) return {"3.3", "120.0", "2.5", "8.2", "N.A", "10.0"};
    if (f > 433 && f <= 435) return {"27.0", "22.0", "6.2", "10.0", "6.8", "8.2"};
    return {"TBD", "TBD", "TBD", "TBD", "TBD", "TBD"};
}

std::optional<double> TypicalCurrent(int mode, double f, double x, double powerDbm) {
    const bool slowXtal = x < 8;
    double current = 0;
    switch (mode) {
        case kRX: current = slowXtal ? 22.0 : 27.0; break;
        case kPD: return 3.4;
        case kXoscCore: return 3.5;
        case kXoscCoreBias: current = slowXtal ? 10.9 : 15.9; break;
        case kXoscCoreBiasSynth: current = slowXtal ? 14.2 : 19.2; break;
        case kTX: {
            const auto i = PowerIndex(powerDbm);
            if (!i) return std::nullopt;
            current = (f >= 500 ? kTxHigh[*i] : kTxLow[*i]) - (slowXtal ? 5.0 : 0.0);
            break;
        }
        default: return std::nullopt;
    }
    return x > 16 ? current + 5.0 : current;
}

}  // namespace tessary::kx6500

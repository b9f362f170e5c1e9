#include "studio/config/KX400Calc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "studio/config/KX6200Calc.h"
#include "studio/config/ParseReal.h"

namespace tessary::kx400 {

namespace {

using kx6200::RoundWord;
using kx6200::ToInt;

// ---- tables ----

struct IfStageRow {
    double fif;      // Hz
    int stageBits;   // frame F bits 10-9
    int frameG;
    bool is455;
};
constexpr std::array<IfStageRow, 4> kIfStages = {{
    {60e3, 0b00, 0x124C, false},
    {200e3, 0b01, 0x0B6C, false},
    {455e3, 0b10, 0x0DFC, true},
    {455e3, 0b10, 0x0DF8, true},
}};

const IfStageRow* StageRow(int stage) {
    return stage >= 0 && stage < static_cast<int>(kIfStages.size()) ? &kIfStages[static_cast<std::size_t>(stage)]
                                                                      : nullptr;
}

// The three candidate periods of the 60 and 200 kHz stages and their targets.
struct PeriodRow {
    double n1, n2;
    std::array<double, 3> targets;  // seconds
};
constexpr std::array<PeriodRow, 2> kPeriods = {{
    {161, 110, {20.8e-6, 12.5e-6, 4.17e-6}},
    {49, 100, {6.25e-6, 3.75e-6, 1.25e-6}},
}};

// Frame E bits 11-10 by LOCK indicator: Continuous, One-shot, Disabled.
constexpr std::array<int, 3> kLockCodes = {2, 0, 3};

// A run of consecutive whole dBm from `first` upward.
template <typename T>
struct Run {
    int first;
    std::vector<T> values;
};

// Power code d and bias code c by class A, AB, B, C.
const std::array<Run<PowerCode>, 4> kPowerKX400 = {{
    {-5, {{11, 0}, {13, 0}, {17, 0}, {19, 1}, {27, 1}, {31, 1}}},
    {-4, {{4, 0}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {11, 1}, {13, 2}, {17, 2}, {22, 2}, {31, 2}}},
    {0, {{3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 2}, {10, 2}, {11, 3}, {13, 3}, {16, 3}, {19, 3}, {24, 3}}},
    {0, {{3, 2}, {4, 2}, {4, 2}, {5, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}, {10, 3}, {12, 3}, {15, 3}, {17, 3},
         {21, 3}, {27, 3}}},
}};
const std::array<Run<PowerCode>, 4> kPowerKX900 = {{
    {-20, {{2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {8, 0}, {10, 0}, {16, 0}, {25, 1}}},
    {-15, {{2, 0}, {2, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 0}, {5, 1}, {7, 1}, {9, 1}, {12, 1}, {19, 2}}},
    {-8, {{2, 2}, {2, 2}, {3, 2}, {3, 2}, {4, 2}, {5, 2}, {7, 2}, {9, 2}, {13, 3}, {24, 3}}},
    {-8, {{1, 2}, {1, 2}, {2, 2}, {2, 2}, {3, 2}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 3}, {9, 3}, {14, 3}, {29, 3}}},
}};

// TX current in mA by class; a class may list its powers in more than one run.
using CurrentRow = std::vector<Run<double>>;
const std::array<CurrentRow, 4> kCurrentKX400 = {{
    {{-5, {33, 36, 42, 47, 59, 64}}},
    {{-4, {22, 26, 28, 29, 31, 33, 36, 39, 46, 52, 64}}},
    {{0, {29, 31, 32, 34, 35, 37, 39, 40, 45, 48, 51, 57, 63}}},
    {{0, {30, 32, 32, 37, 37, 39, 41, 43, 44, 46, 49, 54, 57}}},
}};
const std::array<CurrentRow, 4> kCurrentKX900 = {{
    {{-20, {27, 29, 31, 32, 34, 37, 40, 50, 67}}},
    {{-15, {28, 28, 28, 30, 31, 31, 37, 40, 43, 47, 65}}},
    {{-8, {41, 41, 43, 43, 44, 46}}, {-1, {53}}},
    {{-8, {40, 40, 42, 42, 44, 44, 46, 53}}},
}};

// Data filter thresholds of the KX400 (frame H bits 12-10), compared with 1.3 x rate.
constexpr std::array<double, 7> kFilterThresholds = {2900, 4550, 6700, 9500, 12700, 19400, 37300};

template <typename Table>
const auto* ClassRow(const Table& table, int paClass) {
    return paClass >= 0 && paClass < static_cast<int>(table.size()) ? &table[static_cast<std::size_t>(paClass)]
                                                                      : nullptr;
}

int WholeDbm(double powerDbm) { return ToInt(std::trunc(powerDbm)); }

// ---- steps ----

void ModeBits(const Parameters& p, CTmpReg& f) {
    const bool powerDown = p.mode == kPDOscOn || p.mode == kPDOscOff;
    f.SetFrameBits(kA, 1 << 12, powerDown);
    f.SetFrameBits(kA, 1 << 11, p.mode == kTX || powerDown);
    f.SetFrameBits(kC, 1 << 4, p.mode == kPDOscOff);
    // Bits 5, 4, 3, 2: 1, 0, 1, 0 for optimum sensitivity, all 0 for optimum linearity.
    f.SetFrameField(kA, 0x3C, p.rxMode == 0 ? 0b1010 : 0b0000);
}

void FrameHBits(const Parameters& p, CTmpReg& f) {
    const bool kx900 = IsKX900(p.deviceNumber);
    const IfStageRow* stage = StageRow(p.ifStage);
    f.SetFrameBits(kH, 1 << 1, kx900 && p.ifStage != kExternal455);
    f.SetFrameBits(kH, 1 << 3, p.mode == kRXPrecharge);
    f.SetFrameBits(kH, 1 << 7, false);
    f.SetFrameBits(kH, 1 << 6, true);
    f.SetFrameBits(kH, 1 << 8, !kx900 && stage && stage->is455);
    f.SetFrameBits(kH, 1 << 9, p.mode == kRXPrecharge);
}

void DataFilterCodes(const Parameters& p, CTmpReg& f) {
    const double r = p.rate;
    if (IsKX900(p.deviceNumber)) {
        f.SetFrameField(kH, 0x1C00, r <= 2400 ? 0b000 : r <= 7000 ? 0b001 : 0b011);
        f.SetFrameField(kH, 0x30, r <= 1000 ? 0b00 : 0b11);
        return;
    }
    const double x = 1.3 * r;
    if (x > 0) {
        int exceeded = 0;
        for (double t : kFilterThresholds) exceeded += x > t ? 1 : 0;
        f.SetFrameField(kH, 0x1C00, exceeded);
    }
    const double y = r / 31.4;
    f.SetFrameField(kH, 0x30, y <= 42 ? 0b00 : y <= 85 ? 0b01 : y <= 170 ? 0b10 : 0b11);
}

Synthesis At(const Parameters& p, int k, double targetHz, double uHz) {
    Synthesis s{};
    s.k = k;
    s.fref = p.xtal / (2 * k + 4);
    double n = targetHz / s.fref;
    if (IsKX900(p.deviceNumber)) n /= 2;
    const int whole = ToInt(std::round(n));  // halves away from zero
    const long long counts = static_cast<long long>(whole) - 35;
    s.m = static_cast<int>(counts / 16);
    s.s = static_cast<int>(counts % 16);
    s.f = ToInt(std::round((n - whole) * 2048));
    s.u = RoundWord(uHz * 2048 / s.fref);
    return s;
}

void Write(const Synthesis& s, CTmpReg& f) {
    f.SetFrameField(kC, 0x0F, s.k);
    f.SetFrameField(kB, 0x7F, s.m);
    f.SetFrameField(kB, 0x780, s.s);
    f.SetFrameBits(kD, 1 << 10, s.f < 0);
    const long long magnitude = std::llabs(static_cast<long long>(s.f));
    f.SetFrameField(kD, 0x3FF, s.f < 0 ? static_cast<int>(1024 - magnitude) : s.f);
    f.SetFrameField(kE, 0xFF, s.u);
}

bool CountsOutOfOrder(const Synthesis& s) {
    return s.m < 14 ? static_cast<long long>(s.s) > static_cast<long long>(s.m) - 2 : s.s > s.m;
}

bool BeyondFraction(const Synthesis& s) {
    return std::llabs(static_cast<long long>(s.f) + s.u) > 1024;
}

Components LoopFilter(const Parameters& p, double fref) {
    const double k = p.deviceNumber == 4 ? 20e6 : 25e6;  // VCO gain, Hz/V
    const double rate = std::max(p.rate, 1800.0);
    const double wn = 1.7 * rate * 6.283;
    const double n = p.rf / fref;
    const double x = n * wn / (k * 4e-5);
    const double y = 3.2 / (x * wn);
    Components c;
    c.r121 = FormatReal("%2.1f", NearestStandard(x / 1e3, 3.3, 68));
    c.c121 = FormatReal("%2.2f", NearestStandard(y * 1e9, 0.47, 47));
    c.r122 = FormatReal("%3.0f", NearestStandard(5 * x / 1e3, 18, 330));
    c.c122 = FormatReal("%3.0f", NearestStandard(y / 20 * 1e12, 22, 2200));
    c.c123 = FormatReal("%3.1f", NearestStandard(y / 100 * 1e12, 4.7, 470));
    c.r123 = FormatReal("%3.0f", 22);
    return c;
}

// Input/output match of the KX400: fills the match components and returns the match
// code of frame F bits 5-3.
int MatchKX400(const Parameters& p, Components& c) {
    const double w = 6.283 * p.rf;
    const double w2 = w * w;
    const bool sensitivity = p.rxMode == 0;
    const double cIn = sensitivity ? 4.9e-12 : 4e-12;
    const double r = sensitivity ? 39.9 : 39;
    const double c51 = 220e-12, l61 = 8.2e-9;
    const double ceq = cIn * c51 / (cIn + c51);
    const double l1 = 1 / (w2 * ceq);
    const double q = std::sqrt(50 / r - 1);
    const double ls = q * r / w;
    const double l51 = NearestStandard((ls + l1) * 1e9, 27, 82);  // nH
    const double series = l51 * 1e-9 - 1 / (w2 * c51);
    const double lp = series * l61 / (series + l61);
    const double c61 = NearestStandard((1 / (w2 * lp) - 3e-12) * 1e12, 12, 33);  // pF
    c.c51 = FormatReal("%3.0f", 220);
    c.l51 = FormatReal("%3.0f", l51);
    c.l61 = FormatReal("%3.1f", 8.2);
    c.c61 = FormatReal("%3.0f", c61);
    // Trimming steps of 1.25 pF: what the tank and the network's parallel capacitance
    // leave over once C61 and the 3 pF of the pin are counted.
    const double parallel = q / (50 * w);
    const double x = 1 / (w2 * l61) + parallel - c61 * 1e-12 - 3e-12;
    return std::clamp(ToInt(std::round(x / 1.25e-12)), 0, 7);
}

void MatchKX900(const Parameters& p, Components& c) {
    c.c51 = FormatReal("%3.0f", 220);
    const double l51 = p.rf >= 900e6 && p.rf <= 930e6 ? 10 : 12;
    c.l51 = p.rf >= 850e6 && p.rf <= 930e6 ? FormatReal("%3.0f", l51) : "TBD";
    c.l61 = FormatReal("%3.1f", 100);
    c.c61 = "N.A.";
}

}  // namespace

IfWindow Window(const Parameters& p) {
    const IfStageRow* stage = StageRow(p.ifStage);
    const double fif = stage ? stage->fif : NAN;
    const double uncertainty = 2 * p.rf * p.ppm;
    return {fif, fif - uncertainty - p.sep / 2, fif + uncertainty + p.sep / 2};
}

std::optional<int> IfOptionCode(const Parameters& p, const IfWindow& w) {
    const IfStageRow* stage = StageRow(p.ifStage);
    if (!stage) return std::nullopt;
    const bool kx900 = IsKX900(p.deviceNumber);
    // The three windows a period P allows, in the order they are tried.
    auto first = [&](double t) { return 1 / t < w.lo && w.hi < 3 / (2 * t); };
    auto second = [&](double t) { return 1 / (2 * t) < w.lo && w.hi < 1 / t; };
    if (stage->is455) {
        const double t = (kx900 ? 1452 : 726) / p.rf;
        if (first(t) || second(t) || w.hi < 1 / (2 * t)) return 2;
        return std::nullopt;
    }
    const PeriodRow& row = kPeriods[static_cast<std::size_t>(p.ifStage)];
    const double g2 = kx900 ? 1.0 / 33 : 2.0 / 33;
    const double g3 = kx900 ? 1.0 / 66 : 1.0 / 33;
    const std::array<double, 3> candidates = {row.n1 / p.xtal, row.n2 / (p.rf * g2), row.n1 / (p.rf * g3)};
    std::array<int, 3> chosen{};
    for (std::size_t t = 0; t < 3; ++t) {
        for (int c = 1; c < 3; ++c)  // on equal distance the earlier candidate stays
            if (std::abs(candidates[static_cast<std::size_t>(c)] - row.targets[t]) <
                std::abs(candidates[static_cast<std::size_t>(chosen[t])] - row.targets[t]))
                chosen[t] = c;
    }
    auto period = [&](std::size_t target) { return candidates[static_cast<std::size_t>(chosen[target])]; };
    if (first(period(0))) return chosen[0] + 1;
    if (second(period(1))) return chosen[1] + 1;
    if (w.lo > 0 && w.hi < 1 / (2 * period(2))) return chosen[2] + 1;
    return std::nullopt;
}

int StartCode(double xtalHz) {
    if (xtalHz >= 4e6 && xtalHz <= 8e6) return 0;
    if (xtalHz > 8e6 && xtalHz <= 12e6) return 1;
    return 2;  // below 4 MHz and above 12 MHz
}

Synthesis Search(const Parameters& p, double targetHz, double uHz, bool receive, CTmpReg* frames) {
    for (int k = StartCode(p.xtal);; ++k) {
        const Synthesis s = At(p, k, targetHz, uHz);
        if (frames) Write(s, *frames);
        bool again = BeyondFraction(s) || CountsOutOfOrder(s);
        if (!receive) again = again || s.u > 255 || std::llabs(static_cast<long long>(s.f)) < 24;
        // The ratio 2k + 4 stays below 36: k = 16 would reach into frame C bit 4.
        if (!again || 2 * (k + 1) + 4 >= 36) return s;
    }
}

std::optional<PowerCode> LookUpPower(double deviceNumber, int paClass, double powerDbm) {
    const auto* row = ClassRow(IsKX900(deviceNumber) ? kPowerKX900 : kPowerKX400, paClass);
    if (!row || std::isnan(powerDbm)) return std::nullopt;
    const long long offset = static_cast<long long>(WholeDbm(powerDbm)) - row->first;
    if (offset < 0 || offset >= static_cast<long long>(row->values.size())) return std::nullopt;
    return row->values[static_cast<std::size_t>(offset)];
}

std::optional<double> TypicalCurrent(double deviceNumber, int mode, int paClass, double powerDbm) {
    const bool kx900 = IsKX900(deviceNumber);
    switch (mode) {
        case kRX:
        case kRXPrecharge: return kx900 ? 23 : 18;
        case kPDOscOn: return 0.03;
        case kPDOscOff: return 0.0002;
        case kTX: break;
        default: return std::nullopt;
    }
    const CurrentRow* row = ClassRow(kx900 ? kCurrentKX900 : kCurrentKX400, paClass);
    if (!row || std::isnan(powerDbm)) return std::nullopt;
    // Powers the table does not list take the figure of the nearest listed power, the
    // higher one on a tie.
    const long long dbm = WholeDbm(powerDbm);
    std::optional<double> best;
    long long bestDistance = 0;
    for (const Run<double>& run : *row) {
        for (std::size_t i = 0; i < run.values.size(); ++i) {
            const long long distance = std::llabs(run.first + static_cast<long long>(i) - dbm);
            if (!best || distance <= bestDistance) {  // listed upward: a tie goes to the higher
                best = run.values[i];
                bestDistance = distance;
            }
        }
    }
    return best;
}

double NearestStandard(double x, double lo, double hi) {
    static constexpr std::array<int, 12> kE12 = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
    std::vector<double> list;
    for (int e = -3; e <= 6; ++e) {
        for (int m : kE12) {
            // Divided by an exact power of ten, 47 / 100 is the same double as 0.47.
            const double v = e < 1 ? m / std::pow(10.0, 1 - e) : m * std::pow(10.0, e - 1);
            if (v >= lo && v <= hi) list.push_back(v);
        }
    }
    if (list.empty()) return x;
    if (!(x > list.front())) return list.front();  // also NaN
    if (x >= list.back()) return list.back();
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (x > list[i]) continue;
        const double below = list[i - 1], above = list[i];
        return x - below <= above - x ? below : above;
    }
    return list.back();
}

void SetDeviceBits(CTmpReg& frames, double deviceNumber) {
    frames.SetFrameField(kB, 0x1800, IsKX900(deviceNumber) ? 0b01 : 0b10);
}

Outcome Calculate(const Parameters& p) {
    Outcome out;
    CTmpReg& f = out.frames;
    const bool kx900 = IsKX900(p.deviceNumber);
    auto fail = [&out](const char* message) {
        out.messages.emplace_back(message);
        out.failed = true;
        return out;
    };

    // 1, 2.
    ModeBits(p, f);
    const IfStageRow* stage = StageRow(p.ifStage);
    if (stage) f.SetFrameField(kF, 0x600, stage->stageBits);

    // 3. The IF window and the IF/reference option.
    const IfWindow window = Window(p);
    const auto option = IfOptionCode(p, window);
    if (!option) return fail(msg::kIfUncertainty);
    f.SetFrameField(kF, 0x1800, *option);

    // 4, 5.
    FrameHBits(p, f);
    DataFilterCodes(p, f);

    // 6. The IF filter and frame G.
    if ((p.ifStage == k60kHz && p.rate + window.hi > 80000) || (p.ifStage == k200kHz && p.rate + window.hi > 300000))
        return fail(msg::kIfFilter);
    if (p.ifStage == kExternal455)
        out.messages.push_back(FormatReal(msg::kExternalFilter, (2 * p.rate + window.hi - window.lo) / 1000));
    f.SetFrameField(kG, 0x1FFF, stage->frameG);

    // 7. The synthesizer, then the receive search that fixes fref for the loop filter.
    const bool tx = p.mode == kTX;
    const double target = tx ? p.rf - p.sep / 2 : p.rf - window.fif;
    const double uHz = tx ? (kx900 ? p.sep / 2 : p.sep) : 0;
    const Synthesis synthesis = Search(p, target, uHz, false, &f);
    if (synthesis.u > 255 || BeyondFraction(synthesis)) out.messages.emplace_back(msg::kSynthesizer);
    const Synthesis receive = Search(p, p.rf - window.fif, 0, true, nullptr);

    // 8. The power amplifier.
    f.SetFrameField(kE, 0x300, p.paClass);
    const auto power = LookUpPower(p.deviceNumber, p.paClass, p.power);
    if (!power) return fail(msg::kIllegalPower);
    f.SetFrameField(kD, 0x1800, power->d & 3);
    f.SetFrameField(kA, 0xC0, (power->d >> 2) & 3);
    f.SetFrameField(kC, 0x100, (power->d >> 4) & 1);
    f.SetFrameField(kF, 0x3, power->c);

    // 9, 10.
    if (p.lock >= 0 && p.lock < static_cast<int>(kLockCodes.size()))
        f.SetFrameField(kE, 0xC00, kLockCodes[static_cast<std::size_t>(p.lock)]);
    f.SetFrameField(kC, 0xE00, p.vcoCurrent);

    // 11. Components, the match code and the current.
    out.components = LoopFilter(p, receive.fref);
    int matchCode = 0;
    if (kx900) MatchKX900(p, out.components);
    else matchCode = MatchKX400(p, out.components);
    f.SetFrameBits(kF, 1 << 2, false);
    f.SetFrameField(kF, 0x38, matchCode);
    out.current = TypicalCurrent(p.deviceNumber, p.mode, p.paClass, p.power);
    return out;
}

}  // namespace tessary::kx400

#pragma once
// The KX6200 calculation, step by step, as pure functions. The form runs them in its
// order; the reports and the KX6500 and KX6300 forms reuse the ones they share.

#include <optional>
#include <string>

namespace tessary::kx6200 {

enum Mode { kRX = 0, kTX = 1, kPD = 2, kXoscCore = 3, kXoscCoreBias = 4, kXoscCoreBiasSynth = 5 };
enum IfRssi { kRssiEnabled = 0, kExternalIf = 1, kIfDisabled = 2 };

namespace msg {
inline constexpr const char* kRateNeedsFasterXtal =
    "Please have in mind that the crystal frequency must be higher than 12 MHz\nin order to get a higher data rate "
    "than 19.2 kbaud.";
inline constexpr const char* kIfUncertainty =
    "This combination gives a too large frequency\nuncertainty for the IF stage. Please \nimprove the crystal "
    "accuracy (lower ppm).";
inline constexpr const char* kNoOptimalFrequency =
    "Tessary Studio are unable to generate\nthis optimal frequency using this Crystal";
inline constexpr const char* kSynthOutOfLimit = "Synthesiser setting is out of limit\nusing same reference frequency";
inline constexpr const char* kSeparationTooLarge =
    "The frequency separation is to large for this combination\nof crystal frequency and RF frequency.";
inline constexpr const char* kMaxPower5dBm = "Max output power is 5 dBm for this frequency choice";
inline constexpr const char* kXtalRanges = "Xtal most be between 3-4, 6-8, 9-12 or 12-16 MHz";
inline constexpr const char* kCrystalListNote =
    "Please have in mind that in synchronous mode (Manchester or NRZ) the data rate is given by the crystal "
    "frequency.\n For this reason you will not get the data rate indicated using this crystal frequency. For "
    "accurate\ndata rate please use the recommended crystal frequencies. Push OK to continue.";
}  // namespace msg

// R(x) of the register formulas: truncation of x + 0.5, clamped to int.
int RoundWord(double x);
// A formula's result as int: clamped, NaN as 0. Parameters are validated, but a
// document file can hold any bytes.
int ToInt(double x);
// The index of a power, truncated to whole dBm, into a table from -20 dBm up to
// highestDbm (the KX6300's tables go to 12 dBm).
std::optional<std::size_t> PowerIndex(double powerDbm, int highestDbm = 10);

// Step 1.1: the data-rate snap.
struct RateSnap {
    double rate;
    bool replaced;       // synchronous formats: the rate went through the snap table
    bool message;        // the "higher than 12 MHz" note
};
RateSnap SnapSynchronousRate(double xtalMHz, double rate);
// True when the crystal is one of the four crystals the synchronous rates come from.
bool IsRecommendedCrystal(double xtalMHz);

// Step 1.2: whether the frequency uncertainty is too large for the IF.
bool IfUncertaintyTooLarge(double ppm, double fActMHz);

// Step 2.
int MainValue(int mode, int active);

// Step 3.1: synthesiser frequency in Hz for one frequency and its direction; ifHz is
// the chip's internal IF (the KX6500 uses 130 kHz above 500 MHz).
double SynthFrequency(double rfMHz, int directionTx, double sepKHz, int ifRssi, int lowLo, double ifHz = 150000);

struct DividerResult {
    double divider;  // whole number, 2 or more
    double word;     // F before rounding
};
// Step 3.2: the smallest divider from 2 up that gives a reference of at most
// 2.4576 MHz and a word above 4194304. Nothing when no divider can (f_synth <= 0).
// wordMayEqual: the KX6500 also ends the search at a word of exactly 4194304.
std::optional<DividerResult> DividerSearch(double xtalMHz, double fSynthHz, bool wordMayEqual = false);

struct OptimalResult {
    double divider;
    double r, n, word;
    double newFrequencyMHz;
    bool reachable;  // false: the reference ended above 2.46 MHz
};
// Step 3.3: candidates 1 to lastCandidate, stepping dividers 2 to lastDivider.
OptimalResult OptimalSearch(double xtalMHz, double rfAMHz, int lowLo, double fSynthHz, double ifHz = 150000,
                            int lastCandidate = 15, int lastDivider = 16);

// Step 4: the B word for a divider, or nothing when out of the synthesiser's range.
std::optional<int> FrequencyWordB(double xtalMHz, double fSynthHz, double divider);

// Step 5: FSEP and whether it was capped at 2047.
struct FsepResult {
    int value;
    bool capped;
};
FsepResult Fsep(double xtalMHz, double sepKHz, double dividerTx);

// Step 6.
int CurrentRegister(double fActMHz, int mode, int lowCurrent);

// Step 7: nothing when the power is outside -20 to 10; message when capped above 500 MHz.
struct PaPowResult {
    int value;
    bool message;
};
std::optional<PaPowResult> PaPow(double powerDbm, double fActMHz);

// Step 8.
int PllValue(int mode, double divider, double dividerTx);
// Step 9.
int LockValue(int lock);
// Step 11.
double ModemClockMHz(double xtalMHz, double rate);
int Modem2(double xtalMHz, double rate, double rfAMHz, double ppm, double sepKHz);
// Step 13: the xtal message flag when no crystal range covers the crystal.
struct Modem0Result {
    int value;
    bool xtalMessage;
};
int BaudRateCode(double rate);
Modem0Result Modem0(double rate, int format, double xtalMHz);
// Step 14.
int MatchValue(double rfAMHz, double rfBMHz);
// Step 16.
int FrontEnd(double fActMHz, int lowCurrent, int ifRssi, int xosc);
// Step 17.
int Test4Value(double rate);

// Step 18: component texts.
struct Components {
    std::string l101, l32, l41, c31, c41, c42;
};
Components ComponentValues(double fActMHz);
std::string VcoInductor(double fActMHz);

// Step 19: the typical current, or nothing when TX with the power outside the table
// (the previous figure stays).
std::optional<double> TypicalCurrent(int mode, double fActMHz, int lowCurrent, double xtalMHz, double powerDbm);

}  // namespace tessary::kx6200

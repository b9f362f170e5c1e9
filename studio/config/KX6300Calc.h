#pragma once
// The KX6300's own calculation steps. The transmitter shares the KX6200's divider
// search, word rounding, B word and FSEP; what differs is here.

#include <optional>
#include <string>

#include "studio/config/KX6200Calc.h"

namespace tessary::kx6300 {

enum Mode { kTX = 0, kPD = 1, kXoscCore = 2, kXoscCoreBias = 3, kXoscCoreBiasSynth = 4 };
enum Format { kNRZ = 0, kManchester = 1, kUART = 2 };

namespace msg {
inline constexpr const char* kMaxPower8dBm = "Max output power is 8 dBm for this frequency choice";
}  // namespace msg

// Step 1: NRZ and Manchester with one of the four recommended crystals go through the
// snap table (no message); every other case keeps the rate.
kx6200::RateSnap SnapSynchronousRate(int format, double xtalMHz, double rate);

// Step 2.
int MainValue(int mode, int active);

// Step 3: the transmitter's synthesiser sits at the lower FSK frequency.
double SynthFrequency(double rfMHz, double sepKHz);

// Step 6.
int CurrentRegister(double fActMHz);
// Step 8: nothing outside -20 to 12 dBm; the message from 9 dBm in the upper band.
std::optional<kx6200::PaPowResult> PaPow(double powerDbm, double fActMHz);
// Step 9: one divider for both words and the PLL.
int PllValue(double divider);
// Step 10.
int LockValue(int lock);
// Step 12, with the xtal message flag when no range holds the crystal.
int BaudRateCode(double rate);
kx6200::Modem0Result Modem0(double rate, int format, double xtalMHz);
// Step 13.
int FsctrlValue(int shape);
// Step 14: PRESCALER and TEST4.
int PrescalerValue(double rate);
int Test4Value(double rate);

// Step 15: "%2.1f" texts, or "TBD" for all four.
struct Components {
    std::string l1, l2, c1, c2;
};
Components ComponentValues(double fActMHz);

// Step 16: nothing when TX with the power outside the table (the figure stays).
std::optional<double> TypicalCurrent(int mode, double fActMHz, double xtalMHz, double powerDbm);

}  // namespace tessary::kx6300

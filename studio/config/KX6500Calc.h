#pragma once
// The KX6500's own calculation steps, where they differ from the KX6200's.

#include <array>
#include <optional>

#include "studio/config/KX6200Calc.h"

namespace tessary::kx6500 {

enum Format { kNRZ = 0, kManchester = 1, kTransparent = 2, kUART = 3 };

namespace msg {
inline constexpr const char* kRateNeeds384Xtal =
    "Please have in mind that the crystal frequency\nmust be 7.3728, 14.745600 or 22.118400  MHz\nin order to get "
    "standard baudrates up to 38.4\nkbaud.";
inline constexpr const char* kRateNeeds768Xtal =
    "Please have in mind that the crystal frequency must be 14.745600  MHz\nin order to get standard baudrates up "
    "to 76.8 kbaud.";
inline constexpr const char* kBerRateTooHigh =
    "This datarate is to high for the BER estimator.\nThe maximum datarate is 4.8 kbaud.";
inline constexpr const char* kMaxPower4dBm = "Max output power is 4 dBm for this frequency choice";
inline constexpr const char* kXtalRanges =
    "Xtal most be between:\n\n \t3-4 MHz\n \t6-8 MHz\n\t9-12 MHz\n\t12-16 MHz\n\t16-20 MHz\n\t20-24 MHz";
inline constexpr const char* kShapingSeparation =
    "The frequency separation is to large. The register FSEP must\nbe less than 64 (dec), in order to use this "
    "shaping feature.";
}  // namespace msg

// The internal IF, by the band of RF A.
double IfA(double rfAMHz);
bool IsRecommendedCrystal(double xtalMHz);

// Step 1.1 for NRZ and Manchester: the new rate and the message to show first, if any.
struct RateSnap {
    double rate;
    bool replaced;
    const char* message;  // nullptr: none
};
RateSnap SnapSynchronousRate(double xtalMHz, double rate);

int MainValue(int mode, int active);  // RFMAIN: no reset bit
int CurrentRegister(double fActMHz, int mode);
std::optional<kx6200::PaPowResult> PaPower(double powerDbm, double fActMHz);
int PllValue(int mode, double divider, double dividerTx);
double ModemClockMHz(double xtalMHz, double rate);
int Modem2(double xtalMHz, double rate, double rfAMHz, double ppm, double sepKHz);
kx6200::Modem0Result Modem0(double rate, int format, double xtalMHz);
int MatchValue(double rfAMHz, double rfBMHz);
int FsctrlValue(int shape);

// Step 16: the seven FSHAPE values for slots 28 down to 22 and whether the shaping
// message is due.
struct Fshape {
    std::array<int, 7> values;  // k = 1 to 7
    bool message;
};
Fshape FshapeValues(double xtalMHz, double sepKHz, double divider, int shape);
int FsdelayValue(double xtalMHz, double divider, double rate);
int FrendValue(double fActMHz, int ifRssi, int xosc);
int Test6Value(int mode);
// Slot 36, the estimator set-up byte of register B4h.
int EstimatorSetup(int enable, int window, int signal);
kx6200::Components ComponentValues(double fActMHz);
std::optional<double> TypicalCurrent(int mode, double fActMHz, double xtalMHz, double powerDbm);

}  // namespace tessary::kx6500

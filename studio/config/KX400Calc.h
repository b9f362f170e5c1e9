#pragma once
// The KX400/KX900 calculation: the form's parameters in SI units become the eight
// frames A to H, the component texts and the typical current. One engine serves both
// chips; the device number selects every difference (9 is the KX900, any other number
// the KX400). Pure functions, so that the form, the register listing and the tests run
// the same steps.

#include <optional>
#include <string>
#include <vector>

#include "studio/config/CRegister.h"

namespace tessary::kx400 {

enum Mode { kRX = 0, kTX = 1, kPDOscOn = 2, kPDOscOff = 3, kRXPrecharge = 4 };
inline constexpr int kModeCount = 5;
enum IfStage { k60kHz = 0, k200kHz = 1, kInternal455 = 2, kExternal455 = 3 };
enum Frame { kA = 0, kB, kC, kD, kE, kF, kG, kH };

namespace msg {
// String 1210.
inline constexpr const char* kIfUncertainty =
    "This combination of frequency separation, RF frequency and XTAL\noscillator frequency or accuracy gives a too "
    "large frequency uncertainty or\ndeviation for this IF stage! You must use other parameters to get a legal\n"
    "combination.\n\nTry to use a 12 MHz crystal with higher accuracy (lower ppm) or lower\nfrequency separation.\n\n"
    "If this does not work you have to use an IF stage with wider bandwidth;\nchoose 200 kHz or 455 kHz internal "
    "filter. ";
// String 1211.
inline constexpr const char* kIfFilter =
    "You have selected a too low crystal accuracy or too high deviation for this IF stage. Choose a better crystal, "
    "or reduce the frequency separation.";
// String 1212.
inline constexpr const char* kIllegalPower =
    "An illegal value has been entered. Please select a different amplifier\nclass or change the output power level. "
    "See the info buttons for further\ndetails. ";
inline constexpr const char* kSynthesizer =
    "Unable to calculate valid register setting for this combination of \nfrequency separation and carrier "
    "frequency.";
// Filled with the bandwidth in kHz.
inline constexpr const char* kExternalFilter =
    "The If filter you are using should have a bandwidth > %1.2f kHz.\n\nThis bandwidth take frequency offset, "
    "datarate \nand separation into account.";
}  // namespace msg

// The form's values, converted to Hz, a plain fraction, Hz, Hz and bit/s.
struct Parameters {
    double xtal = 0;
    double ppm = 0;
    double rf = 0;
    int ifStage = 0;
    double sep = 0;
    double rate = 0;
    int paClass = 0;
    double power = 0;
    int mode = 0;
    int rxMode = 0;
    int lock = 0;
    int vcoCurrent = 0;
    double deviceNumber = -1;
};

inline bool IsKX900(double deviceNumber) { return deviceNumber == 9; }

// Texts exactly as the form shows them.
struct Components {
    std::string r121, c121, r122, c122, c123, r123, c51, l51, l61, c61;
};

struct Outcome {
    CTmpReg frames;
    // In the order they are shown; a failing step's message comes last.
    std::vector<std::string> messages;
    bool failed = false;
    // Only when no step failed.
    Components components;
    // Nothing when the mode has no figure (the previous one stays).
    std::optional<double> current;
};

// Steps 1 to 11 into a fresh frame set. Frame B's device bits are not set here.
Outcome Calculate(const Parameters& p);
// Step 12's frame B bits 12-11: 01 for the KX900, 10 otherwise.
void SetDeviceBits(CTmpReg& frames, double deviceNumber);

// ---- the steps, for the form's reports and for tests ----

struct IfWindow {
    double fif, lo, hi;
};
IfWindow Window(const Parameters& p);
// Step 3: the IF/reference option code 1 to 3; nothing when no window fits (1210).
std::optional<int> IfOptionCode(const Parameters& p, const IfWindow& w);

// Step 7.2.
int StartCode(double xtalHz);
// One synthesizer setting for the ratio 2k + 4.
struct Synthesis {
    int k;
    double fref;
    int m, s;  // main and swallow count
    int f;     // fractional part, -1024 to 1024
    int u;     // separation word
};
// Step 7's search for a target frequency; u only in TX (uHz: the separation it counts).
// receive: the second search, without the conditions on u and on |F| < 24. Each
// setting tried is written into frames when they are given.
Synthesis Search(const Parameters& p, double targetHz, double uHz, bool receive, CTmpReg* frames);

struct PowerCode {
    int d, c;
};
// Step 8: nothing for a power outside the class's row (1212).
std::optional<PowerCode> LookUpPower(double deviceNumber, int paClass, double powerDbm);
// Step 11.5.
std::optional<double> TypicalCurrent(double deviceNumber, int mode, int paClass, double powerDbm);

// The standard value of a list nearest to x: the lower of two equally near neighbours,
// the first entry below the list and the last above it. The list is the E12 series
// from lo to hi inclusive, in the unit the value is given in.
double NearestStandard(double x, double lo, double hi);

}  // namespace tessary::kx400

#pragma once
// The range checks of the numeric fields. Each answers nothing when the value passes,
// else the message to show. NaN never passes.

#include <optional>
#include <string>

namespace tessary {

using CheckResult = std::optional<std::string>;

// code: the validation code of the form (4, 9 or -1 on the KX400/KX900 form, 1 on the
// KX6200 and KX6300 forms, 11 for the KX6500 crystal).
CheckResult CheckCrystal(double mhz, double code);
CheckResult CheckAccuracy(double ppm);
CheckResult CheckRfFrequency(double mhz, double code);
CheckResult CheckSeparation(double khz, double code);
CheckResult CheckDataRate(double kbaud, double code);
CheckResult CheckOutputPower(double dbm, double lower, double upper);

}  // namespace tessary

#pragma once
// Taking a form's controls over into its values: one pass in the form's own order,
// stopped by the first field that does not parse or is out of range.

#include <optional>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "studio/config/FormFields.h"

namespace tessary {

enum class TakeOverStepKind {
    Index,       // a list, radio group or check box: taken as is
    Power,       // parse, then the power range (when the form has one)
    Crystal,     // parse, then the crystal check for the form's code
    Accuracy,    // parse, then 0 to 500 ppm
    RfPair,      // parse RF A and RF B, then check both
    Rf,          // the single RF field of the KX400/KX900 form
    Separation,  // parse, then 0 to 200 kHz
    DataRate,    // parse, then the data-rate check for the form's code
};

struct TakeOverStep {
    TakeOverStepKind kind;
    FieldId field = FieldId::Count;  // for Index steps
};

struct TakeOverSpec {
    std::vector<TakeOverStep> order;
    double crystalCode = 1;
    double rangeCode = 1;  // RF, separation and data rate
    std::optional<std::pair<double, double>> powerLimits;
};

struct TakeOverFailure {
    UserMessage message;  // caption left for the form to fill
    FieldId focus;
};

// Values read before a failure stay in `values`, as they do in the form.
std::optional<TakeOverFailure> TakeOver(const TakeOverSpec& rules, const FormControls& controls,
                                        FieldValues& values);

// The orders of the four forms.
TakeOverSpec TakeOverKX6200();
TakeOverSpec TakeOverKX6500();
TakeOverSpec TakeOverKX6300();
TakeOverSpec TakeOverKX400(double deviceNumber);

}  // namespace tessary

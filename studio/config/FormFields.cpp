#include "studio/config/FormFields.h"

#include "studio/config/ParseReal.h"

namespace tessary {

namespace {
constexpr std::array<NumericFieldSpec, 8> kNumericFields = {{
    {FieldId::Xtal, "%2.6f", 6, "The crystal frequency is not a floating point number"},
    {FieldId::Ppm, "%2.0f", 0, "The crystal accuracy is not a floating point number"},
    {FieldId::RfA, "%3.6f", -1, "The RF frequency is not a floating point number"},
    {FieldId::RfB, "%3.6f", -1, "The RF frequency is not a floating point number"},
    {FieldId::Rf, "%3.6f", -1, "The RF frequency is not a floating point number"},
    {FieldId::Sep, "%.0f", 0, "The frequency separation is not a floating point number"},
    {FieldId::Rate, "%1.1f", 1, "The data rate is not a floating point number"},
    {FieldId::Power, "%.0f", 0, "The RF output power is not a floating point number"},
}};
}  // namespace

const NumericFieldSpec* FindNumericSpec(FieldId id) {
    for (const auto& parameter : kNumericFields)
        if (parameter.id == id) return &parameter;
    return nullptr;
}

int ChoiceCount(const ControlSpec& control) {
    switch (control.kind) {
        case ControlKind::Check: return 2;
        case ControlKind::List:
        case ControlKind::Radio: return static_cast<int>(control.entries.size());
        default: return 0;
    }
}

void FormatIntoControls(const FieldValues& values, const std::vector<ControlSpec>& controls,
                        FormControls& out) {
    for (const auto& control : controls) {
        const std::size_t i = Index(control.id);
        if (const NumericFieldSpec* parameter = FindNumericSpec(control.id))
            out.text[i] = FormatReal(parameter->displayFormat, values.number[i]);
        else
            out.selection[i] = values.index[i];
    }
}

}  // namespace tessary

#include "studio/config/TakeOver.h"

#include "studio/config/ParseReal.h"
#include "studio/config/RangeChecks.h"

namespace tessary {

namespace {

using K = TakeOverStepKind;
using F = FieldId;

TakeOverFailure ParseFailure(FieldId id) {
    return {{FindNumericSpec(id)->parseMessage, "", MessageIcon::None}, id};
}

TakeOverFailure RangeFailure(FieldId id, std::string text) {
    return {{std::move(text), "", MessageIcon::Exclamation}, id};
}

// Parses and rounds one numeric field into values; false when it is not a number.
bool ReadNumber(FieldId id, const FormControls& controls, FieldValues& values) {
    const std::size_t i = Index(id);
    const auto parsed = ParseReal(controls.text[i]);
    if (!parsed) return false;
    const int decimals = FindNumericSpec(id)->decimals;
    values.number[i] = decimals >= 0 ? RoundToDecimals(*parsed, decimals) : *parsed;
    return true;
}

std::optional<TakeOverFailure> ReadChecked(FieldId id, const FormControls& controls, FieldValues& values,
                                           CheckResult (*check)(double, double), double code) {
    if (!ReadNumber(id, controls, values)) return ParseFailure(id);
    if (auto bad = check(values.number[Index(id)], code)) return RangeFailure(id, *bad);
    return std::nullopt;
}

std::optional<TakeOverFailure> RunStep(const TakeOverStep& step, const TakeOverSpec& rules,
                                       const FormControls& controls, FieldValues& values) {
    switch (step.kind) {
        case K::Index:
            values.index[Index(step.field)] = controls.selection[Index(step.field)];
            return std::nullopt;
        case K::Power: {
            if (!ReadNumber(F::Power, controls, values)) return ParseFailure(F::Power);
            if (rules.powerLimits) {
                const auto [lo, hi] = *rules.powerLimits;
                if (auto bad = CheckOutputPower(values.number[Index(F::Power)], lo, hi))
                    return RangeFailure(F::Power, *bad);
            }
            return std::nullopt;
        }
        case K::Crystal: return ReadChecked(F::Xtal, controls, values, CheckCrystal, rules.crystalCode);
        case K::Accuracy:
            return ReadChecked(F::Ppm, controls, values, [](double v, double) { return CheckAccuracy(v); }, 0);
        case K::RfPair:
            if (!ReadNumber(F::RfA, controls, values)) return ParseFailure(F::RfA);
            if (!ReadNumber(F::RfB, controls, values)) return ParseFailure(F::RfB);
            if (auto bad = CheckRfFrequency(values.number[Index(F::RfA)], rules.rangeCode))
                return RangeFailure(F::RfA, *bad);
            if (auto bad = CheckRfFrequency(values.number[Index(F::RfB)], rules.rangeCode))
                return RangeFailure(F::RfB, *bad);
            return std::nullopt;
        case K::Rf: return ReadChecked(F::Rf, controls, values, CheckRfFrequency, rules.rangeCode);
        case K::Separation: return ReadChecked(F::Sep, controls, values, CheckSeparation, rules.rangeCode);
        case K::DataRate: return ReadChecked(F::Rate, controls, values, CheckDataRate, rules.rangeCode);
    }
    return std::nullopt;
}

TakeOverStep I(FieldId id) { return {K::Index, id}; }

}  // namespace

std::optional<TakeOverFailure> TakeOver(const TakeOverSpec& rules, const FormControls& controls,
                                        FieldValues& values) {
    for (const auto& step : rules.order)
        if (auto failure = RunStep(step, rules, controls, values)) return failure;
    return std::nullopt;
}

TakeOverSpec TakeOverKX6200() {
    TakeOverSpec rules;
    rules.order = {I(F::Format), {K::Power}, I(F::RxMode), I(F::Shape), I(F::Lock), I(F::IfRssi),
                  I(F::Mode), I(F::Xosc), I(F::Active), I(F::DirA), I(F::DirB), I(F::Settling),
                  I(F::Optimal), I(F::LowLo), I(F::LowCurrent), {K::Crystal}, {K::Accuracy},
                  {K::RfPair}, {K::Separation}, {K::DataRate}};
    rules.crystalCode = 1;
    rules.rangeCode = 1;
    rules.powerLimits = {{-20, 10}};
    return rules;
}

TakeOverSpec TakeOverKX6500() {
    TakeOverSpec rules;
    rules.order = {I(F::Format), {K::Power}, I(F::Shape), I(F::Lock), I(F::IfRssi), I(F::Mode),
                  I(F::Xosc), I(F::Active), I(F::DirA), I(F::DirB), I(F::Settling), I(F::Optimal),
                  I(F::LowLo), I(F::LowCurrent), I(F::BerWindow), I(F::BerEnable), I(F::SigType),
                  {K::Crystal}, {K::Accuracy}, {K::RfPair}, {K::Separation}, {K::DataRate}};
    rules.crystalCode = 11;
    rules.rangeCode = 1;
    rules.powerLimits = {{-20, 10}};
    return rules;
}

TakeOverSpec TakeOverKX6300() {
    TakeOverSpec rules;
    rules.order = {I(F::Format), {K::Power}, I(F::Shape), I(F::Lock), I(F::Mode), I(F::Xosc),
                  I(F::Active), {K::Crystal}, {K::RfPair}, {K::Separation}, {K::DataRate}};
    rules.crystalCode = 1;
    rules.rangeCode = 1;
    rules.powerLimits = {{-20, 12}};
    return rules;
}

TakeOverSpec TakeOverKX400(double deviceNumber) {
    TakeOverSpec rules;
    rules.order = {I(F::IfStage), I(F::Lock), I(F::Mode), I(F::PaClass), I(F::RxMode), I(F::VcoCurrent),
                  {K::Crystal}, {K::DataRate}, {K::Rf}, {K::Accuracy}, {K::Separation}, {K::Power}};
    rules.crystalCode = deviceNumber;
    rules.rangeCode = deviceNumber;
    return rules;
}

}  // namespace tessary

#include "studio/config/SharedBlockForm.h"

#include <cmath>

namespace tessary {

using F = FieldId;

const BlockBinding<KX6200Block>& SharedBlockForm::Binding() {
    using B = KX6200Block;
    static const BlockBinding<B> binding = {
        {{F::Xtal, &B::xtal}, {F::Ppm, &B::ppm}, {F::RfA, &B::rfA}, {F::RfB, &B::rfB}, {F::Sep, &B::sep},
         {F::Rate, &B::rate}, {F::Power, &B::power}},
        {{F::Format, &B::format}, {F::RxMode, &B::rxMode}, {F::Shape, &B::shape}, {F::Lock, &B::lock},
         {F::IfRssi, &B::ifRssi}, {F::Mode, &B::mode}, {F::Xosc, &B::xosc}, {F::Active, &B::active},
         {F::DirA, &B::dirA}, {F::DirB, &B::dirB}, {F::Settling, &B::settling}, {F::Optimal, &B::optimal},
         {F::LowLo, &B::lowLo}, {F::LowCurrent, &B::lowCurrent}},
    };
    return binding;
}

std::vector<ControlSpec> SharedBlockForm::ComposeControls(std::vector<ControlSpec> deviceLists, bool lowCurrentHidden,
                                                          std::vector<ControlSpec> extra) {
    using C = ControlKind;
    std::vector<ControlSpec> table = {
        {F::Xtal, "xtal", C::EditableList, {}}, {F::Ppm, "ppm", C::Text, {}},   {F::RfA, "rf_a", C::Text, {}},
        {F::RfB, "rf_b", C::Text, {}},          {F::Sep, "sep", C::Text, {}},   {F::Rate, "rate", C::Text, {}},
        {F::Power, "power", C::Text, {}},
    };
    table.insert(table.end(), deviceLists.begin(), deviceLists.end());
    const std::vector<ControlSpec> shared = {
        {F::IfRssi, "if_rssi", C::List, {"RSSI Enabled", "External 10.7MHz IF", "Disabled"}},
        {F::Mode, "mode", C::List, {"RX", "TX", "PD", "XOSC Core Only", "XOSC Core & Bias", "XOSC Core, Bias & Synth"}},
        {F::Xosc, "xosc", C::Radio, {"Int", "Ext"}},
        {F::Active, "active", C::Radio, {"A", "B"}},
        {F::DirA, "dir_a", C::Radio, {"Rx", "Tx"}},
        {F::DirB, "dir_b", C::Radio, {"Rx", "Tx"}},
        {F::Settling, "settling", C::Radio, {"Fast", "Accurate"}},
        {F::Optimal, "optimal", C::Check, {"Optimal freq"}},
        {F::LowLo, "low_lo", C::Check, {"Low LO"}},
        {F::LowCurrent, "low_current", C::Check, {"Low Current"}, lowCurrentHidden},
    };
    table.insert(table.end(), shared.begin(), shared.end());
    table.insert(table.end(), extra.begin(), extra.end());
    return table;
}

void SharedBlockForm::Redisplay() {
    Binding().ToFields(values_, fields_);
    FormatIntoControls(fields_, Controls(), controls);
}

void SharedBlockForm::OnUpdate() {
    values_ = document_.config.kx6200;
    if (values_.optimal) values_.rfB = values_.rfA;
    Redisplay();
}

void SharedBlockForm::OnInitialUpdate() {
    OnUpdate();
    document_.settingsApplied = true;
    ApplySettings();
    rfBEnabled_ = !values_.optimal;
}

bool SharedBlockForm::ApplySettings() {
    if (!TakeOverInto(Binding(), Rules(), values_, fields_)) return false;
    document_.config.kx6200 = values_;
    MarkApplied();
    RunCalculation();
    return true;
}

void SharedBlockForm::StoreSnappedRate() {
    Redisplay();
    document_.config.kx6200.rate = values_.rate;
    document_.settingsApplied = true;
    document_.UpdateAllViews();
}

bool SharedBlockForm::DirectionAllowsDownload() {
    const int direction = values_.active == 1 ? values_.dirB : values_.dirA;
    if (values_.mode == kx6200::kRX && direction == 1) {
        Message(kRxNotActivated);
        return false;
    }
    if (values_.mode == kx6200::kTX && direction == 0) {
        Message(kTxNotActivated);
        return false;
    }
    return true;
}

SharedBlockForm::FrequencyWords SharedBlockForm::ComputeFrequencyWords(const SynthesiserSearch& search) {
    using namespace kx6200;
    KX6200Block& v = values_;
    FrequencyWords words;
    const double ifA = search.ifHz(v.rfA);
    const double fA = SynthFrequency(v.rfA, v.dirA, v.sep, v.ifRssi, v.lowLo, ifA);
    const auto found = DividerSearch(v.xtal, fA, search.wordMayEqual);
    divider_ = dividerTx_ = found ? found->divider : 2;
    const double word0 = found ? found->word : NAN;
    double word = word0;
    bool writeA = found.has_value();
    if (v.optimal) {
        const OptimalResult optimal =
            OptimalSearch(v.xtal, v.rfA, v.lowLo, fA, ifA, search.lastCandidate, search.lastDivider);
        divider_ = optimal.divider;
        word = optimal.word;
        v.rfA = v.rfB = optimal.newFrequencyMHz;
        Redisplay();
        if (!optimal.reachable) {
            Message(msg::kNoOptimalFrequency);
            writeA = false;
        }
    }
    if (writeA) words.a = RoundWord(v.dirA == 1 ? word0 : word);

    const double fB = SynthFrequency(v.rfB, v.dirB, v.sep, v.ifRssi, v.lowLo, search.ifHz(v.rfA));
    words.b = FrequencyWordB(v.xtal, fB, v.dirB == 1 ? dividerTx_ : divider_);
    if (!words.b) Message(msg::kSynthOutOfLimit);
    return words;
}

void SharedBlockForm::OnChoiceChanged(FieldId id) {
    switch (id) {
        case F::Format: case F::Shape: case F::Lock: case F::IfRssi: case F::Mode:
        case F::Xosc: case F::Active: case F::DirA: case F::DirB: case F::Settling:
            ApplySettings();
            break;
        default:
            break;
    }
}

void SharedBlockForm::OnCheckClicked(FieldId id) {
    if (id == F::Optimal) OnOptimalClicked();
    else if (id == F::LowLo) OnLowLoClicked();
    else if (id == F::LowCurrent) OnLowCurrentClicked();
}

void SharedBlockForm::OnLowLoClicked() {
    ApplySettings();
    ApplySettings();
}

void SharedBlockForm::OnOptimalClicked() {
    ApplySettings();
    rfBEnabled_ = !values_.optimal;
    ApplySettings();
}

void SharedBlockForm::OnCrystalListLeft() {
    ApplySettings();
    if (!RecommendedCrystal(values_.xtal)) Message(kx6200::msg::kCrystalListNote);
}

std::vector<ComponentText> SharedBlockForm::Components() const {
    return {{"L101", components_.l101, "nH"}, {"L32", components_.l32, "nH"}, {"L41", components_.l41, "nH"},
            {"C31", components_.c31, "pF"},   {"C41", components_.c41, "pF"}, {"C42", components_.c42, "pF"}};
}

}  // namespace tessary

#include "studio/config/CConfigView.h"

#include <utility>

#include "studio/config/InfoHelp.h"
#include "studio/config/TakeOver.h"

namespace tessary {

using F = FieldId;
using C = ControlKind;

namespace {

// The factor from the form's unit to SI; back by dividing by the same factor.
constexpr std::pair<FieldId, double> kSiFactors[] = {
    {F::Xtal, 1e6}, {F::Ppm, 1e-6}, {F::Rf, 1e6}, {F::Sep, 1e3}, {F::Rate, 1e3},
};

const ControlSpec& ControlOf(FieldId id) {
    for (const ControlSpec& c : CConfigView::ControlTable())
        if (c.id == id) return c;
    return CConfigView::ControlTable().front();
}

// The text of a list's entry; empty for an index the list does not have.
std::string EntryText(FieldId list, int index) {
    const auto& entries = ControlOf(list).entries;
    return index >= 0 && index < static_cast<int>(entries.size()) ? std::string(entries[static_cast<std::size_t>(index)])
                                                                  : std::string();
}

}  // namespace

const std::vector<ControlSpec>& CConfigView::ControlTable() {
    static const std::vector<ControlSpec> table = {
        {F::Xtal, "xtal", C::Text, {}},
        {F::Ppm, "ppm", C::Text, {}},
        {F::Rf, "rf", C::Text, {}},
        {F::Sep, "sep", C::Text, {}},
        {F::Rate, "rate", C::Text, {}},
        {F::Power, "power", C::Text, {}},
        {F::IfStage, "if_stage", C::List, {"60", "200", "Internal 455", "External 455"}},
        {F::PaClass, "pa_class", C::List, {"Class A", "Class AB", "Class B", "Class C"}},
        {F::Mode, "mode", C::List, {"RX", "TX", "PD (osc. on)", "PD (osc. off)", "RX precharging"}},
        {F::RxMode, "rx_mode", C::List, {"Optimum sensitivity", "Optimum linearity"}},
        {F::Lock, "lock", C::List, {"Continuous", "One-shot", "Disabled"}},
        {F::VcoCurrent, "vco_current", C::List,
         {"000 (Maximum)", "001", "010", "011", "100", "101", "110", "111 (Minimum)"}},
    };
    return table;
}

const BlockBinding<KX400Block>& CConfigView::Binding() {
    using B = KX400Block;
    static const BlockBinding<B> binding = {
        {{F::Xtal, &B::xtal}, {F::Ppm, &B::ppm}, {F::Rf, &B::rf}, {F::Sep, &B::sep}, {F::Rate, &B::rate},
         {F::Power, &B::power}},
        {{F::IfStage, &B::ifStage}, {F::PaClass, &B::paClass}, {F::Mode, &B::mode}, {F::RxMode, &B::rxMode},
         {F::Lock, &B::lock}, {F::VcoCurrent, &B::vcoCurrent}},
    };
    return binding;
}

void CConfigView::StoreListTexts(const KX400Block& b, CConfig& config) {
    config.vcoGainText = EntryText(F::VcoCurrent, b.vcoCurrent);
    config.lockText = EntryText(F::Lock, b.lock);
    config.rxModeText = EntryText(F::RxMode, b.rxMode);
    config.modeText = EntryText(F::Mode, b.mode);
    config.paClassText = EntryText(F::PaClass, b.paClass);
    config.ifStageText = EntryText(F::IfStage, b.ifStage);
}

CConfigView::CConfigView(TessaryDocument& document, MessageSink& messages) : document_(document), messages_(messages) {
    document_.AddView(this);
}

CConfigView::~CConfigView() { document_.RemoveView(this); }

kx400::Parameters CConfigView::Parameters() const {
    FieldValues si = fields_;
    for (const auto& [id, factor] : kSiFactors) si.number[Index(id)] *= factor;
    KX400Block block;
    Binding().FromFields(si, block);
    return {block.xtal, block.ppm, block.rf, block.ifStage, block.sep, block.rate, block.paClass, block.power,
            block.mode, block.rxMode, block.lock, block.vcoCurrent, deviceNumber_};
}

void CConfigView::Redisplay() { FormatIntoControls(fields_, ControlTable(), controls); }

void CConfigView::OnUpdate() {
    const KX400Block& block = document_.config.kx400;
    Binding().ToFields(block, fields_);
    for (const auto& [id, factor] : kSiFactors) fields_.number[Index(id)] /= factor;
    deviceNumber_ = block.deviceNumber;
    Redisplay();
}

void CConfigView::OnInitialUpdate() {
    OnUpdate();
    Apply();
}

void CConfigView::Show(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) messages_.Show({text, kAppName, MessageIcon::None});
}

bool CConfigView::TakeOverControls() {
    const auto failure = TakeOver(TakeOverKX400(deviceNumber_), controls, fields_);
    if (failure) {
        focus_ = failure->focus;
        messages_.Show({failure->message.text, kAppName, failure->message.icon});
        return false;
    }
    focus_.reset();
    return true;
}

bool CConfigView::Calculate(bool store) {
    kx400::Outcome outcome = kx400::Calculate(Parameters());
    Show(outcome.messages);
    if (outcome.failed) return false;
    components_ = outcome.components;
    if (outcome.current) current_ = *outcome.current;
    kx400::SetDeviceBits(outcome.frames, deviceNumber_);
    for (int i = 0; i < kFrameCount; ++i) document_.registers.SetFrame(i, outcome.frames.GetFrame(i));
    if (!store) return true;

    // The block takes the form's values in SI units; its device number belongs to the
    // device selection and the document file, never to the form.
    const kx400::Parameters si = Parameters();
    KX400Block& block = document_.config.kx400;
    block = {si.vcoCurrent, si.xtal, si.ppm, si.rf, si.ifStage, si.sep, si.rate, si.paClass, si.power,
             si.mode, si.rxMode, si.lock, block.deviceNumber};
    StoreListTexts(block, document_.config);
    document_.UpdateAllViews();
    document_.settingsApplied = true;
    return true;
}

bool CConfigView::Apply() { return TakeOverControls() && Calculate(true); }

bool CConfigView::OnEnter() {
    if (!Apply()) return false;
    document_.modified = true;
    deviceNumber_ = document_.config.kx400.deviceNumber;
    return true;
}

void CConfigView::Recalculate() { Calculate(false); }

bool CConfigView::UpdateDevice() {
    if (!TakeOverControls()) return false;
    Calculate(true);
    document_.modified = true;
    document_.registers.Download(false);
    return true;
}

void CConfigView::OnResetSettings() {
    if (!messages_.Ask({SharedBlockForm::kResetQuestion, kAppName, MessageIcon::Exclamation})) return;
    document_.config.Reset();
    OnUpdate();
    Apply();
}

void CConfigView::OnInfo(int button) {
    if (const auto info = InfoMessage(InfoForm::KX400, button, deviceNumber_)) messages_.Show(*info);
}

std::vector<ComponentText> CConfigView::Components() const {
    const kx400::Components& c = components_;
    return {{"R121", c.r121, "k Ohm"}, {"C121", c.c121, "nF"}, {"R122", c.r122, "k Ohm"}, {"C122", c.c122, "pF"},
            {"C123", c.c123, "pF"},   {"R123", c.r123, "k Ohm"}, {"C51", c.c51, "pF"},   {"L51", c.l51, "nH"},
            {"L61", c.l61, "nH"},     {"C61", c.c61, "pF"}};
}

std::optional<CTmpReg> CConfigView::FramesForMode(int mode) {
    kx400::Parameters p = Parameters();
    p.mode = mode;
    kx400::Outcome outcome = kx400::Calculate(p);
    Show(outcome.messages);
    if (outcome.failed) return std::nullopt;
    kx400::SetDeviceBits(outcome.frames, deviceNumber_);
    return outcome.frames;
}

}  // namespace tessary

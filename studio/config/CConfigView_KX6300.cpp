#include "studio/config/CConfigView_KX6300.h"

namespace tessary {

using namespace kx6300;
using F = FieldId;
using C = ControlKind;

const std::vector<KX6300Register>& KX6300DownloadOrder() {
    static const std::vector<KX6300Register> order = {
        {0, 0x00, "MAIN"},    {1, 0x01, "FREQ_A2"}, {2, 0x02, "FREQ_A1"},  {3, 0x03, "FREQ_A0"},
        {4, 0x04, "FREQ_B2"}, {5, 0x05, "FREQ_B1"}, {6, 0x06, "FREQ_B0"},  {7, 0x07, "FSEP1"},
        {8, 0x08, "FSEP0"},   {9, 0x09, "CURRENT"}, {10, 0x0A, "XOSC"},    {11, 0x0B, "PA_POW"},
        {12, 0x0C, "PLL"},    {13, 0x0D, "LOCK"},   {14, 0x0E, "CAL"},     {15, 0x11, "MODEM0"},
        {16, 0x13, "FSCTRL"}, {25, 0x1C, "PRESCALER"}, {28, 0x42, "TEST4"},
    };
    return order;
}

const BlockBinding<KX6300Block>& CConfigView_KX6300::Binding() {
    using B = KX6300Block;
    static const BlockBinding<B> binding = {
        {{F::Xtal, &B::xtal}, {F::RfA, &B::rfA}, {F::RfB, &B::rfB}, {F::Sep, &B::sep}, {F::Rate, &B::rate},
         {F::Power, &B::power}},
        {{F::Format, &B::format}, {F::Shape, &B::shape}, {F::Lock, &B::lock}, {F::Mode, &B::mode},
         {F::Xosc, &B::xosc}, {F::Active, &B::active}},
    };
    return binding;
}

const std::vector<ControlSpec>& CConfigView_KX6300::ControlTable() {
    static const std::vector<ControlSpec> table = {
        {F::Xtal, "xtal", C::EditableList, {}},
        {F::RfA, "rf_a", C::Text, {}},
        {F::RfB, "rf_b", C::Text, {}},
        {F::Sep, "sep", C::Text, {}},
        {F::Rate, "rate", C::Text, {}},
        {F::Power, "power", C::Text, {}},
        {F::Format, "format", C::List, {"NRZ", "Manchester", "UART"}},
        // Hidden, but taken over and calculated (FSCTRL).
        {F::Shape, "shape", C::List, {"Disabled", "Raised cosine", "Dithering", "Raised cosine & dithering"}, true},
        {F::Lock, "lock", C::List, {"Continuous", "One-shot", "External PA control", "Disabled"}},
        {F::Mode, "mode", C::List, {"TX", "PD", "XOSC Core Only", "XOSC Core & Bias", "XOSC Core, Bias & Synth"}},
        {F::Xosc, "xosc", C::Radio, {"Int", "Ext"}},
        {F::Active, "active", C::Radio, {"A", "B"}},
    };
    return table;
}

const std::vector<std::string_view>& CConfigView_KX6300::CrystalList() {
    static const std::vector<std::string_view> list = {"3.686400", "7.372800", "11.059200", "14.745600"};
    return list;
}

void CConfigView_KX6300::Redisplay() {
    Binding().ToFields(values_, fields_);
    FormatIntoControls(fields_, Controls(), controls);
}

void CConfigView_KX6300::OnUpdate() {
    values_ = document_.config.kx6300;
    Redisplay();
}

void CConfigView_KX6300::OnInitialUpdate() {
    OnUpdate();
    document_.settingsApplied = true;
    ApplySettings();
}

bool CConfigView_KX6300::ApplySettings() {
    static const TakeOverSpec rules = TakeOverKX6300();
    if (!TakeOverInto(Binding(), rules, values_, fields_)) return false;
    document_.config.kx6300 = values_;
    MarkApplied();
    RunCalculation();
    return true;
}

void CConfigView_KX6300::RunCalculation() {
    KX6300Block& v = values_;
    CRegister& reg = document_.registers;
    const double fAct = ActiveFrequency();
    auto setWord = [&reg](int firstSlot, int word, int bytes) {
        for (int i = 0; i < bytes; ++i) reg.SetReg6300(firstSlot + i, (word >> (8 * (bytes - 1 - i))) & 0xFF);
    };

    // 1. The data-rate snap, without a message.
    const kx6200::RateSnap snap = SnapSynchronousRate(v.format, v.xtal, v.rate);
    if (snap.replaced) {
        v.rate = snap.rate;
        Redisplay();
        document_.config.kx6300.rate = v.rate;
        document_.settingsApplied = true;
        document_.UpdateAllViews();
    }

    // 2. MAIN.
    reg.SetReg6300(0, MainValue(v.mode, v.active));

    // 3, 4. One divider, found from frequency A, for both words, FSEP and the PLL.
    const auto found = kx6200::DividerSearch(v.xtal, SynthFrequency(v.rfA, v.sep));
    divider_ = found ? found->divider : 2;
    if (found) setWord(1, kx6200::RoundWord(found->word), 3);
    if (const auto b = kx6200::FrequencyWordB(v.xtal, SynthFrequency(v.rfB, v.sep), divider_)) setWord(4, *b, 3);
    else Message(kx6200::msg::kSynthOutOfLimit);

    // 5. FSEP.
    const kx6200::FsepResult fsep = kx6200::Fsep(v.xtal, v.sep, divider_);
    if (fsep.capped) Message(kx6200::msg::kSeparationTooLarge);
    setWord(7, fsep.value, 2);

    // 6 to 11.
    reg.SetReg6300(9, CurrentRegister(fAct));
    reg.SetReg6300(10, v.xosc == 1 ? 0x01 : 0x00);
    if (const auto pa = PaPow(v.power, fAct)) {
        reg.SetReg6300(11, pa->value);
        if (pa->message) Message(msg::kMaxPower8dBm);
    }
    reg.SetReg6300(12, PllValue(divider_));
    reg.SetReg6300(13, LockValue(v.lock));
    reg.SetReg6300(14, 0x26);

    // 12 to 14.
    const kx6200::Modem0Result modem0 = Modem0(v.rate, v.format, v.xtal);
    if (modem0.xtalMessage) Message(kx6200::msg::kXtalRanges);
    reg.SetReg6300(15, modem0.value);
    reg.SetReg6300(16, FsctrlValue(v.shape));
    reg.SetReg6300(25, PrescalerValue(v.rate));
    reg.SetReg6300(28, Test4Value(v.rate));

    // 15, 16.
    components_ = ComponentValues(fAct);
    if (const auto current = TypicalCurrent(v.mode, fAct, v.xtal, v.power)) current_ = *current;
}

void CConfigView_KX6300::OnChoiceChanged(FieldId id) {
    switch (id) {
        case F::Format: case F::Shape: case F::Lock: case F::Mode: case F::Xosc: case F::Active:
            ApplySettings();
            break;
        default:
            break;
    }
}

void CConfigView_KX6300::OnCrystalListLeft() {
    ApplySettings();
    if (!kx6200::IsRecommendedCrystal(values_.xtal)) Message(kx6200::msg::kCrystalListNote);
}

bool CConfigView_KX6300::UpdateDevice() {
    ApplySettings();
    const CRegister& reg = document_.registers;
    for (const KX6300Register& r : KX6300DownloadOrder())
        bus_.WriteRegister(static_cast<std::uint8_t>(r.address), static_cast<std::uint8_t>(reg.GetReg6300(r.slot)));
    return true;
}

void CConfigView_KX6300::OnChipReset() { bus_.PulseReset(0x00, document_.registers.GetReg6300(0)); }

void CConfigView_KX6300::OnCalibrate() { bus_.PulseCalibration(0x0E, document_.registers.GetReg6300(14)); }

std::vector<ComponentText> CConfigView_KX6300::Components() const {
    return {{"L1", components_.l1, "nH"}, {"L2", components_.l2, "nH"}, {"C1", components_.c1, "pF"},
            {"C2", components_.c2, "pF"}};
}

}  // namespace tessary

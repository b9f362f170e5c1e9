#include "studio/config/CConfigViewKX6200.h"

#include <cmath>

#include "studio/config/RegisterMaps.h"

namespace tessary {

using namespace kx6200;
using F = FieldId;
using C = ControlKind;

const std::vector<ControlSpec>& CConfigViewKX6200::ControlTable() {
    static const std::vector<ControlSpec> table = ComposeControls(
        {{F::Format, "format", C::List, {"NRZ", "Manchester", "UART"}},
         {F::RxMode, "rx_mode", C::List, {"Optimum sensitivity", "Optimum linearity"}, true},
         {F::Shape, "shape", C::List, {"Disabled", "Raised cosine", "Dithering", "Raised cosine & dithering"}, true},
         {F::Lock, "lock", C::List,
          {"Continuous", "One-shot", "External PA control", "External LNA control", "Disabled"}}},
        false);
    return table;
}

const std::vector<std::string_view>& CConfigViewKX6200::CrystalList() {
    static const std::vector<std::string_view> list = {"3.686400", "7.372800", "11.059200", "14.745600"};
    return list;
}

void CConfigViewKX6200::RunCalculation() {
    KX6200Block& v = values_;
    CRegister& reg = document_.registers;
    auto fAct = [&] { return ActiveFrequency(); };

    // 1. Data rate and IF check.
    if (v.format == 0 || v.format == 1) {
        const RateSnap snap = SnapSynchronousRate(v.xtal, v.rate);
        if (snap.message) Message(msg::kRateNeedsFasterXtal);
        if (snap.replaced) {
            v.rate = snap.rate;
            StoreSnappedRate();
        }
    } else if (v.format == 2) {
        if (v.rate > 19.2 && v.xtal < 12) v.rate = 19.2;
        StoreSnappedRate();
    }
    if (v.ifRssi != kExternalIf && IfUncertaintyTooLarge(v.ppm, fAct())) Message(msg::kIfUncertainty);

    // 2. MAIN.
    reg.SetReg(0, MainValue(v.mode, v.active));

    // 3, 4. Frequency words, most significant byte first.
    const FrequencyWords words = ComputeFrequencyWords({[](double) { return 150000.0; }, false, 15, 16});
    if (words.a) {
        reg.SetReg(1, (*words.a >> 16) & 0xFF);
        reg.SetReg(2, (*words.a >> 8) & 0xFF);
        reg.SetReg(3, *words.a & 0xFF);
    }
    if (words.b) {
        reg.SetReg(4, (*words.b >> 16) & 0xFF);
        reg.SetReg(5, (*words.b >> 8) & 0xFF);
        reg.SetReg(6, *words.b & 0xFF);
    }

    // 5. FSEP.
    const FsepResult fsep = Fsep(v.xtal, v.sep, dividerTx_);
    if (fsep.capped) Message(msg::kSeparationTooLarge);
    reg.SetReg(7, (fsep.value >> 8) & 0xFF);
    reg.SetReg(8, fsep.value & 0xFF);

    // 6 to 10.
    reg.SetReg(9, CurrentRegister(fAct(), v.mode, v.lowCurrent));
    if (const auto pa = PaPow(v.power, fAct())) {
        reg.SetReg(10, pa->value);
        if (pa->message) Message(msg::kMaxPower5dBm);
    }
    reg.SetReg(11, PllValue(v.mode, divider_, dividerTx_));
    reg.SetReg(12, LockValue(v.lock));
    reg.SetReg(13, 0x26);

    // 11 to 17: the modem and the rest.
    reg.SetReg(14, Modem2(v.xtal, v.rate, v.rfA, v.ppm, v.sep));
    reg.SetReg(15, v.settling == 0 ? 0x69 : 0x6F);
    const Modem0Result modem0 = Modem0(v.rate, v.format, v.xtal);
    if (modem0.xtalMessage) Message(msg::kXtalRanges);
    reg.SetReg(16, modem0.value);
    reg.SetReg(17, MatchValue(v.rfA, v.rfB));
    reg.SetReg(18, 0x01);
    reg.SetReg(34, FrontEnd(fAct(), v.lowCurrent, v.ifRssi, v.xosc));
    reg.SetReg(35, 0x00);
    reg.SetReg(29, Test4Value(v.rate));

    // 18, 19: components and current.
    components_ = ComponentValues(fAct());
    if (const auto current = TypicalCurrent(v.mode, fAct(), v.lowCurrent, v.xtal, v.power)) current_ = *current;
}

const TakeOverSpec& CConfigViewKX6200::Rules() const {
    static const TakeOverSpec rules = TakeOverKX6200();
    return rules;
}

bool CConfigViewKX6200::UpdateDevice() {
    // A refused value does not stop the download: the slots hold the last calculation.
    ApplySettings();
    if (!DirectionAllowsDownload()) return false;
    const CRegister& reg = document_.registers;
    for (const RegisterSlot& r : kKX6200Registers)
        bus_.WriteRegister(static_cast<std::uint8_t>(r.address), static_cast<std::uint8_t>(reg.GetReg(r.slot)));
    return true;
}

void CConfigViewKX6200::OnChipReset() { bus_.PulseReset(0x00, document_.registers.GetReg(0)); }

void CConfigViewKX6200::OnCalibrate() { bus_.PulseCalibration(0x0E, document_.registers.GetReg(13)); }

}  // namespace tessary

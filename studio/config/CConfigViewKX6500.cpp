#include "studio/config/CConfigViewKX6500.h"

#include <cmath>

#include "studio/config/KX6500Calc.h"

namespace tessary {

using namespace kx6200;
using F = FieldId;
using C = ControlKind;

const std::vector<ControlSpec>& CConfigViewKX6500::ControlTable() {
    static const std::vector<ControlSpec> table = ComposeControls(
        {{F::Format, "format", C::List, {"NRZ", "Manchester", "Transparent", "UART"}},
         {F::Shape, "shape", C::List, {"Disabled", "Raised cosine", "Dithering", "Raised cosine & dithering"}},
         {F::Lock, "lock", C::List, {"Disable", "Enable"}}},
        true,
        {{F::BerEnable, "ber_enable", C::Check, {"enable"}},
         {F::BerWindow, "berwin", C::List, {"1024 bits", "4096 bits", "16384 bits", "65636 bits"}},
         {F::SigType, "sigtype", C::List,
          {"2 bit period square", "4 bit period square", "Pseudo-Random (PN-9)", "Pseudo-Random (PN-15)"}}});
    return table;
}

const std::vector<std::string_view>& CConfigViewKX6500::CrystalList() {
    static const std::vector<std::string_view> list = {"3.686400",  "7.372800",  "11.059200",
                                                       "14.745600", "18.432000", "22.118400"};
    return list;
}

const std::vector<KX6500Write>& KX6500DownloadOrder() {
    static const std::vector<KX6500Write> order = {
        {0xC8, -1, 0x30},
        {0xCA, 1, 0},  {0xCB, 2, 0},  {0xCC, 3, 0},  {0xCD, 4, 0},  {0xCE, 5, 0},  {0xCF, 6, 0},
        {0xD9, 7, 0},  {0xDA, 8, 0},  {0xDB, 9, 0},  {0xDC, 10, 0},
        {0xE1, 11, 0}, {0xE2, 12, 0}, {0xE3, 13, 0}, {0xE4, 14, 0}, {0xE5, 15, 0},
        {0xE6, -1, 0x00},
        {0xEA, 18, 0}, {0xEB, 19, 0}, {0xEC, 20, 0}, {0xEE, 21, 0},
        {0xF9, -1, 0x00}, {0xFA, -1, 0x00}, {0xFB, -1, 0x00}, {0xFC, -1, 0x04}, {0xFD, 33, 0}, {0xFE, -1, 0x08},
        {0xFF, 35, 0},
        {0xB4, 36, 0},
        {0xC8, 0, 0},
    };
    return order;
}

const TakeOverSpec& CConfigViewKX6500::Rules() const {
    static const TakeOverSpec rules = TakeOverKX6500();
    return rules;
}

bool CConfigViewKX6500::RecommendedCrystal(double xtal) const { return kx6500::IsRecommendedCrystal(xtal); }

void CConfigViewKX6500::RunCalculation() {
    KX6200Block& v = values_;
    CRegister& reg = document_.registers;
    auto fAct = [&] { return ActiveFrequency(); };
    const int berEnable = fields_.index[tessary::Index(F::BerEnable)];

    // 1. Data rate and checks.
    if (v.format == kx6500::kNRZ || v.format == kx6500::kManchester) {
        const kx6500::RateSnap snap = kx6500::SnapSynchronousRate(v.xtal, v.rate);
        if (snap.message) Message(snap.message);
        if (snap.replaced) {
            v.rate = snap.rate;
            StoreSnappedRate();
        }
    } else if (v.format == kx6500::kTransparent || v.format == kx6500::kUART) {
        if (v.rate > 19.2 && v.xtal < 12) v.rate = 19.2;
        StoreSnappedRate();
    }
    if (v.ifRssi != kExternalIf) {
        if (IfUncertaintyTooLarge(v.ppm, fAct())) Message(msg::kIfUncertainty);
        else if (v.mode == kRX && berEnable && v.rate > 4.8) Message(kx6500::msg::kBerRateTooHigh);
    }

    // 2. RFMAIN.
    reg.SetReg(0, kx6500::MainValue(v.mode, v.active));

    // 3, 4. Frequency words, least significant byte in slots 1 and 4; the IF of RF A's band.
    const FrequencyWords words = ComputeFrequencyWords({&kx6500::IfA, true, 23, 24});
    if (words.a) {
        reg.SetReg(3, (*words.a >> 16) & 0xFF);
        reg.SetReg(2, (*words.a >> 8) & 0xFF);
        reg.SetReg(1, *words.a & 0xFF);
    }
    if (words.b) {
        reg.SetReg(6, (*words.b >> 16) & 0xFF);
        reg.SetReg(5, (*words.b >> 8) & 0xFF);
        reg.SetReg(4, *words.b & 0xFF);
    }

    // 5. FSEP, high byte in slot 19.
    const FsepResult fsep = Fsep(v.xtal, v.sep, dividerTx_);
    if (fsep.capped) Message(msg::kSeparationTooLarge);
    reg.SetReg(19, (fsep.value >> 8) & 0xFF);
    reg.SetReg(18, fsep.value & 0xFF);
    if (v.xtal * 1e6 / dividerTx_ > 2460000) Message(msg::kNoOptimalFrequency);

    // 6 to 10.
    reg.SetReg(11, kx6500::CurrentRegister(fAct(), v.mode));
    if (const auto pa = kx6500::PaPower(v.power, fAct())) {
        reg.SetReg(12, pa->value);
        if (pa->message) Message(kx6500::msg::kMaxPower4dBm);
    }
    reg.SetReg(13, kx6500::PllValue(v.mode, divider_, dividerTx_));
    reg.SetReg(14, 0x00);
    reg.SetReg(15, 0x26);

    // 11 to 15: modem, match, FSCTRL.
    reg.SetReg(7, kx6500::Modem2(v.xtal, v.rate, v.rfA, v.ppm, v.sep));
    reg.SetReg(8, v.settling == 0 ? 0x23 : 0x2F);
    const Modem0Result modem0 = kx6500::Modem0(v.rate, v.format, v.xtal);
    if (modem0.xtalMessage) Message(kx6500::msg::kXtalRanges);
    reg.SetReg(9, modem0.value);
    reg.SetReg(10, kx6500::MatchValue(v.rfA, v.rfB));
    reg.SetReg(20, kx6500::FsctrlValue(v.shape));

    // 16, 17: the shaping staircase and FSDELAY (shown by the register view only).
    const kx6500::Fshape shape = kx6500::FshapeValues(v.xtal, v.sep, divider_, v.shape);
    if (shape.message) Message(kx6500::msg::kShapingSeparation);
    for (int k = 1; k <= 7; ++k) reg.SetReg(29 - k, shape.values[static_cast<std::size_t>(k - 1)]);
    reg.SetReg(17, kx6500::FsdelayValue(v.xtal, divider_, v.rate));

    // 18 to 20.
    reg.SetReg(21, kx6500::FrendValue(fAct(), v.ifRssi, v.xosc));
    reg.SetReg(16, 0x00);
    reg.SetReg(33, 0x25);
    reg.SetReg(35, kx6500::Test6Value(v.mode));
    reg.SetReg(36, kx6500::EstimatorSetup(berEnable, fields_.index[tessary::Index(F::BerWindow)],
                                          fields_.index[tessary::Index(F::SigType)]));

    // 21, 22.
    components_ = kx6500::ComponentValues(fAct());
    if (const auto current = kx6500::TypicalCurrent(v.mode, fAct(), v.xtal, v.power)) current_ = *current;
}

bool CConfigViewKX6500::UpdateDevice() {
    // Unlike the KX6200, the mode is checked against the directions before applying.
    if (!DirectionAllowsDownload()) return false;
    ApplySettings();
    const CRegister& reg = document_.registers;
    for (const KX6500Write& w : KX6500DownloadOrder()) {
        const int value = w.slot >= 0 ? reg.GetReg(w.slot) : w.fixed;
        bus_.WriteRegisterKX6500(static_cast<std::uint8_t>(w.address), static_cast<std::uint8_t>(value));
    }
    return true;
}

void CConfigViewKX6500::OnChipReset() { bus_.ResetKX6500(); }

void CConfigViewKX6500::OnCalibrate() { bus_.PulseCalibration(0xE5, document_.registers.GetReg(15), true); }

}  // namespace tessary

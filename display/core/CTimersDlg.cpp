#include "display/core/CTimersDlg.h"

#include <algorithm>
#include <array>

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {

// Timers 0 and 1: their registers, their TMOD fields and the texts that follow the mode.
struct CountingTimer {
    const char* valueId;  // the single field
    const char* highId;
    const char* lowId;
    const char* labelId;
    const char* modeId;
    std::uint8_t low, high;     // TLn, THn
    std::uint8_t modeMask, counterMask;  // in TMOD
    std::array<const char*, 4> labels;
};
const CountingTimer kCounting[] = {
    {"T0 value", "TH0", "TL0", "T0 label", "T0 mode", TL0, TH0, 0x03, 0x04,
     {"TH0+TL0: T0 value (13):", "TH0+TL0: T0 value (16):", "TH0 (reload) | TL0 (count):", "TH0 | TL0:"}},
    {"T1 value", "TH1", "TL1", "T1 label", "T1 mode", TL1, TH1, 0x30, 0x40,
     {"TH1+TL1: T1 value (13):", "TH1+TL1: T1 value (16):", "TH1 (reload) | TL1 (count):", "TH1 | TL1:"}},
};
constexpr int kThirteenBit = 0, kSixteenBit = 1;
constexpr std::int32_t kThirteenBitMax = 8191, kSixteenBitMax = 65535;

const std::vector<std::string> kTimerModes{"13-bit timer", "16-bit timer", "8-bit auto-reload timer",
                                           "Two 8-bit timers"};
const std::vector<std::string> kCounterModes{"13-bit counter", "16-bit counter", "8-bit auto-reload counter",
                                             "Two 8-bit counters"};

// Timers 2 and 3: their two fields are captioned by the mode bit in TCON2.
struct PwmTimer {
    const char* labelId;
    const char* prescalerLabelId;
    std::uint8_t pwmMask;
    const char* timerLabel;
    const char* prescalerTimerLabel;
    const char* pwmLabel;
    const char* prescalerPwmLabel;
};
const PwmTimer kPwm[] = {
    {"T2 label", "T2PRE label", 0x01, "T2 - Timer 2 L'value:", "T2PRE - Timer 2 H'value:", "T2 - Duty cycle of PWM:",
     "T2PRE - Period of PWM:"},
    {"T3 label", "T3PRE label", 0x04, "T3 - Timer 3 L'value:", "T3PRE - Timer 3 H'value:", "T3 - Duty cycle of PWM:",
     "T3PRE - Period of PWM:"},
};

const std::vector<std::string> kClockSelect{"Clock / 12", "Clock / 4"};
const std::vector<std::string> kTimerOrPwm{"Timer mode", "PWM mode"};

// A grid box: its column number as caption.
ControlSpec Box(const char* id, const char* column, std::uint8_t reg, std::uint8_t mask, bool first = false) {
    const ControlSpec c = Check(column, reg, mask).Id(id);
    return first ? c : c.Beside();
}
ControlSpec Row(const char* caption) { return Label("", caption); }

ControlSpec Byte(const char* id, std::uint8_t reg) { return NumberField("", reg, 0xFF, 0, 255).Id(id).Beside(); }

}  // namespace

const std::vector<ControlSpec>& CTimersDlg::Table() {
    static const std::vector<ControlSpec> table = {
        Row("TF.. - Timer overflow flag:"),
        Box("TF0", "0", TCON, 0x20),
        Box("TF1", "1", TCON, 0x80),
        Box("TF2", "2", EXIF, 0x20),
        Box("TF3", "3", EXIF, 0x80),
        Row("TR.. - Timer run control:"),
        Box("TR0", "0", TCON, 0x10),
        Box("TR1", "1", TCON, 0x40),
        Box("TR2", "2", TCON2, 0x02),
        Box("TR3", "3", TCON2, 0x08),
        Row("IE.. - Interrupt edge detect:"),
        Box("IE0", "0", TCON, 0x02),
        Box("IE1", "1", TCON, 0x08),
        Row("IT.. - Interrupt type select:"),
        Box("IT0", "0", TCON, 0x01),
        Box("IT1", "1", TCON, 0x04),
        Row("GATE - Timer gate control:"),
        Box("GATE0", "0", TMOD, 0x08),
        Box("GATE1", "1", TMOD, 0x80),
        Row("C/T - Counter/timer select:"),
        Box("CT0", "0", TMOD, 0x04),
        Box("CT1", "1", TMOD, 0x40),

        List("T0 mode:", TMOD, 0x03, kTimerModes),
        List("T1 mode:", TMOD, 0x30, kTimerModes),
        List("T2 mode:", TCON2, 0x01, kTimerOrPwm),
        List("T3 mode:", TCON2, 0x04, kTimerOrPwm),
        List("T0M - T0 clock select:", CKCON, 0x08, kClockSelect),
        List("T1M - T1 clock select:", CKCON, 0x10, kClockSelect),

        // Both layouts of timers 0 and 1 exist; the mode shows one of them.
        Label("T0 label", kCounting[0].labels[0]).NextColumn(),
        NumberField("", 0, 0, 0, kSixteenBitMax).Id("T0 value").Beside(),
        Byte("TH0", TH0),
        Byte("TL0", TL0),
        Label("T1 label", kCounting[1].labels[0]),
        NumberField("", 0, 0, 0, kSixteenBitMax).Id("T1 value").Beside(),
        Byte("TH1", TH1),
        Byte("TL1", TL1),
        Label("T2 label", kPwm[0].timerLabel),
        Byte("T2", T2),
        Label("T2PRE label", kPwm[0].prescalerTimerLabel),
        Byte("T2PRE", T2PRE),
        Label("T3 label", kPwm[1].timerLabel),
        Byte("T3", T3),
        Label("T3PRE label", kPwm[1].prescalerTimerLabel),
        Byte("T3PRE", T3PRE),

        Check("Enable", WDT, 0x08).Id("Watchdog Timer Enable").ShownOnly().InGroup("Watchdog Timer"),
        List("Prescaler:", WDT, 0x03, {"/2048", "/4096", "/8192", "/16384"}).InGroup("Watchdog Timer"),
        Check("Enable", RTCON, 0x80).Id("Realtime Clock Enable").InGroup("Realtime Clock"),
        NumberField("Reload value:", RTCON, 0x7F, 0, 127).InGroup("Realtime Clock"),
    };
    return table;
}

CTimersDlg::CTimersDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

void CTimersDlg::Decode(const SfrImage& image) {
    for (const CountingTimer& t : kCounting) {
        const int mode = (image[TMOD] & t.modeMask) >> FieldShift(t.modeMask);
        const std::uint8_t low = image[t.low], high = image[t.high];
        Control& single = At(t.valueId);
        single.number = mode == kThirteenBit ? (high << 5) | (low & 0x1F) : high * 256 + low;
        const bool pair = mode != kThirteenBit && mode != kSixteenBit;
        single.screen.visible = !pair;
        At(t.highId).screen.visible = pair;
        At(t.lowId).screen.visible = pair;
        At(t.labelId).text = t.labels[mode];

        Control& list = At(t.modeId);
        list.items = (image[TMOD] & t.counterMask) ? kCounterModes : kTimerModes;
        DecodeChoice(list, image);
    }
    for (const PwmTimer& t : kPwm) {
        const bool pwm = image[TCON2] & t.pwmMask;
        At(t.labelId).text = pwm ? t.pwmLabel : t.timerLabel;
        At(t.prescalerLabelId).text = pwm ? t.prescalerPwmLabel : t.prescalerTimerLabel;
    }
}

// The single field of timer 0 or 1: by the mode its list holds, 13 or 16 bits in one
// write over TLn..THn (the byte between as read); in the two-byte modes nothing.
std::optional<CommitResult> CTimersDlg::CommitOwn(Control& c) {
    const auto timer = std::find_if(std::begin(kCounting), std::end(kCounting),
                                    [&](const CountingTimer& t) { return c.Id() == t.valueId; });
    if (timer == std::end(kCounting)) return std::nullopt;
    const int mode = At(timer->modeId).number;
    if (mode != kThirteenBit && mode != kSixteenBit) return CommitResult::Kept;
    const std::int32_t limit = mode == kThirteenBit ? kThirteenBitMax : kSixteenBitMax;
    const std::int32_t value = std::clamp(c.number, 0, limit);
    const bool clamped = value != c.number;
    c.number = value;
    const auto low = static_cast<std::uint8_t>(mode == kThirteenBit ? value & 0x1F : value & 0xFF);
    const auto high = static_cast<std::uint8_t>(mode == kThirteenBit ? value >> 5 : value >> 8);
    Sfr().WriteSfrBitsPair(timer->low, low, 0xFF, high, 0xFF, static_cast<std::uint8_t>(timer->high - timer->low));
    return clamped ? CommitResult::Shown : CommitResult::Kept;
}

}  // namespace kx6500disp

#include "display/core/CRadioModemDlg.h"

#include <cmath>

#include "display/core/SfrMap.h"
#include "display/core/TextFunctions.h"

namespace kx6500disp {

using namespace sfr;

namespace {

constexpr int kFrontend = 0, kSynth = 1, kModem = 2;

constexpr double kFreqStep = 0.00006103515625;  // 1 / 16384
constexpr double kSeparationKHz = 6.103515625e-8;  // 1 / 16384 / 1000
constexpr std::int32_t kFsepMax = 2047;           // 11 bits

const std::vector<std::string> kNrzRates{"600", "1200", "2400", "4800", "9600", "19200"};
const std::vector<std::string> kManchesterRates{"300", "600", "1200", "2400", "4800", "9600"};

enum DataFormat { kNrz, kManchester, kTransparent, kUart };

// AD2 pin: entry by ((FREND >> 1) & 3) | (PRESCALER & 0x0C).
constexpr int kNotUsed = 0, kMixer = 1, kFirstIfOut = 2, kFirstIfIn = 3, kRssi = 4;
const ChoiceRead kAd2Read{{FREND, 0x06, 1},
                          {PRESCALER, 0x0C, 0},
                          {kNotUsed, kRssi, kMixer, kMixer, kFirstIfOut, kRssi, kMixer, kMixer, kFirstIfIn, kRssi,
                           kMixer, kMixer, kFirstIfOut, kRssi, kMixer, kMixer}};
EntryWrite Ad2(std::uint8_t prescaler, std::uint8_t frend) {
    return {{PRESCALER, prescaler, 0x0C}, {FREND, frend, 0x06}};
}

}  // namespace

const std::vector<ControlSpec>& CRadioModemDlg::Table() {
    static const std::vector<ControlSpec> table = {
        List("", RFMAIN, 0x80, {"RX", "TX"}).Id("RX/TX"),
        HexField("RF buffer:  0x", {RFBUF}).Beside(),
        RefreshButton().Beside(),
        Tabs("tab", {"RF Frontend", "Freq. Synth.", "Modem"}),

        // ---- RF Frontend ----
        List("VCO current:", CURRENT, 0xF0, Entries(0, 15)).OnTab(kFrontend),
        List("LO drive:", CURRENT, 0x0C, Entries(0, 3)).OnTab(kFrontend),
        List("PA drive:", CURRENT, 0x03, Entries(0, 3)).OnTab(kFrontend),
        List("LNA buffer current:", FREND, 0x20, {"20 uA", "30 uA"}).OnTab(kFrontend),
        List("LNA current:", FREND, 0x18, Entries(0, 3)).OnTab(kFrontend),
        List("PA power, +5dBm array:", PA_POW, 0xF0, Entries(0, 15)).OnTab(kFrontend).NextColumn(),
        List("PA power, -5dBm array:", PA_POW, 0x0F, Entries(0, 15)).OnTab(kFrontend),
        List("RX match:", MATCH, 0xF0, Entries(0, 15)).OnTab(kFrontend),
        List("TX match:", MATCH, 0x0F, Entries(0, 15)).OnTab(kFrontend),
        List("Prescaler swing:", PRESCALER, 0xC0, Entries(0, 3)).OnTab(kFrontend),
        List("Prescaler current:", PRESCALER, 0x30, Entries(0, 3)).OnTab(kFrontend),
        List("AD2 pin:", 0, 0,
             {"Not used", "Output mixer output @ 10.7 MHz", "Output from first IF-amp", "Input to first IF-amp",
              "RSSI output"})
            .OnTab(kFrontend)
            .ReadFrom(kAd2Read)
            .Writes({Ad2(0, 0), Ad2(0, 0x04), Ad2(0x04, 0), Ad2(0x08, 0), Ad2(0, 0x02)}),

        // ---- Freq. Synth. ----
        HexField("Freq. A:  0x", {FREQ2A, FREQ1A, FREQ0A}).OnTab(kSynth),
        ResultField("->").Id("-> Freq. A").Unit("MHz").Beside().OnTab(kSynth),
        Check("Using", RFMAIN, 0x40).Inverted().Id("Using A").Beside().OnTab(kSynth),
        HexField("Freq. B:  0x", {FREQ2B, FREQ1B, FREQ0B}).OnTab(kSynth),
        ResultField("->").Id("-> Freq. B").Unit("MHz").Beside().OnTab(kSynth),
        Check("Using", RFMAIN, 0x40).Id("Using B").Beside().OnTab(kSynth),
        NumberField("Ref. freq. divider:", PLL, 0xF8, 2, 23).OnTab(kSynth),
        ResultField("-> fRef:").Unit("MHz").Beside().OnTab(kSynth),
        OwnField("Transmit freq. separation:").Unit("kHz").OnTab(kSynth),
        NumberField("Transmit freq. shaping [7:1]:", FSHAPE7, 0x1F, 0, 31).Id("FSHAPE7").OnTab(kSynth),
        NumberField("", FSHAPE6, 0x1F, 0, 31).Id("FSHAPE6").Beside().OnTab(kSynth),
        NumberField("", FSHAPE5, 0x1F, 0, 31).Id("FSHAPE5").Beside().OnTab(kSynth),
        NumberField("", FSHAPE4, 0x1F, 0, 31).Id("FSHAPE4").Beside().OnTab(kSynth),
        NumberField("", FSHAPE3, 0x1F, 0, 31).Id("FSHAPE3").Beside().OnTab(kSynth),
        NumberField("", FSHAPE2, 0x1F, 0, 31).Id("FSHAPE2").Beside().OnTab(kSynth),
        NumberField("", FSHAPE1, 0x1F, 0, 31).Id("FSHAPE1").Beside().OnTab(kSynth),
        HexField("Transmit freq. shaping delay: 0x", {FSDELAY}).OnTab(kSynth),
        Check("FS power down", RFMAIN, 0x08).OnTab(kSynth),
        Check("FS reset", FSCTRL, 0x01).Inverted().Beside().OnTab(kSynth),
        Check("Enable alarm", PLL, 0x04).Inverted().OnTab(kSynth),
        Check("Alarm high", PLL, 0x02).ShownOnly().Beside().OnTab(kSynth),
        Check("Alarm low", PLL, 0x01).ShownOnly().Beside().OnTab(kSynth),
        Check("Use external loop filter", FSCTRL, 0x10).OnTab(kSynth),
        Check("Enable data shaping", FSCTRL, 0x02).Inverted().Beside().OnTab(kSynth),
        Check("Dither '0's", FSCTRL, 0x04).OnTab(kSynth),
        Check("Dither '1's", FSCTRL, 0x08).Beside().OnTab(kSynth),
        List("Accuracy:", LOCK, 0x08, {"0", "1"}).InGroup("Lock").OnTab(kSynth).NextColumn(),
        List("Length:", LOCK, 0x04, {"Short", "Longer"}).InGroup("Lock").OnTab(kSynth),
        BitTextField("Instant lock:", LOCK, 0x02, "Out of lock", "In lock").InGroup("Lock").OnTab(kSynth),
        BitTextField("Cont. lock:", LOCK, 0x01, "Out of lock", "In lock").InGroup("Lock").OnTab(kSynth),
        Check("Dual calib.", CAL, 0x40).InGroup("Calibration").OnTab(kSynth),
        Check("Long calib.", CAL, 0x20).InGroup("Calibration").OnTab(kSynth),
        Check("High calib. current", CAL, 0x10).InGroup("Calibration").OnTab(kSynth),
        Check("Calib. start", CAL, 0x80).InGroup("Calibration").OnTab(kSynth),
        Check("Calib. complete", CAL, 0x08).ShownOnly().InGroup("Calibration").OnTab(kSynth),

        // ---- Modem ----
        List("Baud rate:", MODEM0, 0xE0, {}).OnTab(kModem),
        ResultField("-> real value: ").Beside().OnTab(kModem),
        List("Specified crystal freq.:", MODEM0, 0x07,
             {"3MHz - 4MHz", "6MHz - 8MHz", "9MHz - 12MHz", "12MHz - 16MHz", "16MHz - 20MHz", "20MHz - 24MHz"})
            .OnTab(kModem),
        List("Data format:", MODEM0, 0x18, {"NRZ", "Manchester", "Transparent", "UART"}).OnTab(kModem),
        List("Manchester violation limit:", RFCON, 0x0E,
             {"0 (off)", "1 (unsensitive)", "2", "3", "4", "5", "6", "7 (very sensitive)"})
            .OnTab(kModem),
        HexField("Sync. byte: 0x", {BSYNC}).OnTab(kModem),
        NumberField("Required preamble bits:", PDET, 0x7F, 0, 127).OnTab(kModem),
        Check("Modem reset", MODEM1, 0x01).Inverted().OnTab(kModem),
        List("Mode:", 0, 0, {"Bit-wise", "Byte-wise", "Byte synchronization"})
            .InGroup("Data granularity")
            .OnTab(kModem)
            .NextColumn()
            .ReadFrom({{RFCON, 0x01, 0}, {PDET, 0x80, 6}, {0, 1, 2, 2}})
            .Writes({{{RFCON, 0x00, 0x01}, {PDET, 0x00, 0x80}},
                     {{RFCON, 0x01, 0x01}, {PDET, 0x00, 0x80}},
                     {{PDET, 0x80, 0x80}, {}}}),
        List("Lock mode:", MODEM1, 0x60, {"Automatic", "Manual, free running", "Manual, locked"})
            .InGroup("Average tilter")
            .OnTab(kModem)
            .ReadFrom({{MODEM1, 0x60, 5}, {}, {0, 1, 0, 2}})
            .Writes({{{MODEM1, 0x00, 0x20}, {}}, {{MODEM1, 0x20, 0x60}, {}}, {{MODEM1, 0x60, 0x60}, {}}}),
        List("Settling time (auto only):", MODEM1, 0x0C,
             {"14 baud (1.2dB loss)", "22 baud (0.6dB loss)", "38 baud (0.3dB loss)", "70 baud (0.15dB loss)"})
            .InGroup("Average tilter")
            .OnTab(kModem),
        BitTextField("Average filter status:", MODEM1, 0x10, "Free running", "Locked")
            .InGroup("Average tilter")
            .OnTab(kModem),
        Check("Enable", MODEM1, 0x02).InGroup("Peak remover").OnTab(kModem),
        NumberField("Peak level offset:", MODEM2, 0x7F, 0, 127).InGroup("Peak remover").OnTab(kModem),
    };
    return table;
}

CRadioModemDlg::CRadioModemDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

std::uint64_t CRadioModemDlg::ModemBaseRate(std::uint32_t clockHz, unsigned baudIndex, unsigned crystalIndex) {
    return (std::uint64_t{clockHz} << baudIndex) / ((crystalIndex + 1ull) * 12288ull);
}

namespace {
double ReferenceHz(std::uint32_t clockHz, int refdiv) { return refdiv > 0 ? double(clockHz) / refdiv : 0.0; }
}  // namespace

void CRadioModemDlg::Decode(const SfrImage& image) {
    const std::uint32_t clockHz = Sfr().GetClockHz();
    const int refdiv = image[PLL] >> 3;
    const double fRef = ReferenceHz(clockHz, refdiv);
    At("-> fRef").text = refdiv ? FormatReal(fRef * 1e-6, 4) : "REFDIV=0!";

    const int fsep = (image[FSEP1] & 0x07) << 8 | image[FSEP0];
    At("Transmit freq. separation").text = FormatReal(fsep * kSeparationKHz * fRef, 3);

    auto mhz = [&](std::uint8_t high, std::uint8_t mid, std::uint8_t low) {
        const long word = long{image[high]} << 16 | long{image[mid]} << 8 | image[low];
        return FormatReal(double(word + 8192) * kFreqStep * 1e-6 * fRef, 4);
    };
    At("-> Freq. A").text = mhz(FREQ2A, FREQ1A, FREQ0A);
    At("-> Freq. B").text = mhz(FREQ2B, FREQ1B, FREQ0B);

    const unsigned baud = image[MODEM0] >> 5, crystal = image[MODEM0] & 0x07, format = (image[MODEM0] >> 3) & 0x03;
    Control& baudList = At("Baud rate");
    std::string& realValue = At("-> real value").text;
    // A baud or crystal index without a list entry has no meaningful rate.
    const bool rated = baud < 6 && crystal < 6;
    const std::uint64_t rate = ModemBaseRate(clockHz, baud, crystal);
    switch (format) {
    case kNrz:
        baudList.items = kNrzRates;
        realValue = rated ? std::to_string(2 * rate) : "";
        break;
    case kManchester:
        baudList.items = kManchesterRates;
        realValue = rated ? std::to_string(rate) : "";
        break;
    default:
        if (baudList.items.empty()) baudList.items = kManchesterRates;
        realValue = "Data mode!";
        break;
    }
    DecodeChoice(baudList, image);
}

std::optional<CommitResult> CRadioModemDlg::CommitOwn(Control& c) {
    if (c.Id() == "Transmit freq. separation") return CommitSeparation(c);
    return std::nullopt;
}

// kHz -> FSEP = trunc(kHz x 16384 / fRef x 1000 + 0.5), with fRef = clockHz / REFDIV
// from the divider as the view holds it.
CommitResult CRadioModemDlg::CommitSeparation(Control& c) {
    const int refdiv = At("Ref. freq. divider").number;
    if (refdiv <= 0) {
        c.text = "REFDIV=0!";
        return CommitResult::Shown;
    }
    const double fRef = ReferenceHz(Sfr().GetClockHz(), refdiv);
    const std::optional<double> kHz = ParseDecimalReal(c.text);
    if (!kHz || fRef <= 0) {  // without a clock there is no separation to set
        c.text = "ERR";
        return CommitResult::Shown;
    }
    const double exact = *kHz * 16384.0 / fRef * 1000.0 + 0.5;
    const bool clamped = exact >= kFsepMax + 1;
    const auto fsep = clamped ? kFsepMax : static_cast<std::int32_t>(exact);
    Sfr().WriteSfrBits(FSEP0, static_cast<std::uint8_t>(fsep & 0xFF), 0xFF);
    Sfr().WriteSfrBits(FSEP1, static_cast<std::uint8_t>(fsep >> 8), 0x07);
    if (!clamped) return CommitResult::Kept;
    c.text = FormatReal(fsep * kSeparationKHz * fRef, 3);
    return CommitResult::Shown;
}

}  // namespace kx6500disp

#include "display/core/CADCDlg.h"

#include <algorithm>

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {
constexpr int kDividerMin = 16, kDividerMax = 1024;
constexpr std::uint32_t kSlowClockHz = 32768;
}  // namespace

const std::vector<ControlSpec>& CADCDlg::Table() {
    static const std::vector<ControlSpec> table = {
        NumberField("Clock div:", 0, 0, kDividerMin, kDividerMax),  // derived: Decode and CommitOwn
        ResultField("-> Freq:").Unit("Hz").Beside(),
        List("Mode:", ADCON, 0x30,
             {"Single conversion", "Multi-conv/Continous", "Multi-conv/Stopping", "Multi-conv/Reset gen"}),
        List("", ADCON, 0x80, {"Active", "Power down"}).Id("Power").Beside(),
        List("Voltage ref:", ADCON, 0x08, {"VDD", "1,25V"}),
        NumberField("Comp. thresh:", ADTRH, 0xFF, 0, 255),
        List("Analog input:", ADCON, 0x03,
             {"AD0 pin", "AD1 pin", "AD2 pin / RSSI pin", "AD0 pin, AD1 as ext. ref."}),
        Check("Run", ADCON, 0x04),
        ResultField("Data output:"),
        RefreshButton(),
    };
    return table;
}

CADCDlg::CADCDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

int CADCDlg::Divider(std::uint8_t adcon2) { return ((adcon2 & 0x3F) + 1) * 16; }

std::uint32_t CADCDlg::ConversionHz(std::uint32_t clockHz, int divider, std::uint8_t clockControl) {
    return (clockControl & 0x01) ? kSlowClockHz : clockHz / static_cast<std::uint32_t>(divider);
}

void CADCDlg::Decode(const SfrImage& image) {
    const int divider = Divider(image[ADCON2]);
    At("Clock div").number = divider;
    At("-> Freq").text = std::to_string(ConversionHz(Sfr().GetClockHz(), divider, image[CLKCON]));
    At("Data output").text = std::to_string((image[ADDATH] & 0x03) * 256 + image[ADDATL]);
}

// The divider is written rounded down to a multiple of 16; what was typed stays on
// show (unless clamped) until the next refresh shows the divider set.
std::optional<CommitResult> CADCDlg::CommitOwn(Control& c) {
    if (c.Id() != "Clock div") return std::nullopt;
    const int divider = std::clamp(c.number, kDividerMin, kDividerMax);
    const bool clamped = divider != c.number;
    c.number = divider;
    Sfr().WriteSfrBits(ADCON2, static_cast<std::uint8_t>((divider - kDividerMin) >> 4), 0x3F);
    return clamped ? CommitResult::Shown : CommitResult::Kept;
}

}  // namespace kx6500disp

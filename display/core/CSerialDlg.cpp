#include "display/core/CSerialDlg.h"

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

const SerialPortRegisters CSerial0Dlg::kPort{SCON0, SBUF0, PCON, 0x80};
const SerialPortRegisters CSerial1Dlg::kPort{SCON1, SBUF1, EICON, 0x80};

namespace {

std::string Rate(std::uint64_t baud) { return "Baud rate: " + std::to_string(baud); }

// Modes 1 and 3 run on timer 1, and only its auto-reload mode gives a rate. 256 - TH1
// is at least 1; the arithmetic is 64-bit so that no clock overflows it.
std::string TimerOneRate(const SfrImage& image, std::uint64_t clockHz, std::uint64_t smod) {
    if (((image[TMOD] >> 4) & 0x03) != 2) return "Baud rate: N/A";
    const std::uint64_t divider = (image[CKCON] & 0x10) ? 4 : 12;
    return Rate((smod + 1) * clockHz / ((256 - std::uint64_t{image[TH1]}) * divider * 32));
}

}  // namespace

std::vector<std::string> SerialStatusLines(const SerialPortRegisters& port, const SfrImage& image,
                                           std::uint32_t clockHz) {
    const std::uint64_t clock = clockHz, smod = (image[port.smodReg] & port.smodMask) ? 1 : 0;
    const std::uint8_t scon = image[port.scon];
    switch (scon >> 6) {
    case 0:
        return {"Synchronous mode", Rate((scon & 0x20) ? clock / 4 : clock / 12), "Data bits: 8",
                "Start/Stop bits: None", "Parity bit: None"};
    case 1:
        return {"Asynchronous mode", TimerOneRate(image, clock, smod), "Data bits: 8", "Start/Stop bits: 1 / 1",
                "Parity bit: None"};
    case 2:
        return {"Asynchronous mode", Rate(smod ? clock / 32 : clock / 64), "Data bits: 9", "Start/Stop bits: 1 / 1",
                "Parity bit: 0 / 1 / Parity"};
    default:
        return {"Asynchronous mode", TimerOneRate(image, clock, smod), "Data bits: 9", "Start/Stop bits: 1 / 1",
                "Parity bit: 0 / 1 / Parity"};
    }
}

std::vector<ControlSpec> SerialPortView::Table(const SerialPortRegisters& port) {
    return {
        List("Mode:", port.scon, 0xC0, Entries(0, 3)),
        Check("Multiproc. comm. enable", port.scon, 0x20),
        Check("Receive enable", port.scon, 0x10),
        Check("Transmit interrupt flag", port.scon, 0x02),
        Check("Receive interrupt flag", port.scon, 0x01),
        NumberField("TB8:", port.scon, 0x08, 0, 1),
        NumberField("RB8:", port.scon, 0x04, 0, 1).Beside(),
        HexField("Data buffer:  0x", {port.sbuf}),
        Check("2x baud rate (m: 1, 2, 3)", port.smodReg, port.smodMask),
        Label("", "Status:").NextColumn(),
        Lines("Status"),
        RefreshButton(),
    };
}

SerialPortView::SerialPortView(SfrAccess& sfr, Notifier& notifier, Precheck precheck,
                               const SerialPortRegisters& port)
    : PeripheralView(sfr, notifier, precheck, Table(port)), port_(port) {}

void SerialPortView::Decode(const SfrImage& image) {
    At("Status").items = SerialStatusLines(port_, image, Sfr().GetClockHz());
}

CSerial0Dlg::CSerial0Dlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : SerialPortView(sfr, notifier, precheck, kPort) {}

// The debugger's own port: everything but the refresh is shown only.
CSerial1Dlg::CSerial1Dlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : SerialPortView(sfr, notifier, precheck, kPort) {
    for (Control& c : AllControls()) c.screen.enabled = c.Id() == "Refresh";
}

}  // namespace kx6500disp

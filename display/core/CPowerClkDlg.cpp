#include "display/core/CPowerClkDlg.h"

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {
EntryWrite FlashPower(std::uint8_t value) { return {{FLCON, value, 0x60}, {}}; }
}  // namespace

const std::vector<ControlSpec>& CPowerClkDlg::Table() {
    static const std::vector<ControlSpec> table = {
        Check("Core power down", RFMAIN, 0x04).InGroup("Main xosc"),
        Check("Bias power down", RFMAIN, 0x02).InGroup("Main xosc"),
        Check("Osc. power down", CLKCON, 0x02).InGroup("32 kHz xosc"),
        Check("Osc. bypass", CLKCON, 0x04).InGroup("32 kHz xosc"),
        List("Clock source:", CLKCON, 0x01, {"Main crystal oscillator", "32 kHz crystial oscillator"}),
        List("Flash power mode:", FLCON, 0x60,
             {"Always active", "Standby in idle/stop mode", "Standby whenever possible"})
            .Writes({FlashPower(0x00), FlashPower(0x20), FlashPower(0x40)}),
        List("Xdata stretch cyc.:", CKCON, 0x07,
             {"2 cycles", "3 cycles", "4 cycles", "5 cycles", "6 cycles", "7 cycles", "8 cycles", "9 cycles"}),
    };
    return table;
}

CPowerClkDlg::CPowerClkDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

}  // namespace kx6500disp

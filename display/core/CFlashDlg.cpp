#include "display/core/CFlashDlg.h"

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

namespace {
// Bits 5..0 are the timing value the view shows; a commit sets the whole byte, so
// the two bits above are written as typed.
ControlSpec TimingField() {
    ControlSpec c = HexField("FLTIM:         0x", {FLTIM});
    c.mask = 0x3F;
    return c;
}
}  // namespace

const std::vector<ControlSpec>& CFlashDlg::Table() {
    static const std::vector<ControlSpec> table = {
        List("Low power:", FLCON, 0x60, {"Always active", "In idle/stop mode", "Between instr. fetches"}),
        Check("Idle mode", PCON, 0x01).ShownOnly(),
        NumberField("Xdata page:", FLCON, 0x0F, 0, 15),
        NumberField("Flash page:", FLADR, 0xFF, 0, 255),
        TimingField(),
        Check("Write flash start bit", FLCON, 0x10).ShownOnly(),
    };
    return table;
}

CFlashDlg::CFlashDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

}  // namespace kx6500disp

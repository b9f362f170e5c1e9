#pragma once
// The power and clock view: the two crystal oscillators, the clock source, the flash
// power mode (its own encoding of the FLCON field the flash view also shows) and the
// XDATA stretch cycles.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CPowerClkDlg : public PeripheralView {
public:
    CPowerClkDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();
};

}  // namespace kx6500disp

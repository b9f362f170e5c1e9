#pragma once
// The interrupt view: per source its enable, flag and priority bits as boxes in three
// columns and its fixed vector address. Every box writes its one bit; the flash
// write and the debugger's serial port are shown only.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CInterruptsDlg : public PeripheralView {
public:
    CInterruptsDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();
};

}  // namespace kx6500disp

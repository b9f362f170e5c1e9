#pragma once
// The flash view: power mode, pages and timing of the flash controller. Its fields
// are all table rows; FLTIM shows its six timing bits and is written whole.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CFlashDlg : public PeripheralView {
public:
    CFlashDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();
};

}  // namespace kx6500disp

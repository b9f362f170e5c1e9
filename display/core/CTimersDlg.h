#pragma once
// The Timers view: timers 0 to 3, the watchdog timer and the real-time clock. Its
// table binds the bit grid, the lists and the byte fields; its own rules are the
// captions and list texts by mode, the value layouts of timers 0 and 1 (one 13- or
// 16-bit field, or the two bytes) and the commit of the single fields.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CTimersDlg : public PeripheralView {
public:
    CTimersDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);

    static const std::vector<ControlSpec>& Table();

protected:
    void Decode(const SfrImage& image) override;
    std::optional<CommitResult> CommitOwn(Control& c) override;
};

}  // namespace kx6500disp

#pragma once
// The A/D converter view: its control bits as lists, the comparator threshold, the
// converted value, and the clock divider with the conversion clock it gives.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CADCDlg : public PeripheralView {
public:
    CADCDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();

    // The divider of ADCON2 bits 5..0: (field + 1) x 16.
    static int Divider(std::uint8_t adcon2);
    // The conversion clock: clockHz / divider, or the 32 kHz oscillator's while the
    // clock control register selects it.
    static std::uint32_t ConversionHz(std::uint32_t clockHz, int divider, std::uint8_t clockControl);

protected:
    void Decode(const SfrImage& image) override;
    std::optional<CommitResult> CommitOwn(Control& c) override;
};

}  // namespace kx6500disp

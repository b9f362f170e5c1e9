#pragma once
// The SPI view: control and status bits, the data register, and the clock-rate list
// whose entries are the rates the target clock gives (made once, at the first
// refresh that finds the list empty).

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CSPIDlg : public PeripheralView {
public:
    CSPIDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();
    // "%dHz" of clockHz / 8, 16, 32, 64.
    static std::vector<std::string> ClockRates(std::uint32_t clockHz);

protected:
    void Decode(const SfrImage& image) override;
};

}  // namespace kx6500disp

#pragma once
// The Radio & Modem view: the RF front end, the frequency synthesizer and the modem.
// Its table binds the lists, boxes and plain fields; its own rules are the derived
// values (reference frequency, channel frequencies, separation, the baud list and the
// real modem rate) and the separation commit.

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CRadioModemDlg : public PeripheralView {
public:
    CRadioModemDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);

    static const std::vector<ControlSpec>& Table();
    // The modem's base rate: trunc(clockHz x 2^baud / (crystal + 1) / 12288), exact.
    static std::uint64_t ModemBaseRate(std::uint32_t clockHz, unsigned baudIndex, unsigned crystalIndex);

protected:
    void Decode(const SfrImage& image) override;
    std::optional<CommitResult> CommitOwn(Control& c) override;

private:
    CommitResult CommitSeparation(Control& c);
};

}  // namespace kx6500disp

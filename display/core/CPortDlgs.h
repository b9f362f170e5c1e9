#pragma once
// The port views: one table per port (its direction and latch bits as two rows of
// boxes, most significant bit on the left), shown alone by CPort0Dlg .. CPort3Dlg and
// joined by CPortsDlg, which adds the pins' alternate functions of the SPI and the
// PWM outputs: a list of lines and a letter over each pin in use.

#include <string_view>

#include "display/core/PeripheralView.h"

namespace kx6500disp {

struct PortInfo {
    int number;
    int topBit;  // bits topBit..0 are shown
    std::uint8_t value, direction;
    const char* group;  // its group in the all-ports view
};
const PortInfo& Port(int number);  // 0..3

// The boxes of one port: "Dir N" and "Value N" (ids after `prefix`), N the bit.
std::vector<ControlSpec> PortTable(int number, std::string_view prefix = {});

class CPortDlg : public PeripheralView {
public:
    CPortDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck, int number);
};

class CPort0Dlg : public CPortDlg {
public:
    CPort0Dlg(SfrAccess& s, Notifier& n, Precheck p) : CPortDlg(s, n, p, 0) {}
};
class CPort1Dlg : public CPortDlg {
public:
    CPort1Dlg(SfrAccess& s, Notifier& n, Precheck p) : CPortDlg(s, n, p, 1) {}
};
class CPort2Dlg : public CPortDlg {
public:
    CPort2Dlg(SfrAccess& s, Notifier& n, Precheck p) : CPortDlg(s, n, p, 2) {}
};
class CPort3Dlg : public CPortDlg {
public:
    CPort3Dlg(SfrAccess& s, Notifier& n, Precheck p) : CPortDlg(s, n, p, 3) {}
};

class CPortsDlg : public PeripheralView {
public:
    CPortsDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const std::vector<ControlSpec>& Table();

protected:
    void Decode(const SfrImage& image) override;
};

}  // namespace kx6500disp

#pragma once
// The two serial port views. Both show one port's SCON bits, its buffer, its SMOD bit
// and the "Status:" lines derived from the mode, the clock and timer 1. Port 1 serves
// the debugger: its view shows the same and changes nothing.

#include <string>
#include <vector>

#include "display/core/PeripheralView.h"

namespace kx6500disp {

// A port's registers: SCONn, SBUFn, and where its double-rate bit (SMOD) lies.
struct SerialPortRegisters {
    std::uint8_t scon, sbuf, smodReg, smodMask;
};

// The five "Status:" lines of a port for an SFR image and a clock.
std::vector<std::string> SerialStatusLines(const SerialPortRegisters& port, const SfrImage& image,
                                           std::uint32_t clockHz);

class SerialPortView : public PeripheralView {
public:
    static std::vector<ControlSpec> Table(const SerialPortRegisters& port);

protected:
    SerialPortView(SfrAccess& sfr, Notifier& notifier, Precheck precheck, const SerialPortRegisters& port);
    void Decode(const SfrImage& image) override;

private:
    SerialPortRegisters port_;
};

class CSerial0Dlg : public SerialPortView {
public:
    CSerial0Dlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const SerialPortRegisters kPort;
};

class CSerial1Dlg : public SerialPortView {
public:
    CSerial1Dlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);
    static const SerialPortRegisters kPort;
};

}  // namespace kx6500disp

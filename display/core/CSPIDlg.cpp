#include "display/core/CSPIDlg.h"

#include "display/core/SfrMap.h"

namespace kx6500disp {

using namespace sfr;

const std::vector<ControlSpec>& CSPIDlg::Table() {
    static const std::vector<ControlSpec> table = {
        Check("Special purpose mode", SPCR, 0x40),
        Check("SPI enable", SPCR, 0x20),
        List("Data order:", SPCR, 0x10, {"LSB t/r first", "MSB t/r first"}),
        List("Clock polarity:", SPCR, 0x08, {"0", "1"}),
        List("Clock phase:", SPCR, 0x04, {"0", "1"}),
        List("Clock rate:", SPCR, 0x03, {}),
        Check("SPI Active (transmitting data)", SPSR, 0x02),
        Check("Write collision flag", SPSR, 0x01),
        HexField("SPI data:  0x", {SPDR}),
    };
    return table;
}

CSPIDlg::CSPIDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck)
    : PeripheralView(sfr, notifier, precheck, Table()) {}

std::vector<std::string> CSPIDlg::ClockRates(std::uint32_t clockHz) {
    std::vector<std::string> rates;
    for (int shift = 3; shift <= 6; ++shift) rates.push_back(std::to_string(clockHz >> shift) + "Hz");
    return rates;
}

void CSPIDlg::Decode(const SfrImage& image) {
    Control& rate = At("Clock rate");
    if (!rate.items.empty()) return;
    rate.items = ClockRates(Sfr().GetClockHz());
    DecodeChoice(rate, image);
}

}  // namespace kx6500disp

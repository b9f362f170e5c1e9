#include "studio/reports/ReportsKX6500.h"

#include "studio/config/KX6500Calc.h"
#include "studio/reports/ReportFile.h"
#include "studio/reports/ReportsKX6200.h"

namespace tessary {

namespace {
const char* const kFormats[] = {"// Data Format: NRZ\n", "// Data Format: Manchester\n",
                                "// Data Format: Transparent\n", "// Data Format: UART\n"};
const char* const kIfRssi[] = {"// IF/RSSI: RSSI Enabled\n\n", "// IF/RSSI: External 10,7 MHz IF\n\n",
                               "// IF/RSSI: Disabled\n\n"};
}  // namespace

std::string SettingsTableKX6500(const KX6200Block& v, const CRegister& reg, double divider, double dividerTx) {
    using namespace kx6200;
    const double fAct = v.active == 1 ? v.rfB : v.rfA;
    auto r = [&](int slot) { return reg.GetReg(slot) & 0xFF; };
    std::string s;
    AppendF(s, "\n// X-tal frequency: %.6f MHz\n", v.xtal);
    AppendF(s, "// RF frequency A: %3.6f MHz\t", v.rfA);
    s += v.dirA == 1 ? "Tx\n" : "Rx\n";
    AppendF(s, "// RF frequency B: %3.6f MHz\t", v.rfB);
    s += v.dirB == 1 ? "Tx\n" : "Rx\n";
    s += "// RX Mode: ";
    s += v.lowLo ? "Low side LO\n" : "High side LO\n";
    AppendF(s, "// Frequency separation: %2.0f kHz\n", v.sep);
    AppendF(s, "// Data rate: %1.1f kBaud\n", v.rate);
    s += Pick(kFormats, v.format);
    AppendF(s, "// RF output power: %.0f dBm\n", v.power);
    s += Pick(kIfRssi, v.ifRssi);
    s += "RF_RXTXPAIR_SETTINGS code RF_SETTINGS = {\n";
    AppendF(s, "    0x%02X, 0x%02X, 0x%02X,    // Modem 0, 1 and 2\n", r(9), r(8), r(7));
    AppendF(s, "    0x%02X, 0x%02X, 0x%02X,    // Freq A\n", r(3), r(2), r(1));
    AppendF(s, "    0x%02X, 0x%02X, 0x%02X,    // Freq B\n", r(6), r(5), r(4));
    AppendF(s, "    0x%02X, 0x%02X,          // FSEP 1 and 0\n", r(19), r(18));
    AppendF(s, "    0x%02X,                // PLL_RX\n", kx6500::PllValue(kRX, divider, dividerTx) & 0xFF);
    AppendF(s, "    0x%02X,                // PLL_TX\n", kx6500::PllValue(kTX, divider, dividerTx) & 0xFF);
    AppendF(s, "    0x%02X,                // CURRENT_RX\n", kx6500::CurrentRegister(fAct, kRX));
    AppendF(s, "    0x%02X,                // CURRENT_TX\n", kx6500::CurrentRegister(fAct, kTX));
    AppendF(s, "    0x%02X,                // FREND\n", r(21));
    AppendF(s, "    0x%02X,                // PA_POW\n", r(12));
    AppendF(s, "    0x%02X,                // MATCH\n", r(10));
    s += "    0x00,                // PRESCALER\n";
    s += "    };";
    return s;
}

bool PrintSettingsKX6500(const CConfigViewKX6500& form, const std::string& path, std::string& error) {
    return WriteReportFile(path, SettingsReportKX6200(form.Document().config, form.Components(), KX6200Family::KX6500),
                           error);
}

bool PrintRegistersKX6500(CConfigViewKX6500& form, const std::string& path, std::string& error) {
    const KX6200Block& v = form.Values();
    CRegister& reg = form.Document().registers;
    const std::string text = SettingsTableKX6500(v, reg, form.Divider(), form.DividerTx());
    reg.SetReg(13, kx6500::PllValue(v.mode, form.Divider(), form.DividerTx()));
    reg.SetReg(11, kx6500::CurrentRegister(form.ActiveFrequency(), v.mode));
    return WriteReportFile(path, text, error);
}

}  // namespace tessary

#include "studio/reports/ReportsKX6200.h"

#include "studio/config/KX6200Calc.h"
#include "studio/reports/ReportFile.h"

namespace tessary {

namespace {

const char* const kFormatKX6200[] = {"Data Format: NRZ\t\t", "Data Format: Manchester\t\t", "Data Format: UART\t\t"};
const char* const kFormatKX6500[] = {"Data Format: NRZ\t\t", "Data Format: Manchester\t\t",
                                     "Data Format: Transparent\t\t", "Data Format: UART\t\t"};
const char* const kLockKX6200[] = {"LOCK indicator: Continuous\n", "LOCK indicator: One-shot\n",
                                   "LOCK indicator: External PA control\n", "LOCK indicator: External LNA control\n",
                                   "LOCK indicator: Disable\n"};
const char* const kLockKX6500[] = {"LOCK indicator: Disable\n", "LOCK indicator: Enable\n"};
const char* const kIfRssi[] = {"IF/RSSI: RSSI Enabled\n", "IF/RSSI: External 10,7 MHz IF\n", "IF/RSSI: Disabled\n"};
const char* const kOperatorMode[] = {"Operator Mode: Rx\n",
                                     "Operator Mode: Tx\n",
                                     "Operator Mode: PD\n",
                                     "Operator Mode: XOSC Core only\n",
                                     "Operator Mode: XOSC Core & Bias\n",
                                     "Operator Mode: XOSC Core, Bias & Synth\n"};

void AppendComponent(std::string& out, const ComponentText& c) {
    AppendF(out, "%s = %s %s\n", c.name.c_str(), c.text.c_str(), c.unit.c_str());
}

}  // namespace

std::string SettingsReportKX6200(const CConfig& config, const std::vector<ComponentText>& components,
                                 KX6200Family device) {
    const KX6200Block& b = config.kx6200;
    const bool kx6500 = device == KX6200Family::KX6500;
    std::string out = kx6500 ? "Device: KX6500\n\n" : "Device: KX6200\n\n";
    out += "System parameters:\n";
    AppendF(out, "X-tal frequency: %.6f MHz\t", b.xtal);
    out += b.xosc == 1 ? "External\n" : "Internal\n";
    AppendF(out, "X-tal accuracy: +/- %2.0f ppm\n", b.ppm);
    AppendF(out, "RF frequency A: %3.6f MHz\t", b.rfA);
    out += b.active == 1 ? "Inactive\t" : "Active  \t";
    out += b.dirA == 1 ? "Tx\n" : "Rx\n";
    AppendF(out, "RF frequency B: %3.6f MHz\t", b.rfB);
    out += b.active == 1 ? "Active  \t" : "Inactive\t";
    out += b.dirB == 1 ? "Tx\n" : "Rx\n";
    out += "RX Mode:  ";
    if (!kx6500) out += b.lowCurrent ? "Low Current: yes,\t" : "Low Current: no,\t";
    out += b.optimal ? "Optimal frequency: yes,\t" : "Optimal frequency: no,\t";
    out += b.lowLo ? "Low side LO\n" : "High side LO\n";
    AppendF(out, "Frequency separation: %2.0f kHz\n", b.sep);
    AppendF(out, "Data rate: %1.1f kBaud\n", b.rate);
    out += kx6500 ? Pick(kFormatKX6500, b.format) : Pick(kFormatKX6200, b.format);
    out += b.settling == 1 ? "Accurate\n" : "Fast\n";
    AppendF(out, "RF output power: %.0f dBm\n", b.power);
    out += kx6500 ? Pick(kLockKX6500, b.lock) : Pick(kLockKX6200, b.lock);
    out += Pick(kIfRssi, b.ifRssi);
    out += Pick(kOperatorMode, b.mode);
    out += "\nComponent values, VCO inductor:\n";
    if (!components.empty()) AppendComponent(out, components.front());
    out += "\nComponent values, Match\n";
    for (std::size_t i = 1; i < components.size(); ++i) AppendComponent(out, components[i]);
    return out;
}

std::string RegisterListingKX6200(const KX6200Block& v, const CRegister& reg, double divider, double dividerTx) {
    using namespace kx6200;
    const double fAct = v.active == 1 ? v.rfB : v.rfA;
    // RX with the frequency whose direction is Rx active; TX and the rest with the other.
    const int rxActive = v.dirA == 1 ? 1 : 0;
    const int txActive = 1 - rxActive;
    auto line = [](std::string& s, int address, int value, const char* suffix) {
        AppendF(s, "%02X\t\t%02X%s\n", address, value & 0xFF, suffix);
    };
    std::string s = "\nRegister:\tData:\tmode:\n";
    line(s, 0x00, MainValue(kRX, rxActive), "\tRX");
    line(s, 0x00, MainValue(kTX, txActive), "\tTX");
    line(s, 0x00, MainValue(kPD, txActive), "\tPD");
    line(s, 0x00, MainValue(kXoscCore, txActive), "\tXOSC Core Only");
    line(s, 0x00, MainValue(kXoscCoreBias, txActive), "\tXOSC Core & Bias");
    line(s, 0x00, MainValue(kXoscCoreBiasSynth, txActive), "\tXOSC Core, Bias & Synth");
    for (int slot = 1; slot <= 8; ++slot) line(s, slot, reg.GetReg(slot), "");
    line(s, 0x09, CurrentRegister(fAct, kTX, v.lowCurrent), "\tTX");
    line(s, 0x09, CurrentRegister(fAct, kRX, v.lowCurrent), "\telse");
    line(s, 0x0A, reg.GetReg(34), "");
    line(s, 0x0B, reg.GetReg(10), "");
    line(s, 0x0C, PllValue(kTX, divider, dividerTx), "\tTX");
    line(s, 0x0C, PllValue(kRX, divider, dividerTx), "\telse");
    for (int slot = 12; slot <= 18; ++slot) line(s, slot + 1, reg.GetReg(slot), "");
    line(s, 0x1C, reg.GetReg(35), "");
    line(s, 0x42, reg.GetReg(29), "");
    return s;
}

bool PrintSettingsKX6200(const CConfigViewKX6200& form, const std::string& path, std::string& error) {
    return WriteReportFile(path, SettingsReportKX6200(form.Document().config, form.Components()), error);
}

bool PrintRegistersKX6200(CConfigViewKX6200& form, const std::string& path, std::string& error) {
    using namespace kx6200;
    const KX6200Block& v = form.Values();
    CRegister& reg = form.Document().registers;
    const std::string text = RegisterListingKX6200(v, reg, form.Divider(), form.DividerTx());
    // The listing computed MAIN, CURRENT and PLL for other modes; the slots keep the
    // values of the form's own mode so that a later download sends what the form shows.
    reg.SetReg(0, MainValue(v.mode, v.active));
    reg.SetReg(9, CurrentRegister(form.ActiveFrequency(), v.mode, v.lowCurrent));
    reg.SetReg(11, PllValue(v.mode, form.Divider(), form.DividerTx()));
    return WriteReportFile(path, text, error);
}

}  // namespace tessary

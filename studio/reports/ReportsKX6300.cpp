#include "studio/reports/ReportsKX6300.h"

#include "studio/config/KX6300Calc.h"
#include "studio/reports/ReportFile.h"

namespace tessary {

namespace {

const char* const kFormat[] = {"Data Format: NRZ\n", "Data Format: Manchester\n", "Data Format: UART\n"};
const char* const kLock[] = {"LOCK indicator: Continuous\n", "LOCK indicator: One-shot\n",
                             "LOCK indicator: External PA control\n", "LOCK indicator: Disable\n"};
const char* const kMode[] = {"Mode: Tx\n", "Mode: PD\n", "Mode: XOSC Core only\n", "Mode: XOSC Core & Bias\n",
                             "Mode: XOSC Core, Bias & Synth\n"};
// The listing's MAIN lines, in the order of the mode list.
const char* const kListingMode[] = {"\tTX", "\tPD", "\tXOSC Core Only", "\tXOSC Core & Bias",
                                    "\tXOSC Core, Bias & Synth"};

void AppendComponent(std::string& out, const ComponentText& c) {
    AppendF(out, "%s = %s %s\n", c.name.c_str(), c.text.c_str(), c.unit.c_str());
}

}  // namespace

std::string SettingsReportKX6300(const CConfig& config, const std::vector<ComponentText>& components) {
    const KX6300Block& b = config.kx6300;
    std::string out = "Device: KX6300\n\nSystem parameters:\n";
    AppendF(out, "X-tal frequency: %.6f MHz\t", b.xtal);
    out += b.xosc == 1 ? "External\n" : "Internal\n";
    AppendF(out, "RF frequency A: %3.6f MHz\t", b.rfA);
    out += b.active == 1 ? "Inactive\n" : "Active  \n";
    AppendF(out, "RF frequency B: %3.6f MHz\t", b.rfB);
    out += b.active == 1 ? "Active  \n" : "Inactive\n";
    AppendF(out, "Frequency separation: %2.0f kHz\n", b.sep);
    AppendF(out, "Data rate: %1.1f kBaud\n", b.rate);
    out += Pick(kFormat, b.format);
    AppendF(out, "RF output power: %.0f dBm\n", b.power);
    out += Pick(kLock, b.lock);
    out += Pick(kMode, b.mode);
    out += "\nComponent values, VCO inductor:\n";
    if (!components.empty()) AppendComponent(out, components.front());
    out += "\nComponent values, Match\n";
    for (std::size_t i = 1; i < components.size(); ++i) AppendComponent(out, components[i]);
    return out;
}

std::string RegisterListingKX6300(const KX6300Block& v, const CRegister& reg) {
    auto line = [](std::string& s, int address, int value, const char* suffix) {
        AppendF(s, "%02X\t\t%02X%s\n", address, value & 0xFF, suffix);
    };
    std::string s = "\nRegister:\tData:\tmode:\n";
    for (int mode = kx6300::kTX; mode <= kx6300::kXoscCoreBiasSynth; ++mode)
        line(s, 0x00, kx6300::MainValue(mode, v.active), kListingMode[mode]);
    for (const KX6300Register& r : KX6300DownloadOrder())
        if (r.slot != 0) line(s, r.address, reg.GetReg6300(r.slot), "");
    return s;
}

bool PrintSettingsKX6300(const CConfigView_KX6300& form, const std::string& path, std::string& error) {
    return WriteReportFile(path, SettingsReportKX6300(form.Document().config, form.Components()), error);
}

bool PrintRegistersKX6300(CConfigView_KX6300& form, const std::string& path, std::string& error) {
    const KX6300Block& v = form.Values();
    CRegister& reg = form.Document().registers;
    const std::string text = RegisterListingKX6300(v, reg);
    // The listing computed MAIN for every mode; the slot keeps the form's own.
    reg.SetReg6300(0, kx6300::MainValue(v.mode, v.active));
    return WriteReportFile(path, text, error);
}

}  // namespace tessary

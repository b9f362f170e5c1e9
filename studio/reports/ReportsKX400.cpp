#include "studio/reports/ReportsKX400.h"

#include <initializer_list>

#include "studio/board/CRegisterBus.h"
#include "studio/reports/ReportFile.h"

namespace tessary {

namespace {

const char* const kModeHeadings[] = {"RX mode:\n", "TX mode:\n", "PD osc. on mode:\n", "PD osc. off mode:\n",
                                     "RX Precharge mode:\n"};

void ComponentLines(std::string& s, const std::vector<ComponentText>& components,
                    std::initializer_list<const char*> names) {
    for (const char* name : names)
        for (const ComponentText& c : components)
            if (c.name == name) AppendF(s, "%s = %s %s\n", c.name.c_str(), c.text.c_str(), c.unit.c_str());
}

}  // namespace

std::string SettingsReportKX400(const CConfig& config, const std::vector<ComponentText>& components) {
    const KX400Block& b = config.kx400;
    std::string s;
    AppendF(s, "Device: KX%1.0f00\n\n", b.deviceNumber);
    s += "System parameters:\n";
    AppendF(s, "X-tal frequency: %.6f MHz\n", b.xtal * 1e-6);
    AppendF(s, "X-tal accuracy: +/- %2.0f ppm\n", b.ppm * 1e6);
    AppendF(s, "RF frequency: %3.3f MHz\n", b.rf * 1e-6);
    AppendF(s, "IF stage: %s kHz\n", config.ifStageText.c_str());
    AppendF(s, "Frequency separation: %2.0f kHz\n", b.sep * 0.001);
    AppendF(s, "Data rate: %1.1f kbps\n", b.rate * 0.001);
    AppendF(s, "Power amplifier class: %s\n", config.paClassText.c_str());
    AppendF(s, "RF output power: %.0f dBm\n", b.power);
    AppendF(s, "Mode: %s\n", config.modeText.c_str());
    AppendF(s, "Receiver mode: %s\n", config.rxModeText.c_str());
    AppendF(s, "LOCK indicator: %s\n", config.lockText.c_str());
    AppendF(s, "VCO gain: %s\n", config.vcoGainText.c_str());
    s += "\nComponent values, PLL loop filter:\n";
    ComponentLines(s, components, {"C121", "C122", "C123", "R121", "R122", "R123"});
    s += "\nComponent values, Input/output match:\n";
    ComponentLines(s, components, {"C51", "L51", "L61"});
    if (b.deviceNumber == 4) ComponentLines(s, components, {"C61"});
    return s;
}

std::string ListingBlockKX400(int mode, const CTmpReg& frames) {
    std::string s = Pick(kModeHeadings, mode);
    s += "Frame\tAddr/Data\n";
    for (int i = 0; i < kFrameCount; ++i) {
        const char letter[2] = {static_cast<char>('A' + i), '\0'};
        AppendF(s, "%s\t%04X\n", letter, FrameWord(i, frames.GetFrame(i)));
    }
    s += "\n";
    return s;
}

std::optional<std::string> RegisterListingKX400(CConfigView& form) {
    std::string text;
    for (int mode = 0; mode < kx400::kModeCount; ++mode) {
        const auto frames = form.FramesForMode(mode);
        if (!frames) return std::nullopt;
        text += ListingBlockKX400(mode, *frames);
    }
    return text;
}

bool PrintSettingsKX400(const CConfigView& form, const std::string& path, std::string& error) {
    return WriteReportFile(path, SettingsReportKX400(form.Document().config, form.Components()), error);
}

bool PrintRegistersKX400(CConfigView& form, const std::string& path, std::string& error) {
    const auto listing = RegisterListingKX400(form);
    if (!listing) {
        error = "The register listing was not written to " + path + ": the calculation stopped.";
        return false;
    }
    return WriteReportFile(path, *listing, error);
}

}  // namespace tessary

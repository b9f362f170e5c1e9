// The KX6300 in the studio: the transmitter's own form and window layout, the
// three-wire register view, its reports, the lock pin.

#include "studio/app/ConfigFormWindow.h"
#include "studio/app/StudioForms.h"
#include "studio/config/CConfigView_KX6300.h"
#include "studio/reports/ReportsKX6300.h"

namespace tessary {

namespace {

using F = FieldId;

CConfigView_KX6300& Form(ConfigurationForm& form) { return static_cast<CConfigView_KX6300&>(form); }

// Info buttons 0 to 8 by the parameters, 9 and 10 by L1 (VCO inductor) and L2 (match).
const ConfigFormWindow::Layout& KX6300Layout() {
    static const ConfigFormWindow::Layout layout = {
        {{F::Xtal, "Crystal frequency", "MHz", 0},
         {F::Xosc, "Crystal source", "", -1},
         {F::RfA, "RF frequency A", "MHz", 1},
         {F::RfB, "RF frequency B", "MHz", -1},
         {F::Active, "Active frequency", "", -1},
         {F::Sep, "Frequency separation", "kHz", 2},
         {F::Rate, "Data rate", "kBaud", 3},
         {F::Format, "Data format", "", 4},
         {F::Power, "RF output power", "dBm", 5},
         {F::Shape, "Modulation shaping", "", 6},
         {F::Lock, "Lock indicator", "", 7},
         {F::Mode, "Mode", "", 8}},
        {9, 10},
        "",
        {},
        false,
        -1,
        "&Reset",
        false,
        11,
    };
    return layout;
}

}  // namespace

const StudioFormEntry& StudioFormKX6300() {
    static const StudioFormEntry entry = {
        {DeviceKind::KX6300},
        "KX6300",
        [](TessaryDocument& document, MessageSink& messages) -> std::unique_ptr<ConfigurationForm> {
            return std::make_unique<CConfigView_KX6300>(document, messages);
        },
        [](ConfigurationForm& form, QWidget* parent) -> FormWindow* {
            return new ConfigFormWindow(Form(form), KX6300Layout(), parent);
        },
        [](const CRegister& registers, MessageSink& messages) -> std::unique_ptr<CRegisterViewModel> {
            return std::make_unique<CRegisterView_KX6300>(registers, messages);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintSettingsKX6300(Form(form), path, error);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintRegistersKX6300(Form(form), path, error);
        },
        false,
    };
    return entry;
}

}  // namespace tessary

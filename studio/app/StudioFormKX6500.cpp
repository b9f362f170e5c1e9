// The KX6500 in the studio: its form on the shared block with the estimator group and
// "&HW Reset", the board-bus register view, the C settings table, the LOCK register.

#include "studio/app/ConfigFormWindow.h"
#include "studio/app/StudioForms.h"
#include "studio/config/CConfigViewKX6500.h"
#include "studio/reports/ReportsKX6500.h"

namespace tessary {

namespace {
CConfigViewKX6500& Form(ConfigurationForm& form) { return static_cast<CConfigViewKX6500&>(form); }
}  // namespace

const StudioFormEntry& StudioFormKX6500() {
    static const StudioFormEntry entry = {
        {DeviceKind::KX6500},
        "KX6500",
        [](TessaryDocument& document, MessageSink& messages) -> std::unique_ptr<ConfigurationForm> {
            return std::make_unique<CConfigViewKX6500>(document, messages);
        },
        [](ConfigurationForm& form, QWidget* parent) -> FormWindow* {
            return new ConfigFormWindow(Form(form), true, parent);
        },
        [](const CRegister& registers, MessageSink& messages) -> std::unique_ptr<CRegisterViewModel> {
            return std::make_unique<CRegisterView_KX6500>(registers, messages);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintSettingsKX6500(Form(form), path, error);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintRegistersKX6500(Form(form), path, error);
        },
        true,
    };
    return entry;
}

}  // namespace tessary

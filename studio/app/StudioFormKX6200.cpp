// The KX6200 in the studio: its form on the shared block, the three-wire register view.

#include "studio/app/ConfigFormWindow.h"
#include "studio/app/StudioForms.h"
#include "studio/config/CConfigViewKX6200.h"
#include "studio/reports/ReportsKX6200.h"

namespace tessary {

namespace {
CConfigViewKX6200& Form(ConfigurationForm& form) { return static_cast<CConfigViewKX6200&>(form); }
}  // namespace

const StudioFormEntry& StudioFormKX6200() {
    static const StudioFormEntry entry = {
        {DeviceKind::KX6200},
        "KX6200",
        [](TessaryDocument& document, MessageSink& messages) -> std::unique_ptr<ConfigurationForm> {
            return std::make_unique<CConfigViewKX6200>(document, messages);
        },
        [](ConfigurationForm& form, QWidget* parent) -> FormWindow* {
            return new ConfigFormWindow(Form(form), false, parent);
        },
        [](const CRegister& registers, MessageSink& messages) -> std::unique_ptr<CRegisterViewModel> {
            return std::make_unique<CRegisterViewKX6200>(registers, messages);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintSettingsKX6200(Form(form), path, error);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintRegistersKX6200(Form(form), path, error);
        },
        false,
    };
    return entry;
}

}  // namespace tessary

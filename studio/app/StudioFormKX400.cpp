// The KX400 and KX900 in the studio: one form (CConfigView, the template's first view)
// for both, the frame register view, the settings report and the five-block listing,
// the lock pin.

#include "studio/app/FrameRegisterWindow.h"
#include "studio/app/KX400FormWindow.h"
#include "studio/app/StudioForms.h"
#include "studio/config/CConfigView.h"
#include "studio/reports/ReportsKX400.h"

namespace tessary {

namespace {
CConfigView& Form(ConfigurationForm& form) { return static_cast<CConfigView&>(form); }
}  // namespace

const StudioFormEntry& StudioFormKX400() {
    static const StudioFormEntry entry = {
        {DeviceKind::KX400, DeviceKind::KX900},
        "CConfigView",
        [](TessaryDocument& document, MessageSink& messages) -> std::unique_ptr<ConfigurationForm> {
            return std::make_unique<CConfigView>(document, messages);
        },
        [](ConfigurationForm& form, QWidget* parent) -> FormWindow* { return new KX400FormWindow(Form(form), parent); },
        nullptr,
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintSettingsKX400(Form(form), path, error);
        },
        [](ConfigurationForm& form, const std::string& path, std::string& error) {
            return PrintRegistersKX400(Form(form), path, error);
        },
        false,
        [](TessaryDocument& document, MessageSink& messages, QWidget* parent) -> RegisterPane* {
            return new FrameRegisterWindow(document, messages, parent);
        },
        true,
    };
    return entry;
}

}  // namespace tessary

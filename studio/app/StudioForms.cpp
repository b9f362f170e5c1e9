#include "studio/app/StudioForms.h"

#include <algorithm>

#include "studio/app/RegisterViewWindow.h"

namespace tessary {

const std::vector<const StudioFormEntry*>& StudioForms() {
    static const std::vector<const StudioFormEntry*> forms = {
        &StudioFormKX400(),
        &StudioFormKX6200(),
        &StudioFormKX6300(),
        &StudioFormKX6500(),
    };
    return forms;
}

const StudioFormEntry* FindStudioForm(DeviceKind device) {
    for (const StudioFormEntry* entry : StudioForms())
        if (std::find(entry->devices.begin(), entry->devices.end(), device) != entry->devices.end()) return entry;
    return nullptr;
}

RegisterPane* MakeRegisterPane(const StudioFormEntry& entry, TessaryDocument& document, MessageSink& messages,
                               QWidget* parent) {
    if (entry.makeRegisterPane) return entry.makeRegisterPane(document, messages, parent);
    if (entry.makeRegisterView) return new RegisterViewWindow(entry.makeRegisterView(document.registers, messages), parent);
    return nullptr;
}

bool HasRegisterView(const StudioFormEntry& entry) { return entry.makeRegisterPane || entry.makeRegisterView; }

}  // namespace tessary

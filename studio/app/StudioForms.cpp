#include "studio/app/StudioForms.h"

#include <algorithm>

namespace tessary {

const std::vector<const StudioFormEntry*>& StudioForms() {
    static const std::vector<const StudioFormEntry*> forms = {
        &StudioFormKX6200(),
        &StudioFormKX6500(),
    };
    return forms;
}

const StudioFormEntry* FindStudioForm(DeviceKind device) {
    for (const StudioFormEntry* entry : StudioForms())
        if (std::find(entry->devices.begin(), entry->devices.end(), device) != entry->devices.end()) return entry;
    return nullptr;
}

}  // namespace tessary

#include "tools/tessary-calc/CalcForm.h"

#include <cstdio>

namespace tessary {

const std::vector<CalcFormEntry>& CalcForms() {
    static const std::vector<CalcFormEntry> forms = {
        {DeviceKind::KX400, &MakeCalcFormKX400, false},
        {DeviceKind::KX900, &MakeCalcFormKX400, false},
        {DeviceKind::KX6200, &MakeCalcFormKX6200},
        {DeviceKind::KX6300, &MakeCalcFormKX6300},
        {DeviceKind::KX6500, &MakeCalcFormKX6500},
    };
    return forms;
}

std::unique_ptr<CalcForm> MakeCalcForm(DeviceKind device, TessaryDocument& document, MessageSink& messages) {
    for (const CalcFormEntry& entry : CalcForms())
        if (entry.device == device) return entry.make(document, messages);
    return nullptr;
}

bool HasCalcForm(DeviceKind device) {
    for (const CalcFormEntry& entry : CalcForms())
        if (entry.device == device) return true;
    return false;
}

bool HasChipButtons(DeviceKind device) {
    for (const CalcFormEntry& entry : CalcForms())
        if (entry.device == device) return entry.chipButtons;
    return false;
}

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

}  // namespace tessary

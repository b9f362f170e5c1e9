#pragma once
// The devices the studio has a form for, one entry per form: how to make the form and
// its window, the register view F3 opens, its two print commands and where its lock
// state comes from. A device comes to the studio as a file of its own
// (StudioFormKX6200.cpp, ...) that defines its entry, plus its line in StudioForms().

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "studio/app/FormWindow.h"
#include "studio/app/RegisterPane.h"
#include "studio/board/CRegisterViewModel.h"
#include "studio/config/ConfigurationForm.h"
#include "studio/config/DeviceKind.h"

namespace tessary {

struct StudioFormEntry {
    std::vector<DeviceKind> devices;  // the devices the form serves
    const char* name;                 // the name of its hidden child window
    std::unique_ptr<ConfigurationForm> (*makeForm)(TessaryDocument& document, MessageSink& messages);
    // The window of a form that makeForm made.
    FormWindow* (*makeWindow)(ConfigurationForm& form, QWidget* parent);
    // A fresh register view on the document's registers.
    std::unique_ptr<CRegisterViewModel> (*makeRegisterView)(const CRegister& registers, MessageSink& messages);
    // "Print s&ettings to file" and "Print re&gisters to file" (Normal mode).
    bool (*printSettings)(ConfigurationForm& form, const std::string& path, std::string& error);
    bool (*printRegisters)(ConfigurationForm& form, const std::string& path, std::string& error);
    // The lock state is the chip's LOCK register over the board bus, not the lock pin.
    bool lockFromBoardBus;
    // A register view with a window of its own (the KX400/KX900 frames), made instead of
    // the table-driven view of makeRegisterView.
    RegisterPane* (*makeRegisterPane)(TessaryDocument& document, MessageSink& messages, QWidget* parent) = nullptr;
    // "Save &As..." and the two print commands wait for applied settings, as "&Save" does.
    bool fileCommandsNeedAppliedSettings = false;
};

// The devices' entries, one file each.
const StudioFormEntry& StudioFormKX400();
const StudioFormEntry& StudioFormKX6200();
const StudioFormEntry& StudioFormKX6300();
const StudioFormEntry& StudioFormKX6500();

// Every form, in the order the studio creates them at start-up (the device list's).
const std::vector<const StudioFormEntry*>& StudioForms();
// The entry whose form serves the device; nullptr when it has none yet.
const StudioFormEntry* FindStudioForm(DeviceKind device);
// The window of a fresh register view of the entry's device (F3); nullptr when it has none.
RegisterPane* MakeRegisterPane(const StudioFormEntry& entry, TessaryDocument& document, MessageSink& messages,
                               QWidget* parent);
bool HasRegisterView(const StudioFormEntry& entry);

}  // namespace tessary

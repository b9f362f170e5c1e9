// lptlinkProgramDialog: the programmer window in the caller's QApplication, or in one
// of its own for the length of the call.

#include <QApplication>
#include <QThread>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <memory>
#include <string>

#include "lptlink/dialog/DialogBoxes.h"
#include "lptlink/dialog/DisplayProbe.h"
#include "lptlink/dialog/ExportedProgrammer.h"
#include "lptlink/dialog/ProgrammerWindow.h"
#include "lptlink/dialog/QtProgrammerSettings.h"
#include "lptlink/dialog/SystemProgrammerFiles.h"
#include "lptlink/lptlink.h"

#define LPTLINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int CannotShow(const char* why) {
    std::fprintf(stderr, "lptlink: the programmer dialog cannot be shown: %s\n", why);
    return -1;
}

}  // namespace

LPTLINK_EXPORT int lptlinkProgramDialog(int actionPreset, int lockPreset, const char* filePreset, int portIndex,
                                        float clockMHz, int autoRun, int fileEnable, int actionEnable,
                                        int readDeviceEnable, int lockEnable, int portEnable, int clockEnable) {
    // One at a time: the progress callback of the running action is module-wide.
    static std::atomic<bool> open{false};
    if (open.exchange(true)) return CannotShow("another programmer dialog is open");
    struct Closed {
        ~Closed() { open = false; }
    } closed;

    // Creating a QApplication sets the C locale from the environment; a caller that did
    // not ask for that gets its own back, or its printf might start writing decimal commas.
    struct LocaleKeeper {
        std::string saved;
        bool restore = false;
        ~LocaleKeeper() {
            if (restore) std::setlocale(LC_ALL, saved.c_str());
        }
    } locale;
    std::unique_ptr<QApplication> ownApplication;
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (!qobject_cast<QApplication*>(existing)) return CannotShow("the application has no widgets (no QApplication)");
        if (QThread::currentThread() != existing->thread())
            return CannotShow("called on a thread that does not own the application");
    } else {
        std::string why;
        if (!lptlink::DisplayAvailable(why)) return CannotShow(why.c_str());
        // QApplication keeps references to these for its whole life.
        static int argc = 1;
        static char name[] = "lptlink";
        static char* argv[] = {name, nullptr};
        const char* current = std::setlocale(LC_ALL, nullptr);
        locale.saved = current ? current : "C";
        locale.restore = true;
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }

    lptlink::ProgrammerPresets presets;
    presets.action = actionPreset;
    presets.lock = lockPreset;
    presets.file = filePreset ? filePreset : "";
    presets.portIndex = portIndex;
    presets.clockMHz = clockMHz;
    presets.autoRun = autoRun != 0;
    presets.fileEnable = fileEnable != 0;
    presets.actionEnable = actionEnable != 0;
    presets.readDeviceEnable = readDeviceEnable != 0;
    presets.lockEnable = lockEnable != 0;
    presets.portEnable = portEnable != 0;
    presets.clockEnable = clockEnable != 0;

    const bool unattended = lptlink::UnattendedPlatform();
    lptlink::QtDialogBoxes boxes;
    lptlink::UnattendedDialogBoxes lines;
    lptlink::DialogMessages& messages = unattended ? static_cast<lptlink::DialogMessages&>(lines) : boxes;
    lptlink::ExportedProgrammer device;
    lptlink::QtProgrammerSettings settings;
    lptlink::SystemProgrammerFiles files;
    int result = 0;
    {
        lptlink::ProgrammerWindow window({device, settings, files, messages}, presets, unattended,
                                         QApplication::activeWindow());
        boxes.SetParent(&window);
        files.SetParent(&window);
        result = window.Run();
    }
    device.CloseTrace();
    return result;
}

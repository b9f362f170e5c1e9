// The plug-in's one export over the process-wide module with Qt windows and messages.
#define KX6500_PLUGIN_BUILD 1
#include "display/core/DisplayModule.h"
#include "display/qt/QtNotifier.h"
#include "display/qt/ViewDialog.h"
#include "host/kx6500_host.h"

namespace {

struct Plugin {
    kx6500disp::QtWindowFactory windows;
    kx6500disp::QtNotifier notifier;
    kx6500disp::DisplayModule module{windows, notifier};
};

// Never destroyed: the host may call in while the process is ending. Detach closes
// every window before the host unloads the plug-in.
kx6500disp::DisplayModule& Module() {
    static auto* plugin = new Plugin;
    return plugin->module;
}

}  // namespace

extern "C" int32_t EnumUv351(HostInterface* host, uint32_t code) { return Module().EnumUv351(host, code); }

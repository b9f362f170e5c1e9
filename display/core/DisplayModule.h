#pragma once
// The plug-in's module state behind its export: the host record, the menu table, the
// fifteen view descriptors and the open views, and the functions the host calls
// through the table and the descriptors (open, update, close, update-all).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "display/core/Notifier.h"
#include "display/core/PeripheralView.h"
#include "display/core/SfrAccess.h"
#include "display/core/ViewRegistry.h"
#include "display/core/ViewWindow.h"
#include "host/kx6500_host.h"

namespace kx6500disp {

inline constexpr std::int32_t kAttachRefused = -2;

class DisplayModule {
public:
    DisplayModule(WindowFactory& windows, Notifier& notifier);
    ~DisplayModule();
    DisplayModule(const DisplayModule&) = delete;
    DisplayModule& operator=(const DisplayModule&) = delete;
    // The module the table's and the descriptors' functions reach.
    static DisplayModule* Current() { return current_; }

    // code 0 attach (1, or -2 for a record of another version), 1 detach (0), else 0.
    std::int32_t EnumUv351(HostInterface* record, std::uint32_t code);
    void UpdateAll();
    void Update(std::size_t view);
    void Open(MenuEntry* entry);
    void Close(ViewDescriptor* descriptor);

    MenuEntry* Menu() { return menu_.data(); }
    ViewDescriptor& Descriptor(std::size_t view) { return descriptors_[view]; }
    PeripheralView* OpenView(std::size_t view) { return open_[view].view.get(); }
    HostInterface* Record() const { return target_.Record(); }

private:
    struct Instance {
        std::unique_ptr<PeripheralView> view;
        std::unique_ptr<ViewWindow> window;  // destroyed before its view
        void Release() {
            window.reset();
            view.reset();
        }
    };
    void OpenView(std::size_t view, const MenuEntry* entry);
    void CloseView(std::size_t view);
    void WindowClosed(std::size_t view, const WindowRect& rect);
    void WindowActivated(std::uintptr_t window, bool active);
    int IndexOf(const ViewDescriptor* descriptor) const;

    static DisplayModule* current_;
    HostRecordTarget target_;
    SfrAccess sfr_{target_};
    WindowFactory& windows_;
    Notifier& notifier_;
    std::array<ViewDescriptor, kViewCount> descriptors_{};
    std::vector<MenuEntry> menu_;
    std::array<Instance, kViewCount> open_;
    int closing_ = -1;  // the view whose close the module asked for
};

}  // namespace kx6500disp

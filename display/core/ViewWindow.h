#pragma once
// The window of an open view, as the module sees it. The plug-in makes Qt dialogs;
// tests make windows that only count.

#include <cstdint>
#include <functional>
#include <memory>

#include "display/core/ViewRegistry.h"
#include "host/kx6500_host.h"

namespace kx6500disp {

struct WindowRect {
    std::int32_t left, top, right, bottom;  // screen coordinates
};

// What a window reports to the module.
struct WindowEvents {
    std::function<void(const WindowRect&)> closed;  // from its close, whoever asked for it
    std::function<void(std::uintptr_t window, bool active)> activated;  // became active or inactive
};

class ViewWindow {
public:
    // Destroys the window (later, when it is in the middle of its own close).
    virtual ~ViewWindow() = default;
    // The address of the top-level window.
    virtual std::uintptr_t Handle() const = 0;
    // Shows what the view's controls hold now.
    virtual void Refresh() = 0;
    // The close request, handled before it returns: it ends in events.closed.
    virtual void RequestClose() = 0;
};

class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    // The view's dialog, shown; null when no window can be made.
    virtual std::unique_ptr<ViewWindow> Create(PeripheralView& view, const ViewInfo& info,
                                               const ViewDescriptor& descriptor, WindowEvents events) = 0;
    // Before the plug-in is unloaded: no window of it may be left.
    virtual void ReleaseAll() {}
};

}  // namespace kx6500disp

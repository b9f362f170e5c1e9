#pragma once
// The display module with a host record whose memory functions reach a FakeTarget,
// and windows that only count what is done to them.

#include <map>
#include <memory>

#include "display/core/DisplayModule.h"
#include "tests/display/FakeTarget.h"

namespace kx6500disp::testing {

class FakeWindows : public WindowFactory {
public:
    struct Window : ViewWindow {
        Window(FakeWindows& o, PeripheralView& v, WindowEvents e, std::uintptr_t h)
            : owner(o), view(v), events(std::move(e)), handle(h) {}
        ~Window() override { ++owner.destroyed; owner.windows.erase(handle); }
        std::uintptr_t Handle() const override { return handle; }
        void Refresh() override { ++owner.refreshes; }
        void RequestClose() override {
            ++owner.closeRequests;
            events.closed({10, 20, 110, 220});
        }
        FakeWindows& owner;
        PeripheralView& view;
        WindowEvents events;
        std::uintptr_t handle;
    };
    std::unique_ptr<ViewWindow> Create(PeripheralView& view, const ViewInfo&, const ViewDescriptor&,
                                       WindowEvents events) override {
        if (!make) return nullptr;
        auto w = std::make_unique<Window>(*this, view, std::move(events), nextHandle);
        windows[nextHandle] = w.get();
        nextHandle += 0x100;
        ++created;
        return w;
    }
    void ReleaseAll() override { ++releases; }

    bool make = true;
    std::uintptr_t nextHandle = 0x1000;
    std::map<std::uintptr_t, Window*> windows;
    int created = 0, destroyed = 0, refreshes = 0, closeRequests = 0, releases = 0;
};

struct FakeHost {
    FakeHost() {
        current = this;
        record.tag = HOST_TAG;
        record.clockHz = 14745600;
        record.readMemory = [](std::uint32_t a, std::uint32_t n, std::uint8_t* b) {
            return current->target.Read(a, n, b) ? 0 : 1;
        };
        record.writeMemory = [](std::uint32_t a, std::uint32_t n, std::uint8_t* b) {
            return current->target.Write(a, n, b) ? 0 : 1;
        };
    }
    ~FakeHost() { current = nullptr; }
    // The menu entry that opens a view (by its index in the update order).
    MenuEntry* EntryOf(std::size_t view) {
        for (MenuEntry* e = record.menu; e && e->kind != MENU_END; ++e)
            if (e->view == &module.Descriptor(view)) return e;
        return nullptr;
    }
    void Choose(std::size_t view) {
        MenuEntry* e = EntryOf(view);
        e->open(e);
    }

    static inline FakeHost* current = nullptr;
    FakeTarget target;
    HostInterface record{};
    FakeWindows windows;
    RecordingNotifier notifier;
    DisplayModule module{windows, notifier};
};

}  // namespace kx6500disp::testing

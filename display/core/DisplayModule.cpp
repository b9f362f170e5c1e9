#include "display/core/DisplayModule.h"

#include <utility>

namespace kx6500disp {

DisplayModule* DisplayModule::current_ = nullptr;

namespace {

// The plain functions the host calls; they reach the one module.
void UpdateAllEntry() {
    if (DisplayModule* m = DisplayModule::Current()) m->UpdateAll();
}
void OpenEntry(MenuEntry* entry) {
    if (DisplayModule* m = DisplayModule::Current()) m->Open(entry);
}
void CloseEntry(ViewDescriptor* descriptor) {
    if (DisplayModule* m = DisplayModule::Current()) m->Close(descriptor);
}
template <std::size_t N>
void UpdateEntry() {
    if (DisplayModule* m = DisplayModule::Current()) m->Update(N);
}
template <std::size_t... N>
constexpr std::array<void (*)(), sizeof...(N)> UpdateEntries(std::index_sequence<N...>) {
    return {&UpdateEntry<N>...};
}
constexpr auto kUpdateEntries = UpdateEntries(std::make_index_sequence<kViewCount>());

}  // namespace

DisplayModule::DisplayModule(WindowFactory& windows, Notifier& notifier) : windows_(windows), notifier_(notifier) {
    current_ = this;
    for (std::size_t i = 0; i < kViewCount; ++i) {
        ViewDescriptor& d = descriptors_[i];
        d.left = d.top = d.right = d.bottom = -1;
        d.update = kUpdateEntries[i];
        d.close = &CloseEntry;
    }
    for (const MenuLine& line : MenuLayout()) {
        MenuEntry e{};
        e.kind = line.kind;
        e.caption = line.caption;
        if (line.view >= 0) {
            e.open = &OpenEntry;
            e.dialogId = Views()[line.view].dialogId;
            e.view = &descriptors_[line.view];
        }
        menu_.push_back(e);
    }
}

DisplayModule::~DisplayModule() {
    for (std::size_t i = 0; i < kViewCount; ++i) CloseView(i);
    windows_.ReleaseAll();
    if (current_ == this) current_ = nullptr;
}

std::int32_t DisplayModule::EnumUv351(HostInterface* record, std::uint32_t code) {
    switch (code) {
    case 0:
        // A record of another version is left alone, and so is the one attached before.
        if (!record || record->tag != HOST_TAG) return kAttachRefused;
        target_.SetRecord(record);
        record->menu = menu_.data();
        record->update = &UpdateAllEntry;
        return 1;
    case 1:
        for (ViewDescriptor& d : descriptors_) d.close(&d);
        windows_.ReleaseAll();
        return 0;
    default: return 0;
    }
}

void DisplayModule::UpdateAll() {
    for (ViewDescriptor& d : descriptors_) d.update();
}

void DisplayModule::Update(std::size_t view) {
    // The block is read for a closed view too, as every update does; a failed read
    // leaves an open view as it was.
    SfrImage image{};
    const bool read = sfr_.ReadBlock(image);
    if (read && open_[view].view) open_[view].view->Refresh(image);
}

int DisplayModule::IndexOf(const ViewDescriptor* descriptor) const {
    for (std::size_t i = 0; i < kViewCount; ++i)
        if (&descriptors_[i] == descriptor) return static_cast<int>(i);
    return -1;
}

void DisplayModule::Open(MenuEntry* entry) {
    const int view = entry ? IndexOf(entry->view) : -1;
    if (view < 0) return;
    if (descriptors_[view].window)
        descriptors_[view].close(&descriptors_[view]);
    else
        OpenView(static_cast<std::size_t>(view), entry);
    descriptors_[view].update();
}

void DisplayModule::OpenView(std::size_t view, const MenuEntry*) {
    const ViewInfo& info = Views()[view];
    std::unique_ptr<PeripheralView> model = info.create(sfr_, notifier_, info.precheck);
    // The new view's update runs before it is the open one: it only reads.
    descriptors_[view].update();
    WindowEvents events{[this, view](const WindowRect& rect) { WindowClosed(view, rect); },
                        [this](std::uintptr_t window, bool active) { WindowActivated(window, active); }};
    std::unique_ptr<ViewWindow> window = windows_.Create(*model, info, descriptors_[view], std::move(events));
    if (!window) return;
    ViewWindow* shown = window.get();
    model->SetChangedHandler([shown] { shown->Refresh(); });
    open_[view].view = std::move(model);
    open_[view].window = std::move(window);
    descriptors_[view].window = shown->Handle();
}

void DisplayModule::Close(ViewDescriptor* descriptor) {
    if (const int view = IndexOf(descriptor); view >= 0) CloseView(static_cast<std::size_t>(view));
}

void DisplayModule::CloseView(std::size_t view) {
    if (open_[view].window) {
        closing_ = static_cast<int>(view);
        open_[view].window->RequestClose();
        closing_ = -1;
    }
    open_[view].Release();
    descriptors_[view].openFlag = 0;
    descriptors_[view].window = 0;
}

void DisplayModule::WindowClosed(std::size_t view, const WindowRect& rect) {
    ViewDescriptor& d = descriptors_[view];
    if (HostInterface* record = target_.Record(); record && d.window && record->activeView == d.window)
        record->activeView = 0;
    d.left = rect.left;
    d.top = rect.top;
    d.right = rect.right;
    d.bottom = rect.bottom;
    d.window = 0;
    // Closed by the person: the view goes now. A close the module asked for is
    // finished by the module.
    if (closing_ != static_cast<int>(view)) open_[view].Release();
}

void DisplayModule::WindowActivated(std::uintptr_t window, bool active) {
    HostInterface* record = target_.Record();
    if (!record) return;
    if (active)
        record->activeView = window;
    else if (record->activeView == window)  // another view may have become active first
        record->activeView = 0;
}

}  // namespace kx6500disp

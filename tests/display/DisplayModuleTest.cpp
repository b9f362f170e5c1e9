// The plug-in's module: attach and detach, the menu table and the descriptors, the
// update functions, the open toggle and closing.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "tests/display/FakeHost.h"

using namespace kx6500disp;
using namespace kx6500disp::testing;

namespace {
constexpr std::size_t kRadio = 10;
}  // namespace

TEST(DisplayModule, ARecordOfAnotherVersionIsRefusedAndLeftAlone) {
    FakeHost h;
    h.record.tag = 2863;
    auto* menuBefore = reinterpret_cast<MenuEntry*>(0x1234);
    h.record.menu = menuBefore;
    h.record.update = nullptr;
    EXPECT_EQ(h.module.EnumUv351(&h.record, 0), -2);
    EXPECT_EQ(h.record.menu, menuBefore);
    EXPECT_EQ(h.record.update, nullptr);
    EXPECT_EQ(h.module.EnumUv351(nullptr, 0), -2);

    // A refused record does not replace the one attached before.
    h.record.tag = HOST_TAG;
    ASSERT_EQ(h.module.EnumUv351(&h.record, 0), 1);
    HostInterface other{};
    other.tag = 7;
    EXPECT_EQ(h.module.EnumUv351(&other, 0), -2);
    EXPECT_EQ(h.module.Record(), &h.record);
    EXPECT_EQ(h.module.EnumUv351(&h.record, 5), 0);
}

TEST(DisplayModule, AttachRegistersTheMenuTableAndTheUpdateEntry) {
    FakeHost h;
    ASSERT_EQ(h.module.EnumUv351(&h.record, 0), 1);
    ASSERT_NE(h.record.update, nullptr);
    const MenuEntry* m = h.record.menu;
    ASSERT_NE(m, nullptr);
    struct Expected {
        std::uint32_t kind;
        const char* caption;
        std::uint32_t dialogId;
    };
    const Expected expected[] = {
        {MENU_ITEM, "&A/D Converter", 1009},   {MENU_ITEM, "&DES Encryption/Decryption", 1011},
        {MENU_ITEM, "&Flash", 1027},           {MENU_ITEM, "I&nterrupts", 1008},
        {MENU_SUBMENU, "&Ports", 0},           {MENU_ITEM, "A&ll Ports", 1002},
        {MENU_ITEM, "Port &0", 1020},          {MENU_ITEM, "Port &1", 1021},
        {MENU_ITEM, "Port &2", 1019},          {MENU_ITEM, "Port &3", 1022},
        {MENU_SUBMENU_END, nullptr, 0},        {MENU_ITEM, "Power && &Clock Control", 1010},
        {MENU_ITEM, "&Radio && Modem", 1014},  {MENU_SUBMENU, "&Serial Interfaces", 0},
        {MENU_ITEM, "Serial Port &0", 1024},   {MENU_ITEM, "Serial Port &1", 1023},
        {MENU_ITEM, "SP&I", 1025},             {MENU_SUBMENU_END, nullptr, 0},
        {MENU_ITEM, "&Timers", 1000},          {MENU_END, nullptr, 0},
    };
    std::set<const ViewDescriptor*> descriptors;
    std::set<void (*)()> updates;
    for (std::size_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m[i].kind, expected[i].kind);
        if (expected[i].caption)
            EXPECT_STREQ(m[i].caption, expected[i].caption);
        else
            EXPECT_EQ(m[i].caption, nullptr);
        EXPECT_EQ(m[i].commandId, 0u);
        EXPECT_EQ(m[i].dialogId, expected[i].dialogId);
        if (m[i].kind != MENU_ITEM) {
            EXPECT_EQ(m[i].open, nullptr);
            EXPECT_EQ(m[i].view, nullptr);
            continue;
        }
        ASSERT_NE(m[i].open, nullptr);
        const ViewDescriptor* d = m[i].view;
        ASSERT_NE(d, nullptr);
        descriptors.insert(d);
        EXPECT_EQ(d->openFlag, 0u);
        EXPECT_EQ(d->window, 0u);
        EXPECT_EQ(d->procedure, nullptr);
        EXPECT_EQ(d->left, -1);
        EXPECT_EQ(d->top, -1);
        EXPECT_EQ(d->right, -1);
        EXPECT_EQ(d->bottom, -1);
        EXPECT_NE(d->close, nullptr);
        EXPECT_EQ(d->spare, nullptr);
        updates.insert(d->update);
    }
    EXPECT_EQ(descriptors.size(), 15u);
    EXPECT_EQ(updates.size(), 15u);  // each view its own update function
    // The descriptors lie in update order: the A/D converter's first, the timers' last.
    EXPECT_EQ(m[0].view, &h.module.Descriptor(0));
    EXPECT_EQ(m[18].view, &h.module.Descriptor(14));
}

TEST(DisplayModule, UpdateAllReadsTheBlockOncePerViewAndWritesNothing) {
    FakeHost h;
    h.module.EnumUv351(&h.record, 0);
    h.record.update();
    EXPECT_EQ(h.target.log, std::vector<std::string>(15, "R F0000080 128"));
}

TEST(DisplayModule, ChoosingAnItemOpensTheViewAndChoosingItAgainClosesIt) {
    FakeHost h;
    h.module.EnumUv351(&h.record, 0);
    h.target.data[0xE1] = 0x90;  // VCO current 9
    h.Choose(kRadio);
    ViewDescriptor& d = h.module.Descriptor(kRadio);
    ASSERT_EQ(h.windows.created, 1);
    EXPECT_EQ(d.window, 0x1000u);
    // The constructor's update only reads; the open's update fills the view.
    EXPECT_EQ(h.target.log, std::vector<std::string>(2, "R F0000080 128"));
    ASSERT_NE(h.module.OpenView(kRadio), nullptr);
    EXPECT_EQ(h.module.OpenView(kRadio)->Find("VCO current")->screen.index, 9);
    EXPECT_GT(h.windows.refreshes, 0);

    h.target.ClearLog();
    h.Choose(kRadio);
    EXPECT_EQ(h.windows.closeRequests, 1);
    EXPECT_EQ(h.windows.destroyed, 1);
    EXPECT_EQ(h.module.OpenView(kRadio), nullptr);
    EXPECT_EQ(d.window, 0u);
    EXPECT_EQ(d.left, 10);  // where the window was
    EXPECT_EQ(d.bottom, 220);
    EXPECT_EQ(h.target.log, std::vector<std::string>(1, "R F0000080 128"));  // the update finds no view
}

TEST(DisplayModule, DetachClosesEveryViewAndClearsTheDescriptors) {
    FakeHost h;
    h.module.EnumUv351(&h.record, 0);
    for (std::size_t v : {0u, 10u, 14u}) h.Choose(v);
    for (std::size_t v = 0; v < kViewCount; ++v) h.module.Descriptor(v).openFlag = 1;  // the host's business
    EXPECT_EQ(h.module.EnumUv351(&h.record, 1), 0);
    EXPECT_EQ(h.windows.closeRequests, 3);
    EXPECT_EQ(h.windows.destroyed, 3);
    EXPECT_EQ(h.windows.releases, 1);
    for (std::size_t v = 0; v < kViewCount; ++v) {
        EXPECT_EQ(h.module.Descriptor(v).openFlag, 0u);
        EXPECT_EQ(h.module.Descriptor(v).window, 0u);
        EXPECT_EQ(h.module.OpenView(v), nullptr);
    }
}

TEST(DisplayModule, ClosedByThePersonActivationAndAFailedRead) {
    FakeHost h;
    h.module.EnumUv351(&h.record, 0);
    h.Choose(kRadio);
    FakeWindows::Window* w = h.windows.windows.at(0x1000);
    w->events.activated(0x1000, true);
    EXPECT_EQ(h.record.activeView, 0x1000u);
    w->events.activated(0x2000, false);  // another window's deactivation leaves it
    EXPECT_EQ(h.record.activeView, 0x1000u);

    // A failed block read leaves the open view as it was.
    h.target.data[0xE1] = 0x30;
    h.target.failReads = true;
    h.record.update();
    EXPECT_EQ(h.module.OpenView(kRadio)->Find("VCO current")->screen.index, 0);
    h.target.failReads = false;
    h.record.update();
    EXPECT_EQ(h.module.OpenView(kRadio)->Find("VCO current")->screen.index, 3);

    w->events.closed({1, 2, 3, 4});  // the close button
    EXPECT_EQ(h.module.OpenView(kRadio), nullptr);
    EXPECT_EQ(h.module.Descriptor(kRadio).window, 0u);
    EXPECT_EQ(h.module.Descriptor(kRadio).top, 2);
    EXPECT_EQ(h.record.activeView, 0u);
    EXPECT_EQ(h.windows.closeRequests, 0);
}

TEST(DisplayModule, WithoutWindowsNothingOpens) {
    FakeHost h;
    h.windows.make = false;
    h.module.EnumUv351(&h.record, 0);
    h.Choose(kRadio);
    EXPECT_EQ(h.module.Descriptor(kRadio).window, 0u);
    EXPECT_EQ(h.module.OpenView(kRadio), nullptr);
}

// The driver's start and end of debugging, hand-overs, feature queries, option text and
// menu, with a host record of the test's own.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>

#include "monitor/driver/MonitorDriver.h"
#include "monitor/core/TargetSettings.h"
#include "tests/monitor/DriverRig.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;


TEST(TargetSettings, OptionTextReadAndWritten) {
    const TargetSettings s = ReadOptionText("-S3 -B9600 -O1", 14745600);
    EXPECT_EQ(s.port, 3);
    EXPECT_EQ(s.options, 1);
    EXPECT_EQ(s.bitRate, 57600);  // the stored rate is never read back
    const TargetSettings empty = ReadOptionText("", 14745600);
    EXPECT_EQ(empty.port, 1);
    EXPECT_EQ(empty.options, 0);
    EXPECT_EQ(empty.bitRate, 57600);
    EXPECT_EQ(ReadOptionText("", 3e6).bitRate, 9600);
    EXPECT_EQ(ReadOptionText("", 12e6).bitRate, 38400);
    // Ports outside COM1 to COM8 are ignored, so are letters without a number.
    EXPECT_EQ(ReadOptionText("-S9", 14745600).port, 1);
    EXPECT_EQ(ReadOptionText("-S0 -O", 14745600).port, 1);
    EXPECT_EQ(ReadOptionText("-S5 -S99999999999", 14745600).port, 5);
    EXPECT_EQ(ReadOptionText("x-O3-S2", 14745600).options, 3);
    EXPECT_EQ(ReadOptionText("x-O3-S2", 14745600).port, 2);
    EXPECT_EQ(WriteOptionText(s), "-S3 -B57600 -O1");
}

TEST(MonitorDriver, EnumeratesAs8051AndTakesClockAndOptions) {
    DriverRig rig;
    EXPECT_EQ(rig.driver.EnumUv351(&rig.record, 0), 0);
    EXPECT_EQ(rig.driver.EnumUv351(nullptr, 2), 0);
    EXPECT_EQ(rig.driver.EnumUv351(&rig.record, 2), 8051);
    EXPECT_EQ(rig.driver.Settings().port, 3);
    EXPECT_EQ(rig.driver.Settings().bitRate, 57600);
    EXPECT_EQ(rig.driver.DllUv3Cap(2, nullptr), 8051u);
    EXPECT_EQ(rig.driver.DllUv3Cap(7, nullptr), 0u);
}

TEST(MonitorDriver, StartConnectsAndTellsTheHost) {
    DriverRig rig;
    rig.HandOver();
    for (std::uint32_t code = AG_INIT_FEATURE_FIRST; code <= AG_INIT_FEATURE_LAST; ++code)
        EXPECT_EQ(rig.driver.Init(code, nullptr), 0u);
    rig.Attr(HOST_ADDRESS(HOST_SPACE_XDATA, 0x10)) = HOST_ATTR_CACHED | HOST_ATTR_BP_ENABLED;
    rig.Attr(HOST_ADDRESS(HOST_SPACE_CODE, 0x7FFF)) = HOST_ATTR_CACHED;
    ASSERT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 0u);
    EXPECT_EQ(rig.port.openedPort, 3);
    EXPECT_EQ(rig.port.openedRate, 57600);
    ASSERT_EQ(rig.log->callbacks.size(), 4u);
    EXPECT_EQ(rig.log->callbacks[0], std::make_pair(HOST_CB_NOTICE, std::string()));
    EXPECT_EQ(rig.log->callbacks[1].first, HOST_CB_REFRESH);
    EXPECT_EQ(rig.log->callbacks[2].first, HOST_CB_REGISTER_PAGE);
    ASSERT_NE(rig.log->page, nullptr);
    EXPECT_EQ(rig.log->page->count, 176u);
    EXPECT_EQ(rig.log->callbacks[3], std::make_pair(HOST_CB_COMMAND, std::string("U $\n")));
    EXPECT_TRUE(rig.log->posts.empty());
    // Every cached byte is stale after a connect; other attribute bits stay.
    EXPECT_EQ(rig.Attr(HOST_ADDRESS(HOST_SPACE_XDATA, 0x10)), HOST_ATTR_BP_ENABLED);
    EXPECT_EQ(rig.Attr(HOST_ADDRESS(HOST_SPACE_CODE, 0x7FFF)), 0);
    EXPECT_TRUE(rig.port.IsOpen());

    rig.driver.Init(AG_INIT_END, nullptr);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_STREQ(rig.options, "-S3 -B57600 -O1");
}

TEST(MonitorDriver, UnavailablePortAsksRetryOrCancel) {
    DriverRig rig;
    rig.HandOver();
    rig.port.opens = false;
    rig.notifier.answers = {true, false};  // Retry, then Cancel
    EXPECT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 1u);
    ASSERT_EQ(rig.notifier.shown.size(), 2u);
    EXPECT_EQ(rig.notifier.shown[0].text, "The selected COM port is not available!");
    EXPECT_EQ(rig.notifier.shown[0].caption, "KX6500 Debugger Notification");
    EXPECT_EQ(rig.notifier.shown[0].icon, tessary::MessageIcon::Stop);
    // Nothing failed on the link: the host only learns from the result.
    EXPECT_TRUE(rig.log->posts.empty());

    rig.port.opens = true;
    rig.notifier.shown.clear();
    EXPECT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 0u);
    EXPECT_TRUE(rig.notifier.shown.empty());
}

TEST(MonitorDriver, FailedConnectAsksAndCancelEndsDebugging) {
    DriverRig rig;
    rig.HandOver();
    rig.monitor.silent = true;
    rig.notifier.answers = {true, false};
    EXPECT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 1u);
    ASSERT_EQ(rig.notifier.shown.size(), 2u);
    EXPECT_EQ(rig.notifier.shown[0].text.rfind("Cannot connect to target!\nPlease make sure that:\n1. The KX6500", 0), 0u);
    EXPECT_EQ(rig.monitor.resets, 2);  // Retry ran the whole connect again
    ASSERT_EQ(rig.log->posts.size(), 1u);
    EXPECT_EQ(rig.log->posts[0].first, HOST_MSG_END_DEBUG);
    EXPECT_FALSE(rig.port.IsOpen());
}

// The target comes to life while the message is up: Retry connects.
TEST(MonitorDriver, RetryAfterAFailedConnectCanSucceed) {
    struct Reviver : ScriptedNotifier {
        FakeMonitor* monitor = nullptr;
        bool Show(const tessary::UserMessage& message, Buttons buttons) override {
            monitor->silent = false;
            return ScriptedNotifier::Show(message, buttons);
        }
    };
    DriverRig rig;
    Reviver reviver;
    reviver.monitor = &rig.monitor;
    reviver.answers = {true};
    MonitorDriver driver(rig.port, rig.clock, reviver, rig.trace, rig.links);
    EXPECT_EQ(driver.EnumUv351(&rig.record, 2), 8051);
    driver.Init(AG_INIT_USER_MESSAGE, &rig.userMessage);
    rig.monitor.silent = true;
    EXPECT_EQ(driver.Init(AG_INIT_START, nullptr), 0u);
    EXPECT_EQ(reviver.shown.size(), 1u);
    EXPECT_FALSE(driver.Link().Failed());
    EXPECT_TRUE(rig.log->posts.empty());
}

TEST(MonitorDriver, ResetConnectsAgainOnlyWhileDebugging) {
    DriverRig rig;
    rig.HandOver();
    ASSERT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 0u);
    const auto stops = rig.monitor.requests.size();
    rig.driver.Init(AG_INIT_RESET, nullptr);
    EXPECT_GT(rig.monitor.requests.size(), stops);
    EXPECT_EQ(rig.log->callbacks.back(), std::make_pair(HOST_CB_COMMAND, std::string("U $\n")));
    rig.driver.Init(AG_INIT_END, nullptr);
    const auto after = rig.monitor.requests.size();
    rig.driver.Init(AG_INIT_RESET, nullptr);  // the failed flag is set at the end: nothing
    EXPECT_EQ(rig.monitor.requests.size(), after);
}

TEST(MonitorDriver, MenuTableAndInvalidateCache) {
    DriverRig rig;
    rig.HandOver();
    MenuEntry* menu = nullptr;
    HostUpdateFn update = nullptr;
    rig.driver.Init(AG_INIT_MENU_TABLE, &menu);
    rig.driver.Init(AG_INIT_MENU_UPDATE, &update);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(update, nullptr);
    update();
    ASSERT_EQ(menu[0].kind, MENU_ITEM);
    EXPECT_STREQ(menu[0].caption, "Invalidate Cache");
    EXPECT_EQ(menu[1].kind, MENU_END);
    ASSERT_EQ(rig.driver.Init(AG_INIT_START, nullptr), 0u);
    rig.Attr(HOST_ADDRESS(HOST_SPACE_DATA, 0x81)) = HOST_ATTR_CACHED;
    rig.log->callbacks.clear();
    menu[0].open(&menu[0]);
    EXPECT_EQ(rig.Attr(HOST_ADDRESS(HOST_SPACE_DATA, 0x81)), 0);
    ASSERT_EQ(rig.log->callbacks.size(), 1u);
    EXPECT_EQ(rig.log->callbacks[0].first, HOST_CB_REFRESH);
}

TEST(MonitorDriver, UnknownCodesAndTheSerialWindow) {
    DriverRig rig;
    rig.Start();
    std::uint8_t buffer[4] = {};
    HostAddress address{HOST_ADDRESS(HOST_SPACE_XDATA, 0x20), 0};
    EXPECT_EQ(rig.driver.MemAcc(9, buffer, &address, 4), AG_UNKNOWN_CODE);
    EXPECT_EQ(address.errorAddress, address.address);
    std::uint32_t value = 0;
    EXPECT_EQ(rig.driver.RegAcc(7, 0x500, &value), AG_UNKNOWN_CODE);
    EXPECT_EQ(rig.driver.RegAcc(1, 0x77, &value), AG_UNKNOWN_CODE);
    EXPECT_EQ(rig.driver.AllReg(3), AG_UNKNOWN_CODE);
    EXPECT_EQ(rig.driver.MemAtt(1, nullptr), 0u);
    EXPECT_TRUE(rig.monitor.requests.empty());  // nothing reached the target
    EXPECT_EQ(rig.driver.Serial(1, 7, 8, 9), 0u);
    ASSERT_EQ(rig.log->posts.size(), 1u);
    EXPECT_EQ(rig.log->posts[0].first, HOST_MSG_SERIAL);
}

// The exported functions over the process-wide state, on the virtual port. CTest runs
// this program with LPTLINK_DRIVER=sim and a private runtime folder.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "lptlink/LptlinkProcess.h"
#include "lptlink/lptlink.h"

TEST(LptlinkExports, LifecycleOnTheVirtualPort) {
    ASSERT_STREQ(std::getenv("LPTLINK_DRIVER"), "sim");
    tessary::RecordingMessageSink messages;
    lptlink::SetMessageSink(&messages);

    EXPECT_EQ(lptlinkRead(0x379), 0);
    EXPECT_EQ(lptlinkDirectRead(0x379), 0xFF);
    EXPECT_EQ(lptlinkSimAttachBoard("loopback"), 0);  // no virtual port yet

    ASSERT_EQ(lptlinkInit(), 1);
    ASSERT_EQ(lptlinkInit(), 1);
    EXPECT_EQ(lptlinkGetNumParPorts(), 2);
    EXPECT_EQ(lptlinkGetParPortBaseAdr(2), 0x3BC);
    EXPECT_EQ(lptlinkGetParPortBaseAdr(1), 0x378);
    EXPECT_EQ(lptlinkGetParPortBaseAdr(3), 0x378);

    lptlinkWrite(0x378, 0x155);
    EXPECT_EQ(lptlinkRead(0x378), 0x55);
    EXPECT_EQ(lptlinkRead(0x379), 0xFF);
    EXPECT_EQ(lptlinkSimAttachBoard("no such board"), 0);
    EXPECT_EQ(lptlinkSimAttachBoard("loopback"), 1);
    lptlinkDirectWrite(0x378, 0x01);
    EXPECT_EQ(lptlinkDirectRead(0x379), 0x0F);
    EXPECT_EQ(lptlinkRead(0x379), 0x0F);
    ASSERT_NE(lptlink::ProcessVirtualPort(), nullptr);

    const auto start = std::chrono::steady_clock::now();
    lptlinkWaitAtLeast(2000);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(2000));

    EXPECT_EQ(lptlinkRelease(), 1);
    EXPECT_EQ(lptlink::ProcessVirtualPort(), nullptr);
    EXPECT_EQ(lptlinkRead(0x378), 0);
    EXPECT_TRUE(messages.shown.empty());
    lptlink::SetMessageSink(nullptr);
}

// With an unknown LPTLINK_DRIVER the library refuses to start, with its message.

#include <gtest/gtest.h>

#include "lptlink/LptlinkProcess.h"
#include "lptlink/lptlink.h"

TEST(LptlinkExports, UnknownDriverFailsInit) {
    tessary::RecordingMessageSink messages;
    lptlink::SetMessageSink(&messages);
    EXPECT_EQ(lptlinkInit(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unable to load the parallel port driver!");
    EXPECT_EQ(messages.shown[0].caption, "Norvane Parallel Port Driver Error");
    EXPECT_EQ(lptlinkRead(0x379), 0);
    EXPECT_EQ(lptlinkRelease(), 1);
    lptlink::SetMessageSink(nullptr);
}

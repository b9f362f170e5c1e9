// Frames on the wire and their trace lines.
#include <gtest/gtest.h>

#include "common/Crc16.h"
#include "monitor/core/MonitorTrace.h"
#include "monitor/core/Protocol.h"
#include "tests/monitor/ScriptedPort.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

TEST(Protocol, FramesOnTheWire) {
    // 0x18 with no data: command, length 0 and the CRC of 18 00, high byte first.
    EXPECT_EQ(EncodeFrame(cmd::kRegisterBuffer, {}), (std::vector<std::uint8_t>{0x18, 0x00, 0x97, 0xD5}));
    EXPECT_EQ(tessary::Crc16(EncodeFrame(cmd::kRegisterBuffer, {})), 0);  // the receiver's check
    // A status poll is the one byte 0, whatever data are passed.
    const std::uint8_t ignored[] = {1, 2};
    EXPECT_EQ(EncodeFrame(cmd::kStatusPoll, ignored), std::vector<std::uint8_t>{0});
    // A frame whose data do not fit the length byte cannot be sent.
    EXPECT_TRUE(EncodeFrame(0x21, std::vector<std::uint8_t>(256)).empty());
    EXPECT_EQ(EncodeFrame(0x21, std::vector<std::uint8_t>(255)).size(), 259u);
}

TEST(Protocol, ReplyLengthsFollowTheRequest) {
    const std::uint8_t readX[] = {0x01, 0x00, 37};
    const std::uint8_t readI[] = {0x20, 9};
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kReadXdata), readX), 37);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kReadCode), readX), 37);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kReadInternal), readI), 9);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kReadSfr), readI), 9);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kRegisterBuffer), {}), 2);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kPageCrc), readI), 2);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kWriteHeader), readX), 0);
    EXPECT_EQ(ExpectedReplyLength(*FindCommand(cmd::kStatusPoll), {}), 1);
    EXPECT_FALSE(ExpectedReplyLength(*FindCommand(cmd::kReadXdata), readI));  // no count byte
    EXPECT_EQ(FindCommand(cmd::kProgramPage)->firstByteTimeoutMs, 400);
    EXPECT_EQ(FindCommand(cmd::kLoadPage)->firstByteTimeoutMs, 200);
    EXPECT_EQ(FindCommand(0x13), nullptr);
}

TEST(MonitorTrace, LineFormatsAndStamps) {
    VirtualClock clock;
    clock.now = 5'000'000'000ull;  // a counter far past 32 bits: the stamps must not wrap
    MemoryTrace out;
    MonitorTrace trace(out, clock);
    trace.Sent(std::vector<std::uint8_t>{0x00});
    clock.now += 7;
    trace.Sent(EncodeFrame(0x18, {}));
    const std::uint8_t data[] = {0x07, 0xE0, 0x16};
    const auto read = EncodeFrame(0x11, data);
    clock.now += 123456;
    trace.Sent(read);
    trace.Received(std::vector<std::uint8_t>{0x00});
    trace.Text("PC->KX6500: HARD RESET\n");
    ASSERT_EQ(out.lines.size(), 5u);
    EXPECT_EQ(out.lines[0], "    0: PC->KX6500: 00\n");
    char crc[8];
    const auto getBuffer = EncodeFrame(0x18, {});
    std::snprintf(crc, sizeof crc, "%02x.%02x", getBuffer[2], getBuffer[3]);
    EXPECT_EQ(out.lines[1], std::string("    7: PC->KX6500: 18.00 ") + crc + "\n");
    std::snprintf(crc, sizeof crc, "%02x.%02x", read[5], read[6]);
    EXPECT_EQ(out.lines[2], std::string("123463: PC->KX6500: 11.03 07.e0.16. ") + crc + "\n");
    EXPECT_EQ(out.lines[3], "123463: KX6500->PC: 00\n");
    EXPECT_EQ(out.lines[4], "123463: PC->KX6500: HARD RESET\n");
}

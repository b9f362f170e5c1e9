// Send, receive, exchange and resynchronisation through the scripted port.
#include <gtest/gtest.h>

#include "common/Crc16.h"
#include "monitor/core/MonitorLink.h"
#include "tests/monitor/ScriptedPort.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {
std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> v;
    for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
    return v;
}
}  // namespace

TEST(MonitorLink, StatusPollIsOneByteAndTracedAsSuch) {
    LinkRig rig;
    rig.monitor.readyStatus = 0x03;
    EXPECT_EQ(rig.link.PollStatus(5), 0x03);
    ASSERT_EQ(rig.port.writes.size(), 1u);
    EXPECT_EQ(rig.port.writes[0], Bytes({0x00}));
    EXPECT_EQ(rig.traceLines.lines.at(0), "    0: PC->KX6500: 00\n");
    const auto reply = FakeMonitor::Reply(0x55, Bytes({3}));
    char expected[64];
    std::snprintf(expected, sizeof expected, "    1: KX6500->PC: 55.01 03. %02x.%02x\n", reply[3], reply[4]);
    EXPECT_EQ(rig.traceLines.lines.at(1), expected);
    // The poll's reply was read with the 5 ms first-byte timeout and nothing per byte.
    EXPECT_EQ(rig.port.reads.at(0).constantMs, 5);
    EXPECT_EQ(rig.port.reads.at(0).perByteMs, 0);
}

TEST(MonitorLink, RegisterBufferRequestOnTheWire) {
    LinkRig rig;
    rig.monitor.saveArea = 0x07C3;
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(rig.link.Exchange(cmd::kRegisterBuffer, {}, reply));
    EXPECT_EQ(reply, Bytes({0x07, 0xC3}));
    const int crc = tessary::Crc16(Bytes({0x18, 0x00}));
    EXPECT_EQ(rig.port.writes.at(0), Bytes({0x18, 0x00, crc >> 8, crc & 0xFF}));
    EXPECT_FALSE(rig.link.Failed());
}

// The per-byte timeout is 10000 / rate ms: 0 at 115200, 1 at 9600, 33 at 300. A reply
// whose bytes come 20 ms apart fits the slow link's timeout and not the fast one's.
TEST(MonitorLink, PerByteTimeoutsFollowTheBitRate) {
    struct Case {
        int rate, perByte;
        bool slowReplyFits;
    };
    for (const Case c : {Case{115200, 0, false}, Case{9600, 1, false}, Case{300, 33, true}}) {
        LinkRig rig(c.rate, 20);
        EXPECT_EQ(rig.link.PerByteMs(), c.perByte);
        const auto r = rig.link.Receive(50, 2);  // nothing sent, nothing comes
        EXPECT_EQ(r.status, ReceiveStatus::Silent);
        rig.port.Deliver(FakeMonitor::Reply(0xE8, Bytes({0x12, 0x34})), 1, 20);
        const auto got = rig.link.Receive(50, 2);
        EXPECT_EQ(got.Ok(), c.slowReplyFits) << c.rate;
        // Length byte, then data and CRC, with the normal timeouts.
        const auto& last = rig.port.reads.back();
        EXPECT_EQ(last.count, 4u);
        EXPECT_EQ(last.constantMs, 50);
        EXPECT_EQ(last.perByteMs, c.perByte);
        // Writes get the same normal timeout for their length.
        rig.link.Send(0x18, {});
        EXPECT_EQ(rig.port.writeTimeouts.back(), 50 + 4 * c.perByte);
    }
}

TEST(MonitorLink, TooLongReplyLeadsToResynchronisationAndIsTakenOffTheLine) {
    LinkRig rig(9600, 1);
    int drawn = 0;
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        // The first answer to the request is far longer than the two bytes asked for.
        if (f.code == cmd::kRegisterBuffer && drawn++ == 0) return FakeMonitor::Reply(0xE8, std::vector<std::uint8_t>(60, 0xE8));
        return std::nullopt;
    };
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(rig.link.Exchange(cmd::kRegisterBuffer, {}, reply));
    EXPECT_EQ(reply, Bytes({0x07, 0xE0}));
    EXPECT_EQ(rig.traceLines.Count("TOO LONG"), 1);
    EXPECT_EQ(rig.traceLines.Count("RESYNC STRING SENT"), 1);
    EXPECT_EQ(rig.traceLines.Count("RESYNC OK"), 1);
    EXPECT_EQ(rig.port.Pending(), 0u);
}

TEST(MonitorLink, WrongReplyCodeEveryTimeExhaustsTwentyOneAttempts) {
    LinkRig rig;
    rig.monitor.override = [](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code == cmd::kReadXdata) return FakeMonitor::Reply(0xE2, Bytes({1, 2, 3, 4}));
        return std::nullopt;
    };
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {0x00, 0x10, 4};
    EXPECT_FALSE(rig.link.Exchange(cmd::kReadXdata, request, reply));
    EXPECT_TRUE(rig.link.Failed());
    EXPECT_EQ(rig.monitor.requests.size(), 21u);  // a well-formed wrong reply draws no resync
    EXPECT_EQ(rig.traceLines.Count("RESYNC"), 0);
}

TEST(MonitorLink, ShortReplyIsNotTakenForTheWholeOne) {
    LinkRig rig;
    int reads = 0;
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code == cmd::kReadXdata && reads++ == 0) return FakeMonitor::Reply(0xE1, Bytes({0xAA, 0xBB}));
        return std::nullopt;
    };
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {0x01, 0x00, 4};
    ASSERT_TRUE(rig.link.Exchange(cmd::kReadXdata, request, reply));
    ASSERT_EQ(reply.size(), 4u);
    EXPECT_EQ(reply[0], rig.monitor.xdata[0x100]);
    EXPECT_EQ(reply[3], rig.monitor.xdata[0x103]);
    EXPECT_EQ(reads, 2);
}

// A resent request draws a second reply; it must not be taken as the reply to the next
// request of the same command.
TEST(MonitorLink, SpareReplyOfAResentRequestIsNotTheNextReply) {
    LinkRig rig;
    int reads = 0;
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code != cmd::kReadXdata || reads++ != 0) return std::nullopt;
        // A stray status first, then the real reply: the PC resends on the status and so
        // gets two replies to the first read.
        auto bytes = FakeMonitor::Reply(0x55, Bytes({0x00}));
        const std::uint8_t* data = &rig.monitor.xdata[0x200];
        const auto real = FakeMonitor::Reply(0xE1, std::span(data, 2));
        bytes.insert(bytes.end(), real.begin(), real.end());
        return bytes;
    };
    std::vector<std::uint8_t> first, second;
    const std::uint8_t at200[] = {0x02, 0x00, 2};
    const std::uint8_t at300[] = {0x03, 0x00, 2};
    ASSERT_TRUE(rig.link.Exchange(cmd::kReadXdata, at200, first));
    rig.clock.now += 5;  // the host does something else before the next read
    ASSERT_TRUE(rig.link.Exchange(cmd::kReadXdata, at300, second));
    EXPECT_EQ(first[0], rig.monitor.xdata[0x200]);
    EXPECT_EQ(second[0], rig.monitor.xdata[0x300]);
    EXPECT_EQ(second[1], rig.monitor.xdata[0x301]);
}

TEST(MonitorLink, CorruptedReplyIsResynchronisedAndRetried) {
    LinkRig rig;
    int after = -1;  // bytes since the first XDATA reply code
    rig.port.fault = [&](std::uint8_t b) -> std::optional<std::uint8_t> {
        if (after < 0 && b == 0xE1) after = 0;
        else if (after >= 0 && after < 2 && ++after == 2) return static_cast<std::uint8_t>(b ^ 0x10);  // its first data byte
        return b;
    };
    std::vector<std::uint8_t> reply;
    const std::uint8_t request[] = {0x00, 0x40, 3};
    ASSERT_TRUE(rig.link.Exchange(cmd::kReadXdata, request, reply));
    EXPECT_EQ(reply[0], rig.monitor.xdata[0x40]);
    EXPECT_EQ(rig.traceLines.Count("BAD CRC"), 1);
    EXPECT_EQ(rig.traceLines.Count("RESYNC OK"), 1);
}

TEST(MonitorLink, SilentTargetFailsTheExchangeAfterSixResyncAttempts) {
    LinkRig rig;
    rig.monitor.silent = true;
    std::vector<std::uint8_t> reply;
    EXPECT_FALSE(rig.link.Exchange(cmd::kRegisterBuffer, {}, reply));
    EXPECT_TRUE(rig.link.Failed());
    EXPECT_EQ(rig.traceLines.Count("RESYNC STRING SENT"), 6);
    EXPECT_EQ(rig.traceLines.Count("RESYNC OK"), 0);
}

TEST(MonitorLink, BusyMonitorIsNotResynchronised) {
    LinkRig rig;
    rig.monitor.readyStatus = 0x04;  // every status says "not ready"
    EXPECT_FALSE(rig.link.Resynchronise());
    EXPECT_EQ(rig.notifier.beeps.size(), 6u);
    EXPECT_EQ(rig.notifier.beeps[0], std::make_pair(500, 10));
    rig.monitor.readyStatus = 0x00;
    EXPECT_TRUE(rig.link.Resynchronise());
    // Six zero bytes went out for the resynchronisation.
    EXPECT_EQ(rig.port.writes.back(), Bytes({0x00}));
    EXPECT_EQ(rig.port.writes[rig.port.writes.size() - 2], std::vector<std::uint8_t>(6, 0));
}

// A frame longer than the one-byte buffer during resynchronisation, still arriving at
// 9600 bit/s: what remains of it is read off before the next attempt, so its tail is
// not taken for the next answer.
TEST(MonitorLink, ResyncTakesTheRestOfALongFrameOffTheLine) {
    LinkRig rig(9600, 1);
    bool first = true;
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        if (f.code != cmd::kStatusPoll || !first) return std::nullopt;
        first = false;
        return FakeMonitor::Reply(0xE1, std::vector<std::uint8_t>(120, 0x5A));
    };
    EXPECT_TRUE(rig.link.Resynchronise());
    EXPECT_EQ(rig.traceLines.Count("RESYNC STRING SENT"), 2);
}

TEST(MonitorLink, HardResetPulsesDtrWithRtsDropped) {
    LinkRig rig;
    rig.port.events.clear();
    rig.link.HardReset();
    EXPECT_EQ(rig.port.events, (std::vector<std::string>{"DTR on", "RTS off", "DTR off", "RTS on"}));
    EXPECT_EQ(rig.clock.slept, std::vector<int>{1});
    EXPECT_EQ(rig.traceLines.Count("PC->KX6500: HARD RESET\n"), 1);
    EXPECT_EQ(rig.monitor.resets, 1);
}

TEST(MonitorLink, OpenUsesThePortAndRateAndDiscardsBothWays) {
    VirtualClock clock;
    ScriptedPort port(clock);
    MemoryTrace lines;
    MonitorTrace trace(lines, clock);
    ScriptedNotifier notifier;
    MonitorLink link(port, clock, notifier, trace);
    EXPECT_TRUE(link.Open(4, 9600));
    EXPECT_EQ(port.openedPort, 4);
    EXPECT_EQ(port.openedRate, 9600);
    EXPECT_EQ(port.events, (std::vector<std::string>{"open", "discard input", "discard output"}));
    link.Close();
    EXPECT_FALSE(link.IsOpen());
    port.opens = false;
    EXPECT_FALSE(link.Open(4, 9600));
}

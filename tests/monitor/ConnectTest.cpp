// The connect sequence's paths, and the command set over the link.
#include <gtest/gtest.h>

#include "common/Crc16.h"
#include "monitor/core/MonitorCommands.h"
#include "tests/monitor/ScriptedPort.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {
int Count(const FakeMonitor& m, std::uint8_t code) {
    int n = 0;
    for (const auto& f : m.requests) n += f.code == code;
    return n;
}
}  // namespace

TEST(Connect, MonitorInControlAnswersTheStopAtOnce) {
    LinkRig rig;
    rig.monitor.statuses = {0x04, 0x04};  // busy twice, then ready
    EXPECT_TRUE(rig.link.Connect());
    EXPECT_EQ(rig.monitor.resets, 0);
    EXPECT_EQ(Count(rig.monitor, cmd::kStop), 1);
    EXPECT_EQ(Count(rig.monitor, cmd::kStatusPoll), 3);
    EXPECT_FALSE(rig.link.Failed());
}

TEST(Connect, SilentMonitorIsResetAndSeenStartingThenReady) {
    LinkRig rig;
    rig.monitor.silentUntilReset = true;
    rig.monitor.afterReset = {0x04, 0x04, 0x04};
    EXPECT_TRUE(rig.link.Connect());
    EXPECT_EQ(rig.monitor.resets, 1);
    EXPECT_EQ(rig.traceLines.Count("PC->KX6500: HARD RESET"), 1);
    EXPECT_EQ(Count(rig.monitor, cmd::kStop), 1);
    // The polls after the reset wait 5 ms for their first byte (the last reply was read
    // as first byte, length, then status and CRC).
    const auto& firstByte = rig.port.reads[rig.port.reads.size() - 3];
    EXPECT_EQ(firstByte.count, 1u);
    EXPECT_EQ(firstByte.constantMs, 5);
}

TEST(Connect, ReadyBeforeStartingTriesAgainFromTheStop) {
    LinkRig rig;
    rig.monitor.answersStop = false;
    rig.monitor.afterReset = {0x00};  // ready at once: not seen starting
    int resets = 0;
    rig.monitor.override = [&](const Frame& f) -> std::optional<std::vector<std::uint8_t>> {
        // From the second reset on, the monitor is seen starting.
        if (f.code == cmd::kStop && rig.monitor.resets >= 1 && resets++ == 0) rig.monitor.afterReset = {0x04, 0x00};
        return std::nullopt;
    };
    EXPECT_TRUE(rig.link.Connect());
    EXPECT_EQ(Count(rig.monitor, cmd::kStop), 2);
    EXPECT_EQ(rig.monitor.resets, 2);
}

TEST(Connect, TwentySilentPollsFailAndSetTheFailedFlag) {
    LinkRig rig;
    rig.monitor.silent = true;
    EXPECT_FALSE(rig.link.Connect());
    EXPECT_TRUE(rig.link.Failed());
    EXPECT_EQ(Count(rig.monitor, cmd::kStop), 1);
    EXPECT_EQ(Count(rig.monitor, cmd::kStatusPoll), 20);
    // A 5 ms sleep after each silent poll.
    int fives = 0;
    for (int ms : rig.clock.slept) fives += ms == 5;
    EXPECT_EQ(fives, 20);
}

TEST(Connect, MonitorThatStaysBusyAfterTheStopFails) {
    LinkRig rig;
    rig.monitor.readyStatus = 0x04;
    EXPECT_FALSE(rig.link.Connect());
    EXPECT_TRUE(rig.link.Failed());
    EXPECT_EQ(Count(rig.monitor, cmd::kStatusPoll), 20);
}

TEST(MonitorCommands, LongReadsGoInChunksOf128) {
    LinkRig rig;
    MonitorCommands commands(rig.link);
    std::vector<std::uint8_t> out(300);
    ASSERT_TRUE(commands.ReadXdata(0x0100, out.size(), out.data()));
    ASSERT_EQ(Count(rig.monitor, cmd::kReadXdata), 3);
    EXPECT_EQ(rig.monitor.requests[0].data, (std::vector<std::uint8_t>{0x01, 0x00, 128}));
    EXPECT_EQ(rig.monitor.requests[1].data, (std::vector<std::uint8_t>{0x01, 0x80, 128}));
    EXPECT_EQ(rig.monitor.requests[2].data, (std::vector<std::uint8_t>{0x02, 0x00, 44}));
    EXPECT_TRUE(std::equal(out.begin(), out.end(), rig.monitor.xdata.begin() + 0x100));
    std::vector<std::uint8_t> code(5), sfr(4), iram(3);
    ASSERT_TRUE(commands.ReadCode(0x7FFB, 5, code.data()));
    ASSERT_TRUE(commands.ReadSfr(0xE0, 4, sfr.data()));
    ASSERT_TRUE(commands.ReadInternal(0x7D, 3, iram.data()));
    EXPECT_TRUE(std::equal(code.begin(), code.end(), rig.monitor.code.begin() + 0x7FFB));
    EXPECT_TRUE(std::equal(sfr.begin(), sfr.end(), rig.monitor.sfr.begin() + 0xE0));
    EXPECT_TRUE(std::equal(iram.begin(), iram.end(), rig.monitor.iram.begin() + 0x7D));
    // A read past the end of its space is not sent.
    const auto before = rig.monitor.requests.size();
    EXPECT_FALSE(commands.ReadSfr(0xFE, 3, sfr.data()));
    EXPECT_FALSE(commands.ReadXdata(0xFFFF, 2, out.data()));
    EXPECT_EQ(rig.monitor.requests.size(), before);
}

TEST(MonitorCommands, WritesGoAsHeaderAndDataPerChunk) {
    LinkRig rig;
    MonitorCommands commands(rig.link);
    std::vector<std::uint8_t> bytes(200);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i ^ 0x3C);
    ASSERT_TRUE(commands.Write(space::kXdata, 0x0400, bytes));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), rig.monitor.xdata.begin() + 0x400));
    ASSERT_EQ(rig.monitor.requests.size(), 4u);
    EXPECT_EQ(rig.monitor.requests[0].data, (std::vector<std::uint8_t>{0xCC, 0x04, 0x00, 128}));
    EXPECT_EQ(rig.monitor.requests[2].data, (std::vector<std::uint8_t>{0xCC, 0x04, 0x80, 72}));
    const std::uint8_t acc[] = {0x99};
    ASSERT_TRUE(commands.Write(space::kSfr, 0xE0, acc));
    EXPECT_EQ(rig.monitor.sfr[0xE0], 0x99);
    ASSERT_TRUE(commands.Write(space::kInternal, 0x13, acc));
    EXPECT_EQ(rig.monitor.iram[0x13], 0x99);
}

TEST(MonitorCommands, FlashPagesLoadProgramAndCheck) {
    LinkRig rig;
    MonitorCommands commands(rig.link);
    ASSERT_TRUE(commands.LoadPage(0x0180));  // page 3 into the XDATA page buffer
    EXPECT_EQ(rig.monitor.requests.back().data, (std::vector<std::uint8_t>{0x01, 0x80, 0x80}));
    EXPECT_TRUE(std::equal(rig.monitor.xdata.begin(), rig.monitor.xdata.begin() + 128, rig.monitor.code.begin() + 0x180));
    const std::vector<std::uint8_t> page(128, 0x42);
    ASSERT_TRUE(commands.Write(space::kXdata, 0, page));
    ASSERT_TRUE(commands.ProgramPage(7));
    EXPECT_EQ(rig.monitor.code[7 * 128 + 127], 0x42);
    EXPECT_EQ(commands.PageCrc(7), tessary::Crc16(page));
    // Program and load wait longer for their answers.
    EXPECT_EQ(rig.port.reads[rig.port.reads.size() - 6].constantMs, 400);
}

TEST(MonitorCommands, SaveAreaAddressIsAskedOnceAndTheAreaKeptUntilInvalidated) {
    LinkRig rig;
    MonitorCommands commands(rig.link);
    EXPECT_FALSE(commands.Connected());
    for (int i = 0; i < 22; ++i) rig.monitor.xdata[0x07E0 + i] = static_cast<std::uint8_t>(0xA0 + i);
    const SaveArea* area = commands.ReadSaveArea();
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(commands.Connected());
    EXPECT_EQ((*area)[save::kAcc], 0xA0);
    EXPECT_EQ((*area)[21], 0xA0 + 21);
    EXPECT_EQ(rig.monitor.requests.back().data, (std::vector<std::uint8_t>{0x07, 0xE0, 22}));
    commands.ReadSaveArea();
    EXPECT_EQ(rig.monitor.requests.size(), 2u);  // held: nothing asked
    commands.InvalidateSaveArea();
    rig.monitor.xdata[0x07E0] = 0x11;
    EXPECT_EQ((*commands.ReadSaveArea())[save::kAcc], 0x11);
    EXPECT_EQ(Count(rig.monitor, cmd::kRegisterBuffer), 1);
    commands.Forget();
    commands.ReadSaveArea();
    EXPECT_EQ(Count(rig.monitor, cmd::kRegisterBuffer), 2);
}

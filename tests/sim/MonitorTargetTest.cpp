// The debug monitor on the chip, and the virtual target around it, in virtual time: the
// monitor's start-up and frame timing, what a step does with a pending interrupt, how a
// program loses or keeps the target, and how the target paces the core and the line.
#include <gtest/gtest.h>

#include <map>

#include "common/Crc16.h"
#include "sim/chip/KX6500Chip.h"
#include "sim/chip/Sfr.h"
#include "sim/monitor/BootLoader.h"
#include "sim/monitor/DebugMonitor.h"
#include "sim/monitor/MonitorContext.h"
#include "sim/target/VirtualTarget.h"
#include "tests/sim/MonitorClient.h"

using namespace sim::sfr;
using sim::monitor::DebugMonitor;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t code, const Bytes& data = {}) { return simtest::MonitorClient::Frame(code, data); }

struct Reply {
    std::uint8_t code;
    Bytes data;
    bool operator==(const Reply&) const = default;
};

// Whole frames in the bytes; a broken one ends the list.
std::vector<Reply> Frames(const Bytes& bytes) {
    std::vector<Reply> frames;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] == 0) {
            frames.push_back({0, {}});
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size() || i + bytes[i + 1] + 4 > bytes.size()) break;
        const std::size_t n = bytes[i + 1];
        if (tessary::Crc16(std::span(bytes.data() + i, n + 4)) != 0) break;
        frames.push_back({bytes[i], Bytes(bytes.begin() + static_cast<long>(i) + 2, bytes.begin() + static_cast<long>(i + 2 + n))});
        i += n + 4;
    }
    return frames;
}

Reply Status(std::uint8_t s) { return {0x55, {s}}; }
const Reply kDone{0xF0, {}};

// The chip with the boot loader, the monitor started and ready.
struct MonitorRig {
    static constexpr double kClock = 14.7456;
    sim::KX6500Chip chip;
    DebugMonitor monitor{chip, kClock};
    std::uint64_t now = 0;

    explicit MonitorRig(bool ready = true) {
        sim::monitor::InstallBootLoader(chip, kClock);
        monitor.PowerOn(0);
        if (ready) {
            RunFor(100);
            now = 100000;
        }
    }
    // The program's code, into erased flash.
    void Code(int address, const Bytes& bytes) {
        const int page = address / 128;
        std::array<std::uint8_t, 128> image;
        image.fill(0xFF);
        for (std::size_t i = 0; i < bytes.size(); ++i) image[(address % 128) + i] = bytes[i];
        chip.ProgramPage(page, image);
    }
    void RunFor(std::uint64_t us) {
        monitor.Run(chip.Cycles() + static_cast<std::uint64_t>(static_cast<double>(us) * kClock / 12), now);
        now += us;
    }
    std::vector<Reply> Send(const Bytes& wire) {
        for (std::uint8_t b : wire) monitor.Receive(b, now);
        return Frames(monitor.TakeTransmitted());
    }
    std::vector<Reply> Request(std::uint8_t code, const Bytes& data = {}) { return Send(Frame(code, data)); }
    void Write(std::uint8_t space, int address, const Bytes& bytes) {
        ASSERT_EQ(Request(0x20, {space, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                                 static_cast<std::uint8_t>(bytes.size())}),
                  std::vector{kDone});
        ASSERT_EQ(Request(0x21, bytes), std::vector{kDone});
    }
    void SetPc(int pc) { Write(0xCC, sim::monitor::kSaveArea + 4, {static_cast<std::uint8_t>(pc >> 8), static_cast<std::uint8_t>(pc)}); }
    int Saved(int offset) const { return chip.Xdata(sim::monitor::kSaveArea + offset); }
    int SavedPc() const { return Saved(4) << 8 | Saved(5); }
};

}  // namespace

TEST(DebugMonitor, StartUpAfterPowerOnLastsFiftyOfTheMonitorsMilliseconds) {
    MonitorRig rig(false);
    rig.RunFor(10);  // 0x0000: LJMP 0x7600
    EXPECT_EQ(rig.monitor.CurrentState(), DebugMonitor::State::Starting);
    EXPECT_EQ(rig.SavedPc(), 0x0000);
    EXPECT_EQ(rig.monitor.BitRate(), 57600);
    // Its delays count on the clock byte 19 (15.2 MHz): 51.5 ms at 14.7456 MHz.
    rig.now = 51000;
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x04)});
    EXPECT_EQ(rig.Request(0x18), (std::vector<Reply>{{0xFF, {}}}));  // nothing but polls yet
    rig.now = 51600;
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x00)});
    EXPECT_EQ(rig.Request(0x18), (std::vector<Reply>{{0xE8, {0x07, 0xE8}}}));

    // A clock byte twice as large makes every delay twice as long.
    sim::KX6500Chip& chip = rig.chip;
    auto vectors = sim::monitor::VectorPage(MonitorRig::kClock);
    vectors[sim::monitor::kClockByte] = 38;
    chip.ErasePage(0);
    chip.ProgramPage(0, vectors);
    rig.now = 0;
    rig.monitor.PowerOn(0);
    rig.RunFor(10);
    rig.now = 103000;
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x04)});
    rig.now = 103200;
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x00)});
    // The frame gap too: 41.2 ms.
    const Bytes poll18 = Frame(0x18);
    EXPECT_TRUE(rig.Send(Bytes(poll18.begin(), poll18.begin() + 2)).empty());
    rig.now += 41000;
    EXPECT_EQ(rig.Send(Bytes(poll18.begin() + 2, poll18.end())).size(), 1u);
    EXPECT_TRUE(rig.Send(Bytes(poll18.begin(), poll18.begin() + 2)).empty());
    rig.now += 41300;
    EXPECT_TRUE(rig.Send(Bytes(poll18.begin() + 2, poll18.end())).empty());  // dropped; the CRC bytes start a frame
    EXPECT_EQ(rig.monitor.Stats().incomplete, 1u);
}

TEST(DebugMonitor, AStepEntersAnEnabledPendingInterruptFirst) {
    MonitorRig rig;
    rig.Code(0x0100, {0x00});              // NOP
    rig.Code(0x000B, {0x75, 0x40, 0x77});  // timer 0's handler: MOV 0x40,#0x77
    rig.SetPc(0x0100);
    rig.Write(0xEE, IE, {0xC2});           // and the timer 0 interrupt, besides the monitor's
    rig.Write(0xEE, TCON, {0x60});         // TF0 pending
    EXPECT_EQ(rig.Request(0x80), std::vector{Status(0x06)});
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x02)});
    EXPECT_EQ(rig.Request(0x80), std::vector{Status(0x06)});  // resent: not stepped again
    EXPECT_EQ(rig.Request(0x81), std::vector{Status(0x00)});
    EXPECT_EQ(rig.chip.Iram(0x40), 0x77);
    EXPECT_EQ(rig.SavedPc(), 0x000E);
    EXPECT_EQ(rig.Saved(6), 9);  // the interrupt's return address is on the program's stack
    EXPECT_EQ(rig.chip.Iram(8), 0x00);
    EXPECT_EQ(rig.chip.Iram(9), 0x01);
    EXPECT_EQ(rig.chip.ReadSfr(TCON) & 0x20, 0);
    EXPECT_EQ(rig.chip.InterruptLevel(), 0);  // the program is inside timer 0's handler
}

TEST(DebugMonitor, AProgramThatDisablesTheSerialInterruptLosesTheTarget) {
    MonitorRig rig;
    rig.Code(0x0100, {0xC2, 0xAF, 0x80, 0xFE});  // CLR EA; SJMP $
    rig.SetPc(0x0100);
    EXPECT_EQ(rig.Request(0x84), std::vector{kDone});
    rig.RunFor(1000);
    EXPECT_TRUE(rig.Request(0x00).empty());
    EXPECT_TRUE(rig.Request(0x88).empty());
    rig.RunFor(100000);
    EXPECT_TRUE(Frames(rig.monitor.TakeTransmitted()).empty());
    EXPECT_TRUE(rig.monitor.ProgramRunning());
    // Only a power-on brings it back.
    rig.monitor.PowerOn(rig.now);
    rig.RunFor(100000);
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x00)});
}

TEST(DebugMonitor, TheProgramsOwnSerialOutputGoesOutAndItsInterruptHandsBack) {
    MonitorRig rig;
    rig.Code(0x0100, {0x75, 0xC1, 0x41, 0x05, 0x30, 0x80, 0xFC});  // MOV SBUF1,#'A'; loop: INC 0x30; SJMP loop
    rig.SetPc(0x0100);
    EXPECT_EQ(rig.Request(0x84), std::vector{kDone});
    rig.RunFor(5000);
    EXPECT_EQ(rig.monitor.TakeTransmitted(), Bytes{0x41});
    EXPECT_TRUE(rig.monitor.ProgramRunning());
    const int count = rig.chip.Iram(0x30);
    rig.RunFor(1000);
    EXPECT_NE(rig.chip.Iram(0x30), count);
    EXPECT_EQ(rig.chip.ReadSfr(SCON1) & 0x02, 0);  // TI taken by the monitor's entry
    // A byte from the PC stops it: the poll that did says so, later ones do not.
    for (std::uint8_t b : Frame(0x00)) rig.monitor.Receive(b, rig.now);
    rig.RunFor(10);
    EXPECT_EQ(Frames(rig.monitor.TakeTransmitted()), std::vector{Status(0x0C)});
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x00)});
    const int pc = rig.SavedPc();
    EXPECT_TRUE(pc == 0x0103 || pc == 0x0105) << pc;
}

TEST(DebugMonitor, AJumpToTheResetEntryStopsTheProgramAt7648) {
    MonitorRig rig;
    rig.Code(0x0100, {0x75, 0x30, 0x99, 0x02, 0x00, 0x00});  // MOV 0x30,#0x99; LJMP 0x0000
    rig.SetPc(0x0100);
    EXPECT_EQ(rig.Request(0x82), std::vector{Status(0x02)});
    EXPECT_EQ(rig.Request(0x84), std::vector{kDone});
    rig.RunFor(100);
    EXPECT_EQ(Frames(rig.monitor.TakeTransmitted()), std::vector{Status(0x04)});  // unasked
    EXPECT_EQ(rig.Request(0x00), std::vector{Status(0x00)});
    EXPECT_EQ(rig.SavedPc(), 0x7648);
    EXPECT_EQ(rig.chip.Iram(0x30), 0x99);  // not a power-on: memories kept
}

// ---- the target around the monitor, on a scripted line in virtual time

namespace {

class ScriptedLine : public sim::TargetLine {
public:
    std::uint64_t now = 0, endUs = 1000000;
    int rate = 57600;
    std::multimap<std::uint64_t, Bytes> input;
    std::vector<std::uint64_t> powerOnAt;
    std::vector<std::pair<std::uint64_t, std::uint8_t>> output;
    int waits = 0;

    void At(std::uint64_t us, const Bytes& bytes) { input.emplace(us, bytes); }
    Bytes Output() const {
        Bytes b;
        for (const auto& o : output) b.push_back(o.second);
        return b;
    }
    std::uint64_t NowUs() override { return now; }
    void WaitUntil(std::uint64_t us) override {
        ++waits;
        std::uint64_t next = std::min(us, endUs);
        if (auto it = input.upper_bound(now); it != input.end()) next = std::min(next, it->first);
        for (std::uint64_t p : powerOnAt)
            if (p > now) next = std::min(next, p);
        now = std::max(now, next);
    }
    std::size_t Read(std::span<std::uint8_t> buffer) override {
        std::size_t n = 0;
        while (!input.empty() && input.begin()->first <= now && n + input.begin()->second.size() <= buffer.size()) {
            for (std::uint8_t b : input.begin()->second) buffer[n++] = b;
            input.erase(input.begin());
        }
        return n;
    }
    void Write(std::span<const std::uint8_t> bytes) override {
        for (std::uint8_t b : bytes) output.emplace_back(now, b);
    }
    int HostBitRate() override { return rate; }
    Events TakeEvents() override {
        Events e;
        e.quit = now >= endUs;
        for (std::uint64_t& p : powerOnAt)
            if (p != 0 && p <= now) {
                e.powerOn = true;
                p = 0;
            }
        return e;
    }
};

struct TargetRig {
    sim::KX6500Chip chip;
    ScriptedLine line;
    sim::TargetOptions options;
    std::vector<std::string> notices;

    explicit TargetRig(bool bootLoader = true) {
        if (bootLoader) sim::monitor::InstallBootLoader(chip, 14.7456);
        options.notice = [this](const std::string& text) { notices.push_back(text); };
    }
    std::string Serve() {
        sim::VirtualTarget target(chip, line, options);
        target.Serve();
        return target.Summary();
    }
};

}  // namespace

TEST(VirtualTarget, TheCoreKeepsTheChipsPaceInSlicesWhileTheProgramRuns) {
    TargetRig rig(false);  // an erased chip runs 0xFF (MOV R7,A) for ever
    rig.Serve();
    const double expected = 14.7456e6 / 12;  // one second
    EXPECT_NEAR(static_cast<double>(rig.chip.Cycles()), expected, 1300);
    EXPECT_NEAR(rig.line.waits, 1000, 20);
}

TEST(VirtualTarget, NothingRunsWhileTheMonitorWaitsForThePc) {
    TargetRig rig;
    rig.line.At(500000, Frame(0x00));
    rig.Serve();
    EXPECT_EQ(Frames(rig.line.Output()), std::vector{Status(0x00)});
    EXPECT_LT(rig.line.waits, 10);
    EXPECT_LT(rig.chip.Cycles(), 10u);
}

TEST(VirtualTarget, WireTimeGivesEveryByteItsTenBitTimes) {
    TargetRig rig;
    rig.options.wireTime = true;
    rig.line.At(200000, Frame(0x00));
    rig.line.At(300000, Frame(0x11, {0x01, 0x00, 128}));
    rig.Serve();
    const double t = 1e7 / 57600;
    ASSERT_EQ(rig.line.output.size(), 5u + 132u);
    // The poll arrives one byte time after it was sent; the five reply bytes follow.
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(static_cast<double>(rig.line.output[static_cast<std::size_t>(k)].first), 200000 + (k + 2) * t, 2) << k;
    // 7 bytes out, 132 back.
    EXPECT_NEAR(static_cast<double>(rig.line.output.back().first), 300000 + 139 * t, 2);
    EXPECT_EQ(Frames(rig.line.Output()).size(), 2u);
}

TEST(VirtualTarget, UnpacedRepliesLeaveAtOnce) {
    TargetRig rig;
    rig.line.At(200000, Frame(0x11, {0x01, 0x00, 128}));
    rig.Serve();
    ASSERT_EQ(rig.line.output.size(), 132u);
    EXPECT_EQ(rig.line.output.front().first, 200000u);
    EXPECT_EQ(rig.line.output.back().first, 200000u);
}

TEST(VirtualTarget, APcAtAnotherBitRateGetsGarbageAndTheOperatorOneNotice) {
    TargetRig rig;
    rig.line.rate = 115200;
    for (std::uint64_t t = 200000; t < 900000; t += 100000) rig.line.At(t, Frame(0x00));
    rig.Serve();
    EXPECT_TRUE(Frames(rig.line.Output()).empty() || Frames(rig.line.Output()).front() != Status(0x00));
    ASSERT_EQ(rig.notices.size(), 1u);
    EXPECT_NE(rig.notices[0].find("115200"), std::string::npos) << rig.notices[0];
    EXPECT_NE(rig.notices[0].find("57600"), std::string::npos) << rig.notices[0];

    TargetRig close;
    close.line.rate = 59000;  // 2.4 % off: a real UART copes
    close.line.At(200000, Frame(0x00));
    close.Serve();
    EXPECT_EQ(Frames(close.line.Output()), std::vector{Status(0x00)});
    EXPECT_TRUE(close.notices.empty());
}

TEST(VirtualTarget, WithoutTheMonitorNothingAnswers) {
    TargetRig rig;
    rig.options.monitor = false;
    rig.line.At(200000, Frame(0x00));
    rig.line.At(300000, Frame(0x88));
    const std::string summary = rig.Serve();
    EXPECT_TRUE(rig.line.output.empty());
    EXPECT_EQ(summary.find("0 frames served"), 0u) << summary;
}

TEST(VirtualTarget, InjectedFaultsAreCountedInTheSummary) {
    TargetRig rig;
    rig.options.faults.drop = 100;
    for (std::uint64_t t = 200000; t < 500000; t += 100000) rig.line.At(t, Frame(0x00));
    const std::string summary = rig.Serve();
    EXPECT_TRUE(rig.line.output.empty());
    EXPECT_NE(summary.find("0 frames served (0 refused), 0 bad frames (0 bad CRC, 0 incomplete), 3 faults injected "
                           "(3 dropped, 0 flipped, 0 inserted)"),
              std::string::npos)
        << summary;
}

TEST(VirtualTarget, APowerOnRestartsTheChipAndTheMonitorStartsAgain) {
    TargetRig rig;
    rig.line.At(200000, Frame(0x20, {0xCC, 0x01, 0x00, 1}));
    rig.line.At(200100, Frame(0x21, {0x5A}));
    rig.line.powerOnAt = {500000};
    rig.line.At(510000, Frame(0x00));
    rig.line.At(600000, Frame(0x00));
    rig.line.At(600100, Frame(0x11, {0x01, 0x00, 1}));
    rig.Serve();
    EXPECT_EQ(Frames(rig.line.Output()), (std::vector<Reply>{kDone, kDone, Status(0x04), Status(0x00), {0xE1, {0x00}}}));
}

// The pause on a simulated clock whose sleeps wake late, early or on time.

#include "lptlink/core/PreciseSleep.h"

#include <gtest/gtest.h>

#include <deque>

using namespace lptlink;

namespace {

class ScriptedClock : public SleepClock {
public:
    std::uint64_t NowNs() override {
        ++reads;
        return now += 30;
    }
    // Wakes at the deadline plus the next scripted lateness (negative: a signal woke it
    // early); the script's last value repeats.
    void SleepUntilNs(std::uint64_t deadline) override {
        ++sleeps;
        const std::int64_t late = lateness.size() > 1 ? Pop() : lateness.front();
        now = static_cast<std::uint64_t>(static_cast<std::int64_t>(deadline) + late);
        lastDeadline = deadline;
    }
    std::int64_t Pop() {
        const std::int64_t v = lateness.front();
        lateness.pop_front();
        return v;
    }
    std::uint64_t now = 1000000;
    std::deque<std::int64_t> lateness{40000};
    std::uint64_t lastDeadline = 0;
    int reads = 0, sleeps = 0;
};

}  // namespace

TEST(PreciseSleep, NeverEndsBeforeItsTimeAndLearnsHowLateTheSystemWakes) {
    ScriptedClock clock;
    PreciseSleep sleep(clock);
    EXPECT_EQ(sleep.MarginNs(), PreciseSleep::kInitialMarginNs);
    std::vector<std::int64_t> overshoot;
    for (int i = 0; i < 40; ++i) {
        const std::uint64_t start = clock.now;
        sleep.SleepAtLeast(1000000);
        // The start was read after `start`: the pause counts from that reading.
        overshoot.push_back(static_cast<std::int64_t>(clock.now - start) - 1000000);
        EXPECT_GE(overshoot.back(), 0);
    }
    // Waking 40 us late, the thread learns to sleep to 40 us before the deadline and
    // spins the rest: the pause ends within a clock reading or two of its time.
    EXPECT_EQ(sleep.MarginNs(), 40000 + 30);  // and the reading that saw it
    EXPECT_LE(overshoot.back(), 100);
    EXPECT_GT(overshoot.front(), 0);
    EXPECT_EQ(clock.sleeps, 40);
}

TEST(PreciseSleep, MarginStaysBetweenItsBoundsAndWithinAQuarterOfThePause) {
    ScriptedClock clock;
    PreciseSleep sleep(clock);
    clock.lateness = {3000000};  // a scheduler that wakes 3 ms late
    for (int i = 0; i < 20; ++i) sleep.SleepAtLeast(1000000);
    EXPECT_EQ(sleep.MarginNs(), PreciseSleep::kMaxMarginNs);
    // A quarter of a 200 us pause is the most it spins.
    const std::uint64_t start = clock.now;
    sleep.SleepAtLeast(200000);
    EXPECT_EQ(clock.lastDeadline, start + 30 + 200000 - 50000);

    clock.lateness = {0};  // a punctual system
    for (int i = 0; i < 20; ++i) sleep.SleepAtLeast(1000000);
    EXPECT_EQ(sleep.MarginNs(), PreciseSleep::kMinMarginNs);
}

TEST(PreciseSleep, OneSlowWakeUpMovesTheMarginLittle) {
    ScriptedClock clock;
    PreciseSleep sleep(clock);
    clock.lateness = {30000};
    for (int i = 0; i < 16; ++i) sleep.SleepAtLeast(1000000);
    clock.lateness = {150000, 30000};
    sleep.SleepAtLeast(1000000);
    EXPECT_EQ(sleep.MarginNs(), 30000 + 30);
}

TEST(PreciseSleep, AnEarlyWakeUpSleepsAgainAndNothingIsNoSleep) {
    ScriptedClock clock;
    PreciseSleep sleep(clock);
    clock.lateness = {-500000, 20000};  // a signal halfway, then a normal wake-up
    const std::uint64_t start = clock.now;
    sleep.SleepAtLeast(1000000);
    EXPECT_EQ(clock.sleeps, 2);
    EXPECT_GE(clock.now - start, 1000000u);

    clock.sleeps = clock.reads = 0;
    sleep.SleepAtLeast(0);
    sleep.SleepAtLeast(-5);
    EXPECT_EQ(clock.sleeps, 0);
    EXPECT_EQ(clock.reads, 2);
}

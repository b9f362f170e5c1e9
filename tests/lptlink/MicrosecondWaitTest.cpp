#include "lptlink/core/MicrosecondWait.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lptlink;

namespace {

// A counter that advances by a fixed step at every read.
class SteppingCounter : public PerformanceCounter {
public:
    SteppingCounter(bool available, std::uint64_t frequency, std::uint64_t start, std::uint64_t step)
        : available_(available), frequency_(frequency), now_(start), step_(step) {}
    bool Frequency(std::uint64_t& f) override {
        ++frequencyCalls;
        f = frequency_;
        return available_;
    }
    std::uint64_t Now() override {
        ++reads;
        const std::uint64_t value = now_;
        now_ += step_;
        return value;
    }
    int reads = 0;
    int frequencyCalls = 0;
    std::uint64_t Last() const { return now_ - step_; }

private:
    bool available_;
    std::uint64_t frequency_, now_, step_;
};

}  // namespace

TEST(MicrosecondWait, CalibratesOnceAndWaitsAtLeastTheTime) {
    SteppingCounter c(true, 3579545, 1000, 7);  // the classic 3.58 MHz counter: 4 ticks/µs
    MicrosecondWait w(c);
    w.WaitAtLeast(10);
    EXPECT_EQ(w.TicksPerMicrosecond(), 4u);
    EXPECT_GE(c.Last(), 1000u + 40u);
    EXPECT_LT(c.Last(), 1000u + 40u + 7u);
    w.WaitAtLeast(1);
    EXPECT_EQ(c.frequencyCalls, 1);
}

TEST(MicrosecondWait, ZeroMicrosecondsReadsTheCounterOnce) {
    SteppingCounter c(true, 1000000000, 5, 1);
    MicrosecondWait w(c);
    w.WaitAtLeast(0);
    EXPECT_EQ(c.reads, 1);
    EXPECT_EQ(w.TicksPerMicrosecond(), 1000u);
    c.reads = 0;
    w.WaitAtLeast(-5);  // a negative time is already over
    EXPECT_EQ(c.reads, 1);
}

TEST(MicrosecondWait, WithoutACounterEveryWaitReturnsAtOnce) {
    SteppingCounter c(false, 0, 100, 1);
    MicrosecondWait w(c);
    w.WaitAtLeast(20000);
    EXPECT_EQ(w.TicksPerMicrosecond(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(c.reads, 1);
}

TEST(MicrosecondWait, SlowCounterStillTerminates) {
    SteppingCounter c(true, 400000, 0, 1);  // rounds to 0 ticks per microsecond
    MicrosecondWait w(c);
    w.WaitAtLeast(1000);
    EXPECT_EQ(c.reads, 1);
    SteppingCounter d(true, 500000, 0, 1);  // rounds up to 1
    MicrosecondWait v(d);
    v.WaitAtLeast(3);
    EXPECT_EQ(v.TicksPerMicrosecond(), 1u);
    EXPECT_EQ(d.Last(), 3u);
}

TEST(MicrosecondWait, CounterWrapAroundIsHandled) {
    const std::uint64_t nearEnd = std::numeric_limits<std::uint64_t>::max() - 5;
    SteppingCounter c(true, 1000000, nearEnd, 1);
    MicrosecondWait w(c);
    w.WaitAtLeast(10);
    EXPECT_EQ(c.reads, 11);
}

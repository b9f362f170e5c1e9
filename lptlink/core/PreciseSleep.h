#pragma once
// The pauses of the bus transfers and the programmer: an operating-system sleep that
// never ends before its time and ends as soon after it as the system allows. The
// thread sleeps to a little before the deadline and spins the last stretch, so the
// late wake-ups of the scheduler cost nothing; how early to wake is learnt from the
// wake-ups seen so far.

#include <array>
#include <cstdint>

namespace lptlink {

// A monotonic clock in nanoseconds and an absolute-deadline sleep on it. The sleep
// yields the processor and may end late (scheduler latency) or early (signals).
class SleepClock {
public:
    virtual ~SleepClock() = default;
    virtual std::uint64_t NowNs() = 0;
    virtual void SleepUntilNs(std::uint64_t deadline) = 0;
};

class PreciseSleep {
public:
    // How early the thread wakes before the deadline: never less than the minimum,
    // so that a wake-up on time still leaves a stretch to finish exactly; never more
    // than the maximum (or a quarter of the pause), so that a pause stays a sleep.
    static constexpr std::int64_t kMinMarginNs = 20'000;
    static constexpr std::int64_t kMaxMarginNs = 200'000;
    static constexpr std::int64_t kInitialMarginNs = 100'000;

    explicit PreciseSleep(SleepClock& clock) : clock_(clock) {}

    void SleepAtLeast(std::int64_t nanoseconds);
    // The margin the next pause of at least 4 x kMaxMarginNs would use.
    std::int64_t MarginNs() const;

private:
    void Learn(std::int64_t latenessNs);

    SleepClock& clock_;
    // The latest wake-up latenesses, oldest overwritten first.
    std::array<std::int64_t, 16> lateness_{};
    std::size_t seen_ = 0;
};

}  // namespace lptlink

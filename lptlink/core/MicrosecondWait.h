#pragma once
// The microsecond busy wait the bus timing relies on. It never sleeps or yields.

#include <cstdint>

namespace lptlink {

class PerformanceCounter {
public:
    virtual ~PerformanceCounter() = default;
    virtual bool Frequency(std::uint64_t& ticksPerSecond) = 0;
    virtual std::uint64_t Now() = 0;
};

class MicrosecondWait {
public:
    explicit MicrosecondWait(PerformanceCounter& counter) : counter_(counter) {}
    void WaitAtLeast(int microseconds);
    // 0 until the first wait; all ones without a counter.
    std::uint64_t TicksPerMicrosecond() const { return ticksPerMicrosecond_; }

private:
    PerformanceCounter& counter_;
    std::uint64_t ticksPerMicrosecond_ = 0;
};

}  // namespace lptlink

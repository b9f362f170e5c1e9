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
    // keepWarm, when given, is a byte of the caller's code, read on every turn of the
    // loop. A long spin is interrupted by the timer and, on a virtual machine, by the
    // host, after which the first touch of each page costs a page walk or a trap; the
    // caller's code page stays mapped, so that a long wait returns as promptly as a
    // short one.
    void WaitAtLeast(int microseconds, const volatile unsigned char* keepWarm = nullptr);
    // 0 until the first wait; all ones without a counter.
    std::uint64_t TicksPerMicrosecond() const { return ticksPerMicrosecond_; }

private:
    PerformanceCounter& counter_;
    std::uint64_t ticksPerMicrosecond_ = 0;
};

}  // namespace lptlink

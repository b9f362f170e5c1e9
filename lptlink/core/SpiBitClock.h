#pragma once
// The SPI bit clock of the programmer, paced on the counter: each rising SCK edge comes
// one bit period after the one before, SCK high for half of it. A wait that ends at a
// time, not after a count of loop iterations, keeps its length whatever the processor
// is doing, and an interrupted bit only lengthens itself: no bit is ever shortened to
// catch up. What the clock has to learn is the lead: how long the status read and the
// rising-edge write take, so that the low phase ends that much before the edge is due.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lptlink {

class SpiBitClock {
public:
    static constexpr std::size_t kSamples = 32;

    // Unpaced: without a counter every wait is 0.
    void Reset() { *this = SpiBitClock{}; }
    // frequency: counter ticks per second; lead: a first estimate of the read and
    // rising-edge write, in ticks.
    void Start(std::uint64_t frequency, int bitsPerSecond, std::uint64_t lead);

    bool Paced() const { return period_ != 0; }
    std::uint64_t Period() const { return period_; }
    std::uint64_t Half() const { return period_ / 2; }
    // The low phase before a read of a byte: the device needs 10 us to fetch it.
    std::uint64_t ReadWait() const { return readWait_; }
    std::uint64_t Lead() const { return lead_; }

    // One measured read and rising-edge write. After every kSamples of them the lead
    // becomes the fastest quarter of them: a bit whose read or write is slower than the
    // lead is only that much longer, while a lead above most of them would shorten
    // most bits; an interrupted bit does not count.
    void ObserveLead(std::uint64_t ticks);

private:
    std::uint64_t period_ = 0;
    std::uint64_t readWait_ = 0;
    std::uint64_t lead_ = 0;
    std::array<std::uint64_t, kSamples> samples_{};
    std::size_t count_ = 0;
};

}  // namespace lptlink

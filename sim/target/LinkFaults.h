#pragma once
// Faults on the serial line, per byte and independently in each direction: a byte is
// lost, has one random bit flipped, or is followed by a random byte that was never
// sent. Rates are percent per byte; the same seed gives the same faults for the same
// bytes.

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct FaultRates {
    double drop = 0, flip = 0, insert = 0;  // percent per byte
    bool Any() const { return drop > 0 || flip > 0 || insert > 0; }
};

// "drop=P,flip=P[,insert=P]", each key at most once, any of them left out is 0; P from 0
// to 100. Nothing with a message in error when the text is not such a list.
std::optional<FaultRates> ParseFaultRates(std::string_view text, std::string& error);

struct FaultCounts {
    std::uint64_t bytes = 0, dropped = 0, flipped = 0, inserted = 0;
    std::uint64_t Total() const { return dropped + flipped + inserted; }
};

class LinkFaults {
public:
    LinkFaults(const FaultRates& rates, std::uint64_t seed);
    // Appends what the line makes of one byte to out.
    void Carry(std::uint8_t byte, std::vector<std::uint8_t>& out);
    const FaultCounts& Counts() const { return counts_; }

private:
    bool Chance(double percent);
    FaultRates rates_;
    std::mt19937_64 random_;
    FaultCounts counts_;
};

}  // namespace sim

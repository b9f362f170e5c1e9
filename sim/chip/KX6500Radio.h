#pragma once
// The KX6500's radio as far as its registers show it: PLL lock in LOCK bit 0, from the
// synthesiser powered, calibrated since the last frequency or divider change, and the
// active frequency word in range.

#include <cstdint>

#include "sim/Synthesiser.h"
#include "sim/chip/ChipMemory.h"

namespace sim {

class KX6500Radio {
public:
    // The registers whose writes the radio follows, and the one it answers.
    static bool Follows(std::uint8_t address);
    void Written(const ChipMemory& memory, std::uint8_t address, std::uint8_t old, std::uint8_t value);
    std::uint8_t ReadLock(const ChipMemory& memory) const;
    bool Locked(const ChipMemory& memory) const;
    void Reset() { synth_ = SynthesiserState{}; }

private:
    SynthesiserState synth_;
};

}  // namespace sim

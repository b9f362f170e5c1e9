#pragma once
// The interrupt system: the sources with their vectors, enables, flags and priority
// bits as one table, two priority levels, and the level in progress until RETI.

#include <cstdint>
#include <span>
#include <string_view>

#include "sim/chip/ChipMemory.h"

namespace sim {

struct InterruptSource {
    std::string_view name;
    std::uint16_t vector;
    std::uint8_t enableSfr, enableMask;
    std::uint8_t flagSfr, flagMask;      // any of the flag bits requests the interrupt
    std::uint8_t prioritySfr, priorityMask;  // mask 0: always the high level
    bool clearedOnEntry;                 // the hardware clears the flag when it vectors
};

// In the order the hardware polls them within a level.
std::span<const InterruptSource> InterruptSources();

class InterruptController {
public:
    // The source to enter now: EA set, enabled, flagged, and above the level in progress.
    const InterruptSource* Pending(const ChipMemory& memory) const;
    // Marks the source's level in progress and clears its flag where the hardware does.
    void Entered(const InterruptSource& source, ChipMemory& memory);
    // RETI ends the highest level in progress.
    void Returned();
    void Reset() { active_ = 0; }
    // -1 no interrupt in progress, 0 the low level, 1 the high level.
    int Level() const { return (active_ & 2) ? 1 : (active_ & 1) ? 0 : -1; }

private:
    static bool High(const InterruptSource& source, const ChipMemory& memory);
    std::uint8_t active_ = 0;  // bit 0: low level in progress, bit 1: high level
};

}  // namespace sim

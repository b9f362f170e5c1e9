#include "sim/chip/KX6500Radio.h"

#include "sim/chip/Sfr.h"

namespace sim {

using namespace sfr;

bool KX6500Radio::Follows(std::uint8_t address) {
    return (address >= FREQ0A && address <= FREQ2B) || address == PLL || address == CAL || address == LOCK;
}

void KX6500Radio::Written(const ChipMemory& m, std::uint8_t address, std::uint8_t old, std::uint8_t value) {
    if (address >= FREQ0A && address <= FREQ2A && old != value) synth_.FrequencyChanged(0);
    if (address >= FREQ0B && address <= FREQ2B && old != value) synth_.FrequencyChanged(1);
    if (address == PLL && (old & 0xF8) != (value & 0xF8)) synth_.DividerChanged();
    if (address == CAL && (value & kCalStart) && !(old & kCalStart)) {
        const std::uint8_t main = m.Sfr(RFMAIN);
        if (!(main & kPowerDownBits)) synth_.calibrated[(main & kFReg) ? 1 : 0] = true;
    }
}

bool KX6500Radio::Locked(const ChipMemory& m) const {
    const std::uint8_t main = m.Sfr(RFMAIN);
    const std::uint8_t first = (main & kFReg) ? FREQ0B : FREQ0A;  // least significant byte first
    const int word = m.Sfr(first) | m.Sfr(static_cast<std::uint8_t>(first + 1)) << 8 |
                     m.Sfr(static_cast<std::uint8_t>(first + 2)) << 16;
    return !(main & kPowerDownBits) && synth_.calibrated[(main & kFReg) ? 1 : 0] && WordInRange(word);
}

std::uint8_t KX6500Radio::ReadLock(const ChipMemory& m) const {
    return static_cast<std::uint8_t>((m.Sfr(LOCK) & 0xFE) | (Locked(m) ? 1 : 0));
}

}  // namespace sim

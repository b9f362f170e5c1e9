#include "sim/chip/Interrupts.h"

#include "sim/chip/Sfr.h"

namespace sim {

namespace {

using namespace sfr;

// The flash-write interrupt (which the breakpoint instruction raises) has no priority
// bit: it always runs at the high level, so that a breakpoint in a low-priority handler
// is still taken.
constexpr InterruptSource kSources[] = {
    {"FWI", 0x0033, EICON, 0x20, EICON, 0x10, 0, 0, false},
    {"IE0", 0x0003, IE, 0x01, TCON, 0x02, IP, 0x01, true},
    {"TF0", 0x000B, IE, 0x02, TCON, 0x20, IP, 0x02, true},
    {"IE1", 0x0013, IE, 0x04, TCON, 0x08, IP, 0x04, true},
    {"TF1", 0x001B, IE, 0x08, TCON, 0x80, IP, 0x08, true},
    {"SERIAL0", 0x0023, IE, 0x10, SCON0, 0x03, IP, 0x10, false},
    {"SERIAL1", 0x003B, IE, 0x40, SCON1, 0x03, IP, 0x40, false},
    {"RFI", 0x0043, EIE, 0x01, EXIF, 0x10, EIP, 0x01, false},
    {"TF2", 0x004B, EIE, 0x02, EXIF, 0x20, EIP, 0x02, false},
    {"TF3", 0x0053, EIE, 0x08, EXIF, 0x80, EIP, 0x08, false},
    {"ADF", 0x005B, EIE, 0x04, EXIF, 0x40, EIP, 0x04, false},
    {"RTCI", 0x0063, EIE, 0x10, EICON, 0x04, EIP, 0x10, false},
};

}  // namespace

std::span<const InterruptSource> InterruptSources() { return kSources; }

bool InterruptController::High(const InterruptSource& source, const ChipMemory& memory) {
    return source.priorityMask == 0 || (memory.Sfr(source.prioritySfr) & source.priorityMask);
}

const InterruptSource* InterruptController::Pending(const ChipMemory& memory) const {
    if (!(memory.Sfr(IE) & 0x80) || (active_ & 2)) return nullptr;
    const InterruptSource* low = nullptr;
    for (const InterruptSource& source : kSources) {
        if (!(memory.Sfr(source.enableSfr) & source.enableMask) || !(memory.Sfr(source.flagSfr) & source.flagMask))
            continue;
        if (High(source, memory)) return &source;
        if (!low && !(active_ & 1)) low = &source;
    }
    return low;
}

void InterruptController::Entered(const InterruptSource& source, ChipMemory& memory) {
    active_ |= static_cast<std::uint8_t>(High(source, memory) ? 2 : 1);
    if (source.clearedOnEntry) memory.Sfr(source.flagSfr) &= static_cast<std::uint8_t>(~source.flagMask);
}

void InterruptController::Returned() {
    if (active_ & 2) active_ &= static_cast<std::uint8_t>(~2);
    else active_ = 0;
}

}  // namespace sim

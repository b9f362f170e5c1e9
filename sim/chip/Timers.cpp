#include "sim/chip/Timers.h"

#include "sim/chip/Sfr.h"

namespace sim {

namespace {

using namespace sfr;

constexpr std::uint8_t kTR0 = 0x10, kTR1 = 0x40, kTF0 = 0x20, kTF1 = 0x80;

// Counts an 8-, 13- or 16-bit timer; true when it overflowed.
bool Count(ChipMemory& m, std::uint8_t low, std::uint8_t high, int mode, unsigned ticks) {
    std::uint8_t& tl = m.Sfr(low);
    std::uint8_t& th = m.Sfr(high);
    bool overflow = false;
    switch (mode) {
        case 0: {  // 13 bits: TH and the low five bits of TL
            unsigned count = static_cast<unsigned>(th << 5 | (tl & 0x1F)) + ticks;
            overflow = count > 0x1FFF;
            count &= 0x1FFF;
            tl = static_cast<std::uint8_t>((tl & 0xE0) | (count & 0x1F));
            th = static_cast<std::uint8_t>(count >> 5);
            break;
        }
        case 1: {
            const unsigned count = static_cast<unsigned>(th << 8 | tl) + ticks;
            overflow = count > 0xFFFF;
            tl = static_cast<std::uint8_t>(count);
            th = static_cast<std::uint8_t>(count >> 8);
            break;
        }
        default: {  // 8 bits reloaded from TH
            unsigned count = tl + ticks;
            while (count > 0xFF) {
                overflow = true;
                count = count - 0x100 + th;
            }
            tl = static_cast<std::uint8_t>(count);
            break;
        }
    }
    return overflow;
}

bool Gated(const ChipMemory& m, int timer) {
    const unsigned control = static_cast<unsigned>(m.Sfr(TMOD) >> (timer * 4)) & 0x0F;
    if (control & 0x04) return false;  // counter mode: no pin to count
    if (!(control & 0x08)) return true;
    return (m.Sfr(P3) >> (2 + timer)) & 1;  // GATE: the INTx level
}

unsigned Ticks(const ChipMemory& m, int timer, unsigned machineCycles) {
    const bool fast = (m.Sfr(CKCON) >> (3 + timer)) & 1;
    return fast ? machineCycles * 3 : machineCycles;
}

}  // namespace

bool Timers::Running(const ChipMemory& m) { return (m.Sfr(TCON) & (kTR0 | kTR1)) || (m.Sfr(TMOD) & 0x03) == 0x03; }

void Timers::Advance(ChipMemory& m, unsigned machineCycles) {
    const std::uint8_t tcon = m.Sfr(TCON);
    const int mode0 = m.Sfr(TMOD) & 0x03, mode1 = (m.Sfr(TMOD) >> 4) & 0x03;
    std::uint8_t flags = 0;
    if (mode0 == 3) {
        // Split: TL0 runs on timer 0's controls, TH0 on TR1 with TF1; timer 1 runs
        // without an overflow flag unless it is stopped in mode 3 itself.
        if ((tcon & kTR0) && Gated(m, 0)) {
            unsigned count = m.Sfr(TL0) + Ticks(m, 0, machineCycles);
            if (count > 0xFF) flags |= kTF0;
            m.Sfr(TL0) = static_cast<std::uint8_t>(count);
        }
        if (tcon & kTR1) {
            unsigned count = m.Sfr(TH0) + Ticks(m, 0, machineCycles);
            if (count > 0xFF) flags |= kTF1;
            m.Sfr(TH0) = static_cast<std::uint8_t>(count);
        }
        if (mode1 != 3 && Gated(m, 1)) Count(m, TL1, TH1, mode1, Ticks(m, 1, machineCycles));
    } else {
        if ((tcon & kTR0) && Gated(m, 0) && Count(m, TL0, TH0, mode0, Ticks(m, 0, machineCycles))) flags |= kTF0;
        if ((tcon & kTR1) && mode1 != 3 && Gated(m, 1) && Count(m, TL1, TH1, mode1, Ticks(m, 1, machineCycles)))
            flags |= kTF1;
    }
    m.Sfr(TCON) |= flags;
}

}  // namespace sim

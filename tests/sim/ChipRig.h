#pragma once
// A chip with code placed by hand: bytes at addresses, then instructions one at a time.

#include <initializer_list>

#include "sim/chip/KX6500Chip.h"
#include "sim/chip/Sfr.h"

namespace simtest {

struct ChipRig {
    sim::KX6500Chip chip;
    sim::KX6500Chip::FlashImage image;

    ChipRig() { image.fill(0xFF); }
    void At(int address, std::initializer_list<int> bytes) {
        for (int b : bytes) image[static_cast<std::size_t>(address++)] = static_cast<std::uint8_t>(b);
        chip.RestoreFlash(image, chip.LockWire());
    }
    void Steps(int n) {
        while (n-- > 0) chip.Step();
    }
    int Sfr(int address) const { return chip.ReadSfr(address); }
    int A() const { return chip.ReadSfr(sim::sfr::ACC); }
    int Psw() const { return chip.ReadSfr(sim::sfr::PSW); }
    int Iram(int address) const { return chip.Iram(address); }
};

}  // namespace simtest

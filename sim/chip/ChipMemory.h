#pragma once
// The memories of the KX6500: what the core, the peripherals and the doors share.

#include <array>
#include <cstdint>

namespace sim {

struct ChipMemory {
    static constexpr int kFlashSize = 0x8000;
    static constexpr int kXdataSize = 0x0800;
    static constexpr int kIramSize = 0x80;

    std::array<std::uint8_t, kFlashSize> flash;
    std::array<std::uint8_t, kXdataSize> xdata{};
    std::array<std::uint8_t, kIramSize> iram{};
    std::array<std::uint8_t, 0x80> sfr{};  // 0x80 to 0xFF

    ChipMemory() { flash.fill(0xFF); }
    std::uint8_t& Sfr(std::uint8_t address) { return sfr[address - 0x80u]; }
    std::uint8_t Sfr(std::uint8_t address) const { return sfr[address - 0x80u]; }
    // Where the chip has no memory, reads give 0xFF.
    std::uint8_t Code(std::uint16_t address) const { return address < kFlashSize ? flash[address] : 0xFF; }
};

}  // namespace sim

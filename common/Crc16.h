#pragma once
// The 16-bit CRC of the monitor link's frames and flash pages: polynomial 0x1021,
// initial value 0xFFFF, no reflection, no final exclusive-or. Running it over a block
// followed by the block's own CRC (high byte first) gives 0.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessary {

inline constexpr std::uint16_t kCrc16Initial = 0xFFFF;

std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte);
std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc = kCrc16Initial);

}  // namespace tessary

#include "display/core/SfrAccess.h"

#include <algorithm>
#include <vector>

namespace kx6500disp {

namespace {
constexpr std::uint32_t SfrAddress(unsigned sfr) { return HOST_ADDRESS(HOST_SPACE_DATA, sfr); }
std::uint8_t Merge(std::uint8_t old, std::uint8_t value, std::uint8_t mask) {
    return static_cast<std::uint8_t>((old & ~mask) | (value & mask));
}
}  // namespace

bool SfrAccess::ReadBlock(SfrImage& image) {
    std::array<std::uint8_t, kSfrBlockSize> block{};
    if (!target_.Read(kSfrBlock, kSfrBlockSize, block.data())) return false;
    std::copy(block.begin(), block.end(), image.begin() + 0x80);
    return true;
}

bool SfrAccess::WriteSfrBits(std::uint8_t sfr, std::uint8_t value, std::uint8_t mask) {
    std::uint8_t byte = 0;
    if (!target_.Read(SfrAddress(sfr), 1, &byte)) return false;
    byte = Merge(byte, value, mask);
    return target_.Write(SfrAddress(sfr), 1, &byte);
}

bool SfrAccess::WriteSfrBitsPair(std::uint8_t sfr, std::uint8_t value0, std::uint8_t mask0, std::uint8_t valueN,
                                 std::uint8_t maskN, std::uint8_t n) {
    if (sfr + n > 0xFF) return false;  // the range would leave the SFR area
    std::vector<std::uint8_t> bytes(n + 1u);
    if (!target_.Read(SfrAddress(sfr), n + 1u, bytes.data())) return false;
    bytes[0] = Merge(bytes[0], value0, mask0);
    bytes[n] = Merge(bytes[n], valueN, maskN);
    return target_.Write(SfrAddress(sfr), n + 1u, bytes.data());
}

void SfrAccess::RefreshFromTarget() {
    std::array<std::uint8_t, kSfrBlockSize> scratch{};
    target_.Read(kSfrBlockReadThrough, kSfrBlockSize, scratch.data());
}

}  // namespace kx6500disp

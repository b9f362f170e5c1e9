#pragma once
// The SFR primitives every view uses: the block read that feeds a refresh, the
// read-modify-writes of one register or of the two ends of a register range, the
// clock and the read-through refresh.

#include <array>
#include <cstdint>

#include "display/core/SfrTarget.h"

namespace kx6500disp {

// Indexed by SFR address; a block read fills 0x80..0xFF, 0x00..0x7F stay 0.
using SfrImage = std::array<std::uint8_t, 256>;

inline constexpr std::uint32_t kSfrBlock = 0xF0000080u;             // plain block read
inline constexpr std::uint32_t kSfrBlockReadThrough = 0xF0800080u;  // the Refresh buttons' read
inline constexpr std::uint32_t kSfrBlockSize = 128;

class SfrAccess {
public:
    explicit SfrAccess(SfrTarget& target) : target_(target) {}

    // 128 bytes at 0xF0000080 into image[0x80..0xFF]; the image is untouched when
    // the read fails, so a caller never decodes bytes nobody read.
    bool ReadBlock(SfrImage& image);
    // One byte at 0xF0 sfr becomes (old & ~mask) | (value & mask); no write when the
    // read fails.
    bool WriteSfrBits(std::uint8_t sfr, std::uint8_t value, std::uint8_t mask);
    // sfr..sfr+n read in one go; byte 0 and byte n are changed under their masks and
    // all n+1 bytes written back in one write (the bytes between as read).
    bool WriteSfrBitsPair(std::uint8_t sfr, std::uint8_t value0, std::uint8_t mask0, std::uint8_t valueN,
                          std::uint8_t maskN, std::uint8_t n);
    std::uint32_t GetClockHz() const { return target_.ClockHz(); }
    // A read-through block read into a buffer that is dropped: the target's values
    // reach the views at the host's next update.
    void RefreshFromTarget();

    SfrTarget& Target() { return target_; }

private:
    SfrTarget& target_;
};

}  // namespace kx6500disp

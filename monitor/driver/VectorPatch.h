#pragma once
// The bytes of the first flash page that belong to the monitor: the reset and debug
// interrupt jumps into it, the user's reset jump moved to 0x0036, and the serial timing
// the monitor runs its UART with. The user never sees them: program reads show the
// user's reset jump at 0x0000 to 0x0002 and 0xFF elsewhere, and writes there change
// the saved reset jump.

#include <array>
#include <cstdint>

namespace kx6500mon {

class VectorPatch {
public:
    static constexpr std::uint16_t kUserResetJump = 0x0036;  // 0x02 and the target's two bytes

    VectorPatch() { Initialise(0xFF, 0xFF); }
    // The monitor's bytes with the timing for the target clock; the saved reset jump
    // points nowhere (0xFFFF) until a program or a write gives it a target.
    void Initialise(std::uint8_t reload, std::uint8_t clockByte);

    bool Owned(std::uint16_t address) const { return address < owned_.size() && owned_[address]; }
    // The monitor's value of an owned byte.
    std::uint8_t Byte(std::uint16_t address) const { return bytes_[address]; }
    // What a program read shows at an owned address.
    std::uint8_t UserView(std::uint16_t address) const;
    // A write of the debugger to 0x0000..0x0002; only the target bytes (0x0001 and
    // 0x0002) have a place to go, the jump opcode is always 0x02.
    void WriteUserResetByte(std::uint16_t address, std::uint8_t value);

private:
    std::array<std::uint8_t, 128> bytes_{};
    std::array<bool, 128> owned_{};
};

}  // namespace kx6500mon

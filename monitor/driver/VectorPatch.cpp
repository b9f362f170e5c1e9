#include "monitor/driver/VectorPatch.h"

namespace kx6500mon {

namespace {

struct PatchByte {
    std::uint16_t address;
    std::uint8_t value;
};

// 0x0039 and 0x003A are filled from the clock; 0x0037 and 0x0038 hold the user's reset
// target.
constexpr PatchByte kPatch[] = {
    {0x0000, 0x02}, {0x0001, 0x76}, {0x0002, 0x00},                  // to the monitor's entry
    {0x0033, 0x02}, {0x0034, 0x76}, {0x0035, 0x57},                  // debug interrupt
    {0x0036, 0x02}, {0x0037, 0xFF}, {0x0038, 0xFF},                  // the user's reset jump
    {0x0039, 0xFF}, {0x003A, 0xFF},                                  // serial timing
    {0x003B, 0x02}, {0x003C, 0x76}, {0x003D, 0x4B},
};

}  // namespace

void VectorPatch::Initialise(std::uint8_t reload, std::uint8_t clockByte) {
    bytes_.fill(0xFF);
    owned_.fill(false);
    for (const PatchByte& p : kPatch) {
        bytes_[p.address] = p.value;
        owned_[p.address] = true;
    }
    bytes_[0x0039] = reload;
    bytes_[0x003A] = clockByte;
}

std::uint8_t VectorPatch::UserView(std::uint16_t address) const {
    if (address <= 0x0002) return bytes_[kUserResetJump + address];
    return 0xFF;
}

void VectorPatch::WriteUserResetByte(std::uint16_t address, std::uint8_t value) {
    if (address == 0x0001 || address == 0x0002) bytes_[kUserResetJump + address] = value;
}

}  // namespace kx6500mon

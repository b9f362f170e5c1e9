#include "display/core/SfrTarget.h"

#include <vector>

namespace kx6500disp {

bool HostRecordTarget::Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    return record_ && record_->readMemory && record_->readMemory(address, count, buffer) == 0;
}

bool HostRecordTarget::Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer) {
    if (!record_ || !record_->writeMemory) return false;
    // The host's function takes a writable buffer; it gets a copy so ours stays ours.
    std::vector<std::uint8_t> copy(buffer, buffer + count);
    return record_->writeMemory(address, count, copy.data()) == 0;
}

}  // namespace kx6500disp

#include "lptlink/core/PortDriverDevice.h"

namespace lptlink {

namespace {
constexpr std::uint32_t kBiosTable = 0x408;
constexpr std::uint32_t kBiosTableBytes = 6;
}  // namespace

bool PortDriverDevice::IoControl(std::uint32_t code, PortDriverRequest& block) {
    if (code == RequestCode(kMapMemory, olderFamily_)) {
        const std::uint32_t physical = block.Word(PortDriverRequest::kPhysicalAddress);
        const std::uint32_t length = block.Word(PortDriverRequest::kMapLength);
        // Only the parallel-port words of the BIOS data area are ever mapped.
        if (physical < kBiosTable || physical + length > kBiosTable + kBiosTableBytes || length == 0) {
            block.SetWord(PortDriverRequest::kLinearAddress, 0);
            return false;
        }
        block.SetWord(PortDriverRequest::kLinearAddress, kTableLinearAddress + (physical - kBiosTable));
        return true;
    }
    const auto port = static_cast<std::uint16_t>(block.Word(PortDriverRequest::kPort));
    if (code == RequestCode(kReadPort, olderFamily_)) {
        block.SetWord(PortDriverRequest::kData, backend_->Read(port));
        return true;
    }
    if (code == RequestCode(kWritePort, olderFamily_)) {
        backend_->Write(port, static_cast<std::uint8_t>(block.Word(PortDriverRequest::kData)));
        return true;
    }
    return false;
}

bool PortDriverDevice::ReadMapped(std::uint32_t linear, std::span<std::uint8_t> out) const {
    if (linear < kTableLinearAddress || linear - kTableLinearAddress + out.size() > kBiosTableBytes) return false;
    const auto table = backend_->BiosTable();
    std::uint8_t bytes[kBiosTableBytes];
    for (std::size_t i = 0; i < 3; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(table[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(table[i] >> 8);
    }
    const std::size_t start = linear - kTableLinearAddress;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = bytes[start + i];
    return true;
}

}  // namespace lptlink

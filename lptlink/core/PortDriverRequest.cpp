#include "lptlink/core/PortDriverRequest.h"

namespace lptlink {

std::uint32_t PortDriverRequest::Word(std::size_t offset) const {
    if (offset + 4 > kSize) return 0;
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

void PortDriverRequest::SetWord(std::size_t offset, std::uint32_t value) {
    if (offset + 4 > kSize) return;
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace lptlink

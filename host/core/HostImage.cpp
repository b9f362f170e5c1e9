#include "host/core/HostImage.h"

#include "host/kx6500_host.h"

namespace kxdebug {

HostImage::Area HostImage::Find(std::uint32_t address) {
    switch (HOST_SPACE(address)) {
    case 0x00:
    case HOST_SPACE_CODE: return {code_.data(), codeWords_.data(), 0x10000};
    case HOST_SPACE_XDATA:
    case HOST_SPACE_XDATA_ALT: return {xdata_.data(), xdataWords_.data(), 0x10000};
    case HOST_SPACE_DATA: return {data_.data(), dataWords_.data(), 0x100};
    case HOST_SPACE_IDATA: return {idata_.data(), idataWords_.data(), 0x100};
    default: return {nullptr, nullptr, 0};
    }
}

std::uint8_t* HostImage::Byte(std::uint32_t address) {
    const Area a = Find(address);
    const std::uint32_t offset = HOST_OFFSET(address);
    return offset < a.size ? a.bytes + offset : nullptr;
}

std::uint16_t* HostImage::Attribute(std::uint32_t address) {
    const Area a = Find(address);
    const std::uint32_t offset = HOST_OFFSET(address);
    return offset < a.size ? a.words + offset : nullptr;
}

}  // namespace kxdebug

#pragma once
// The host's memory image with its attribute words, which the monitor driver uses as
// its cache: code and XDATA 0x0000 to 0xFFFF, internal data and indirect RAM 0x00 to
// 0xFF.

#include <array>
#include <cstdint>

namespace kxdebug {

class HostImage {
public:
    // Null for a space or offset the image does not cover.
    std::uint8_t* Byte(std::uint32_t address);
    std::uint16_t* Attribute(std::uint32_t address);

private:
    struct Area {
        std::uint8_t* bytes;
        std::uint16_t* words;
        std::uint32_t size;
    };
    Area Find(std::uint32_t address);

    std::array<std::uint8_t, 0x10000> code_{}, xdata_{};
    std::array<std::uint8_t, 0x100> data_{}, idata_{};
    std::array<std::uint16_t, 0x10000> codeWords_{}, xdataWords_{};
    std::array<std::uint16_t, 0x100> dataWords_{}, idataWords_{};
};

}  // namespace kxdebug

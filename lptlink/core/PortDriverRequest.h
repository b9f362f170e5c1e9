#pragma once
// The 48-byte block exchanged with the port driver as input and output of every
// request: little-endian 32-bit words.

#include <array>
#include <cstddef>
#include <cstdint>

namespace lptlink {

class PortDriverRequest {
public:
    static constexpr std::size_t kSize = 48;
    static constexpr std::size_t kPhysicalAddress = 8;
    static constexpr std::size_t kMapLength = 20;
    static constexpr std::size_t kLinearAddress = 24;
    static constexpr std::size_t kPort = 28;
    static constexpr std::size_t kData = 32;

    std::uint32_t Word(std::size_t offset) const;
    void SetWord(std::size_t offset, std::uint32_t value);
    void Clear() { bytes.fill(0); }

    std::array<std::uint8_t, kSize> bytes{};
};

// The three driver functions the library uses.
enum RequestNumber : std::uint32_t { kMapMemory = 26, kReadPort = 11, kWritePort = 12 };

// Device-control code of a request: the NT form (device type 0x8000, function
// 0x800 + n, buffered, any access) or the plain number of the older family.
constexpr std::uint32_t RequestCode(std::uint32_t number, bool olderFamily) {
    return olderFamily ? number : 0x80000000u | ((0x800u + number) << 2);
}

}  // namespace lptlink

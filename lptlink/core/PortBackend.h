#pragma once
// What stands behind the driver on this platform: port registers by I/O address and
// the BIOS table of LPT1 to LPT3 base addresses. Real ports (ppdev) and the virtual
// port implement it.

#include <array>
#include <cstdint>

namespace lptlink {

class PortBackend {
public:
    virtual ~PortBackend() = default;
    virtual std::uint8_t Read(std::uint16_t address) = 0;
    virtual void Write(std::uint16_t address, std::uint8_t value) = 0;
    virtual std::array<std::uint16_t, 3> BiosTable() const = 0;
};

}  // namespace lptlink

#pragma once
// The driver's side of the request protocol: decodes request blocks and carries them
// out on a port back end. The library only ever talks to it through request blocks.

#include <cstdint>
#include <memory>
#include <span>

#include "lptlink/core/PortBackend.h"
#include "lptlink/core/PortDriverRequest.h"

namespace lptlink {

class PortDriverDevice {
public:
    // The linear address the map request hands out for the BIOS table.
    static constexpr std::uint32_t kTableLinearAddress = 0x7FFE0408;

    PortDriverDevice(std::unique_ptr<PortBackend> backend, bool olderFamily)
        : backend_(std::move(backend)), olderFamily_(olderFamily) {}

    // False for an unknown request code or a map request of something else than the
    // BIOS table words.
    bool IoControl(std::uint32_t code, PortDriverRequest& block);
    // Reads mapped bytes at a linear address the map request returned.
    bool ReadMapped(std::uint32_t linear, std::span<std::uint8_t> out) const;

    PortBackend& Backend() { return *backend_; }

private:
    std::unique_ptr<PortBackend> backend_;
    bool olderFamily_;
};

}  // namespace lptlink

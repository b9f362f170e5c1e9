#pragma once
// Real parallel ports through the kernel's ppdev driver: /dev/parportN claimed for
// the process, base addresses from /proc/sys/dev/parport/parportN/base-addr.

#include <array>
#include <memory>
#include <string>

#include "lptlink/core/PortBackend.h"

namespace lptlink {

class PpdevBackend : public PortBackend {
public:
    // Opens and claims every parallel port device of LPT1 to LPT3 that exists; nothing
    // (and a reason) when one of them cannot be opened or claimed.
    static std::unique_ptr<PpdevBackend> Open(std::string& error);
    static bool MachineHasParallelPort();
    ~PpdevBackend() override;

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;
    std::array<std::uint16_t, 3> BiosTable() const override { return bases_; }

private:
    PpdevBackend() = default;
    int PortOf(std::uint16_t address) const;

    std::array<std::uint16_t, 3> bases_{};
    std::array<int, 3> fds_{-1, -1, -1};
};

}  // namespace lptlink

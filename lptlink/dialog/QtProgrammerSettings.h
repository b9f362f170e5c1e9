#pragma once
// The programmer's stored settings: QSettings("Norvane", "Parallel Port SPI Programmer")
// in the user's scope, keys at the top level.

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

class QtProgrammerSettings : public ProgrammerSettingsStore {
public:
    StoredProgrammerSettings Load() override;
    void StoreHexFile(const std::string& path) override;
    void StorePort(int index) override;
    void StoreClock(const std::array<std::uint8_t, 4>& bytes) override;
};

}  // namespace lptlink

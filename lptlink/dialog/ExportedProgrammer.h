#pragma once
// The programmer dialog's device through the library's own C interface: the
// transaction, the flash test, HEX files and the trace, as every other caller sees them.

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

class ExportedProgrammer : public ProgrammerDevice {
public:
    int PortCount() override;
    int PortBase(int index) override;
    unsigned Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action, int lockBits,
                         const Progress& progress, std::string* deviceName) override;
    unsigned FlashTest(int randomPatterns, int portBase, float clockHz, int spiRate, const Progress& progress) override;
    ImagePtr ReadHexFile(const std::string& path) override;
    bool WriteHexFile(Mem8051& mem, const std::string& path) override;
    void CloseTrace() override;
};

}  // namespace lptlink

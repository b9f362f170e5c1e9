#include "lptlink/dialog/ExportedProgrammer.h"

#include <atomic>
#include <cstdlib>

namespace lptlink {

namespace {

// The C callback carries no context: the progress of the one running action is kept
// here, which is why only one dialog can be open at a time.
std::atomic<const Progress*> runningProgress{nullptr};

extern "C" int ForwardProgress(const char* text, int percent) {
    const Progress* progress = runningProgress.load();
    return progress && *progress ? (*progress)(text, percent) : 1;
}

class ProgressScope {
public:
    explicit ProgressScope(const Progress& progress) { runningProgress = progress ? &progress : nullptr; }
    ~ProgressScope() { runningProgress = nullptr; }
    SpiProgressCallback Callback() const { return runningProgress.load() ? ForwardProgress : nullptr; }
};

}  // namespace

int ExportedProgrammer::PortCount() { return lptlinkGetNumParPorts(); }

int ExportedProgrammer::PortBase(int index) { return lptlinkGetParPortBaseAdr(index); }

unsigned ExportedProgrammer::Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action,
                                         int lockBits, const Progress& progress, std::string* deviceName) {
    const ProgressScope scope(progress);
    char* name = nullptr;
    const unsigned result = lptlinkKX6500SPItransaction(mem, portBase, clockHz, spiRate, action, lockBits,
                                                        scope.Callback(), deviceName ? &name : nullptr);
    if (deviceName && name) *deviceName = name;
    std::free(name);
    return result;
}

unsigned ExportedProgrammer::FlashTest(int randomPatterns, int portBase, float clockHz, int spiRate,
                                       const Progress& progress) {
    const ProgressScope scope(progress);
    return lptlinkKX6500PerformFlashTest(randomPatterns, portBase, clockHz, spiRate, scope.Callback(), nullptr);
}

ImagePtr ExportedProgrammer::ReadHexFile(const std::string& path) { return ImagePtr(lptlinkReadHexFile(path.c_str(), 7)); }

bool ExportedProgrammer::WriteHexFile(Mem8051& mem, const std::string& path) {
    return lptlinkWriteHexFile(&mem, path.c_str()) == 0;
}

void ExportedProgrammer::CloseTrace() { lptlinkCloseProgrammerTrace(); }

}  // namespace lptlink

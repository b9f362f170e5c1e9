#pragma once
// What the programmer dialog reaches outside itself: the device (SPI transaction, flash
// test, HEX files, trace), its stored settings, files on disk and the file chooser,
// messages to the person, the window that shows it, and the worker that runs an action
// off the window's thread. Each has a real side in lptlink/dialog and a test side.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "lptlink/core/SpiProgrammer.h"
#include "lptlink/lptlink.h"

namespace lptlink {

struct ImageDeleter {
    void operator()(Mem8051* mem) const;
};
// An image from malloc, released with Mem8051Destroy and free.
using ImagePtr = std::unique_ptr<Mem8051, ImageDeleter>;
// An empty image with page shift 7.
ImagePtr NewImage();

class ProgrammerDevice {
public:
    virtual ~ProgrammerDevice() = default;
    virtual int PortCount() = 0;
    // Selects the 1-based port and returns its base address.
    virtual int PortBase(int index) = 0;
    // An empty progress is no callback; deviceName may be null.
    virtual unsigned Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action, int lockBits,
                                 const Progress& progress, std::string* deviceName) = 0;
    virtual unsigned FlashTest(int randomPatterns, int portBase, float clockHz, int spiRate,
                               const Progress& progress) = 0;
    // Null after a message of its own.
    virtual ImagePtr ReadHexFile(const std::string& path) = 0;
    // False after a message of its own.
    virtual bool WriteHexFile(Mem8051& mem, const std::string& path) = 0;
    virtual void CloseTrace() = 0;
};

// The three stored values as the store found them: a value of the wrong type is
// reported missing; sizes are left to the dialog's rules.
struct StoredProgrammerSettings {
    bool keyExists = false;  // any of the three values is stored
    std::optional<std::string> hexFile;
    std::optional<std::int64_t> port;
    std::optional<std::vector<std::uint8_t>> clockBytes;
};

class ProgrammerSettingsStore {
public:
    virtual ~ProgrammerSettingsStore() = default;
    virtual StoredProgrammerSettings Load() = 0;
    // Failures are skipped silently.
    virtual void StoreHexFile(const std::string& path) = 0;
    virtual void StorePort(int index) = 0;
    virtual void StoreClock(const std::array<std::uint8_t, 4>& bytes) = 0;
};

class ProgrammerFiles {
public:
    virtual ~ProgrammerFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    virtual std::string FullPath(const std::string& path) = 0;
    virtual void ChangeDirectory(const std::string& folder) = 0;
    // The chooser for HEX files, starting at the edit's text; nothing when cancelled.
    virtual std::optional<std::string> Choose(bool save, const std::string& start) = 0;
};

// Boxes of the dialog: OK boxes and Yes/No questions of the message seam, plus the one
// question with OK and Cancel.
class DialogMessages : public tessary::MessageSink {
public:
    virtual bool AskOkCancel(const tessary::UserMessage& question) = 0;  // true: OK
};

enum class ProgrammerControl { FileEdit, Browse, PortList, ClockList, ActionButtons, LockOptions, GetFromDevice, DoIt, Exit };

class ProgrammerView {
public:
    virtual ~ProgrammerView() = default;
    // The model changed: show all of it.
    virtual void Refresh() = 0;
    // The status text and progress changed during a run: show them and repaint at once.
    virtual void ShowProgressNow() = 0;
    virtual void Focus(ProgrammerControl control) = 0;
    virtual void SelectText(ProgrammerControl control) = 0;
    // End the dialog with the model's result after delayMs.
    virtual void Close(int delayMs) = 0;
};

struct DeviceInfo {
    bool ok = false;
    bool readProtected = false;
    std::string lockStatus;
    std::string deviceId;
};

// What a finished run hands back to the window's thread.
struct RunOutcome {
    unsigned result = 0;
    std::string text;        // for the status line
    bool succeeded = false;  // the modal result of the run
    bool storeSettings = false;
    std::string file;
    int portIndex = 0;
    float clockMHz = 0;
    DeviceInfo info;
};

// How a worker reaches the window while it runs.
class WorkerChannel {
public:
    virtual ~WorkerChannel() = default;
    virtual void Progress(const std::string& text, int percent) = 0;
    // Boxes shown on the window's thread; the worker waits for the answer.
    virtual DialogMessages& Messages() = 0;
};

class ProgrammerRunner {
public:
    virtual ~ProgrammerRunner() = default;
    // Runs work off the window's thread, then done with its outcome on the window's thread.
    virtual void Start(std::function<RunOutcome(WorkerChannel&)> work, std::function<void(RunOutcome)> done) = 0;
};

}  // namespace lptlink

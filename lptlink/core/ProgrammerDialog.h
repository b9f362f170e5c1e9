#pragma once
// The KX6500 flash programmer dialog as a model: what its controls hold and which of
// them are enabled, and the opening, "Do It", device-query and end-of-run sequences.
// The window shows it and forwards clicks; each action runs on a worker, which touches
// nothing here but the abort request and the seams.

#include <atomic>
#include <string>
#include <vector>

#include "lptlink/core/ProgrammerRules.h"
#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

struct ProgrammerPresets {
    int action = 0;  // 2, 3, 4 or anything else (see ActionIndexForPreset)
    int lock = 0;
    std::string file;  // empty: no preset
    int portIndex = 0;  // 0: the stored port
    float clockMHz = 0;  // 0: the stored clock
    bool autoRun = false;  // clears every enable flag below
    bool fileEnable = true;
    bool actionEnable = true;
    bool readDeviceEnable = true;
    bool lockEnable = true;
    bool portEnable = true;
    bool clockEnable = true;
};

// The device query before and after every action: lock bits, then the signature. Its
// errors are shown through messages.
DeviceInfo QueryDevice(ProgrammerDevice& device, int portBase, float clockMHz, tessary::MessageSink& messages);

class ProgrammerDialog {
public:
    static constexpr int kSpiRate = 300000;
    static constexpr int kFlashTestPatterns = 16;
    static constexpr int kAutoRunCloseMs = 4000;

    struct Seams {
        ProgrammerDevice& device;
        ProgrammerSettingsStore& settings;
        ProgrammerFiles& files;
        DialogMessages& messages;  // on the window's thread
        ProgrammerView& view;
        ProgrammerRunner& runner;
    };

    // Unattended: nobody can answer a box, so an auto-run that stops before its worker
    // starts closes the dialog at once.
    ProgrammerDialog(const Seams& seams, const ProgrammerPresets& presets, bool unattended);

    // Fills the controls from the presets and the stored settings.
    void Open();
    // With auto-run, presses "Do It" (once the window is up).
    void StartAutoRun();

    // ---- what the controls hold ----
    const std::string& FileText() const { return file_; }
    void SetFileText(std::string text) { file_ = std::move(text); }
    const std::vector<std::string>& PortEntries() const { return ports_; }
    int PortSelection() const { return port_; }  // index into PortEntries
    void SelectPort(int index);
    const std::string& ClockEditText() const { return clockText_; }
    int ClockSelection() const { return clockEntry_; }  // index into ClockEntries, or -1
    void SetClockEditText(std::string text);
    void SelectClock(int index);
    int ActionSelection() const { return action_; }  // index into ActionButtons, or -1
    void ChooseAction(int index);
    const LockControls& Lock() const { return lock_; }
    void SetLock(const LockControls& lock) { lock_ = lock; }
    const std::string& DeviceId() const { return deviceId_; }
    const std::string& LockStatus() const { return lockStatus_; }
    const std::string& Status() const { return status_; }
    int ProgressPercent() const { return progress_; }
    bool Busy() const { return busy_; }
    bool Enabled(ProgrammerControl control) const;
    const char* ExitLabel() const { return busy_ ? "Abort" : "Exit"; }
    bool AutoRun() const { return autoRun_; }
    // The modal result: 1 when the last action run ended successfully, else 0.
    int Result() const { return result_; }

    // ---- the person's clicks ----
    void DoIt();
    void GetFromDevice();
    // "Exit", "Abort", the close button and Escape.
    void ExitOrAbort();
    void Browse();

    // ---- a running action, on the window's thread ----
    void ShowProgress(const std::string& text, int percent);
    void Completed(RunOutcome outcome);

private:
    struct RunJob {
        int action = 0;
        int lockBits = 0;
        int portIndex = 0;
        int portBase = 0;
        float clockMHz = 0;
        std::string file;
        ImagePtr image;
    };

    bool StartRun();
    bool ReadClock();
    bool ReadDeviceInformation(bool& readProtected);
    void Apply(const DeviceInfo& info);
    int PortIndex() const { return port_ + 1; }
    RunOutcome Work(RunJob& job, WorkerChannel& channel);

    ProgrammerDevice& device_;
    ProgrammerSettingsStore& settings_;
    ProgrammerFiles& files_;
    DialogMessages& messages_;
    ProgrammerView& view_;
    ProgrammerRunner& runner_;
    ProgrammerPresets presets_;
    const bool unattended_;

    bool autoRun_ = false;
    std::string file_;
    std::vector<std::string> ports_;
    int port_ = 0;
    std::string clockText_;
    int clockEntry_ = -1;
    float clockMHz_ = 0;
    int action_ = 0;
    LockControls lock_;
    std::string deviceId_ = "-";
    std::string lockStatus_ = "-";
    std::string status_;
    int progress_ = 0;
    bool busy_ = false;
    bool closing_ = false;  // an auto-run has ended: the dialog closes by itself
    int result_ = 0;
    // Written by the window's thread, consumed by the worker's progress callback.
    std::atomic<bool> abortRequested_{false};
};

}  // namespace lptlink

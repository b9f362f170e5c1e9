#include "lptlink/core/ProgrammerDialog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "lptlink/core/BootLoaderPatch.h"
#include "lptlink/core/ProgrammerTexts.h"

namespace lptlink {

namespace {

using tessary::MessageIcon;
using tessary::UserMessage;

enum class Box { ClockIncorrect, NoAction, FileNotFound, Overwrite, ReadLocked };

struct BoxRow {
    Box box;
    const char* text;
    const char* caption;
    MessageIcon icon;
};

constexpr BoxRow kBoxes[] = {
    {Box::ClockIncorrect,
     "The given device clock frequency is incorrect.\nThe clock frequency must be between 3 and 24 MHz.",
     "Input Error!", MessageIcon::Stop},
    {Box::NoAction, "No action is selected!", "Input Error!", MessageIcon::Stop},
    {Box::FileNotFound, "Unable to find the specified HEX-file.", "Input Error!", MessageIcon::Stop},
    {Box::Overwrite, "The specified HEX-file already exists.\n Are you sure you want to overwrite it?", "Input Error!",
     MessageIcon::Question},
    {Box::ReadLocked, "The device has read lock enabled.\nAttempt to perform action anyway?", "Error!",
     MessageIcon::Stop},
};

UserMessage BoxFor(Box box) {
    for (const auto& row : kBoxes)
        if (row.box == box) return {row.text, row.caption, row.icon};
    return {};
}

constexpr const char* kReady = "Ready.";
constexpr const char* kInfoObtained = "Device information successfully obtained!";
constexpr const char* kInfoFailed = "Unable to obtain device information!";
constexpr const char* kReadLockedAborted = "Aborted due to read-locked device.";
// A read whose HEX file could not be written has not done what was asked.
constexpr const char* kHexNotWritten = "Unable to write the specified HEX-file.";

float ClockHz(float mhz) { return static_cast<float>(static_cast<double>(mhz) * 1e6); }

}  // namespace

DeviceInfo QueryDevice(ProgrammerDevice& device, int portBase, float clockMHz, tessary::MessageSink& messages) {
    DeviceInfo info;
    auto failed = [&](unsigned result) {
        const std::string text = DeviceQueryErrorText(result);
        if (text.empty()) return false;
        messages.Show({text, "Device Error!", MessageIcon::Stop});
        return true;
    };
    const float hz = ClockHz(clockMHz);
    const unsigned lock = device.Transaction(nullptr, portBase, hz, ProgrammerDialog::kSpiRate,
                                             SPI_ACTION_READ_LOCK_BITS, 0, {}, nullptr);
    if (failed(lock)) return info;
    std::string name;
    const unsigned signature = device.Transaction(nullptr, portBase, hz, ProgrammerDialog::kSpiRate,
                                                  SPI_ACTION_READ_SIGNATURE, 0, {}, &name);
    if (failed(signature)) return info;
    char id[16];
    std::snprintf(id, sizeof id, "%02X: ", signature);
    info.ok = true;
    info.readProtected = (lock & 0x01) != 0;
    info.lockStatus = LockStatusText(static_cast<int>(lock));
    info.deviceId = id + name;
    return info;
}

ProgrammerDialog::ProgrammerDialog(const Seams& seams, const ProgrammerPresets& presets, bool unattended)
    : device_(seams.device),
      settings_(seams.settings),
      files_(seams.files),
      messages_(seams.messages),
      view_(seams.view),
      runner_(seams.runner),
      presets_(presets),
      unattended_(unattended) {
    if (presets_.autoRun) {
        presets_.fileEnable = presets_.actionEnable = presets_.readDeviceEnable = false;
        presets_.lockEnable = presets_.portEnable = presets_.clockEnable = false;
    }
}

void ProgrammerDialog::Open() {
    autoRun_ = presets_.autoRun;
    ports_.clear();
    const int portCount = std::max(1, device_.PortCount());
    for (int i = 1; i <= portCount; ++i) ports_.push_back("LPT" + std::to_string(i));

    action_ = ActionIndexForPreset(presets_.action);
    lock_ = LockControlsFor(presets_.lock);

    const StoredDefaults stored = ResolveStoredSettings(settings_.Load());
    file_.clear();
    if (!presets_.file.empty()) {
        if (files_.Exists(presets_.file)) {
            file_ = files_.FullPath(presets_.file);
            const std::string folder = std::filesystem::path(file_).parent_path().string();
            if (!folder.empty()) files_.ChangeDirectory(folder);
        }
    } else {
        file_ = stored.hexFile;
    }

    const int port = presets_.portIndex != 0 ? presets_.portIndex : stored.port;
    port_ = std::clamp(port, 1, portCount) - 1;

    clockMHz_ = ClampClock(presets_.clockMHz != 0 ? presets_.clockMHz : stored.clockMHz);
    clockEntry_ = ClockEntryFor(clockMHz_);
    clockText_ = ClockText(clockMHz_);

    status_ = kReady;
    progress_ = 0;
    deviceId_ = lockStatus_ = "-";

    view_.Refresh();
    if (!file_.empty()) {
        view_.Focus(ProgrammerControl::DoIt);
    } else {
        view_.Focus(ProgrammerControl::FileEdit);
        if (autoRun_ && unattended_) view_.Close(0);
        autoRun_ = false;
    }
}

void ProgrammerDialog::StartAutoRun() {
    if (autoRun_) DoIt();
}

void ProgrammerDialog::SelectPort(int index) {
    if (index >= 0 && index < static_cast<int>(ports_.size())) port_ = index;
}

void ProgrammerDialog::SetClockEditText(std::string text) {
    clockText_ = std::move(text);
    clockEntry_ = -1;
    for (std::size_t i = 0; i < ClockEntries().size(); ++i)
        if (ClockText(ClockEntries()[i]) == clockText_) clockEntry_ = static_cast<int>(i);
}

void ProgrammerDialog::SelectClock(int index) {
    if (index < 0 || index >= static_cast<int>(ClockEntries().size())) return;
    clockEntry_ = index;
    clockText_ = ClockText(ClockEntries()[static_cast<std::size_t>(index)]);
}

void ProgrammerDialog::ChooseAction(int index) {
    if (index >= -1 && index < static_cast<int>(ActionButtons().size())) action_ = index;
}

bool ProgrammerDialog::Enabled(ProgrammerControl control) const {
    using C = ProgrammerControl;
    if (closing_ && (control == C::DoIt || control == C::Exit)) return false;
    if (busy_) return control == C::Exit;
    const ActionButton* action = action_ >= 0 ? &ActionButtons()[static_cast<std::size_t>(action_)] : nullptr;
    switch (control) {
        case C::FileEdit:
        case C::Browse: return presets_.fileEnable && (!action || action->fileControls);
        case C::PortList: return presets_.portEnable;
        case C::ClockList: return presets_.clockEnable;
        case C::ActionButtons: return presets_.actionEnable;
        case C::LockOptions: return presets_.lockEnable && (!action || action->lockOptions);
        case C::GetFromDevice: return presets_.readDeviceEnable;
        case C::DoIt:
        case C::Exit: return true;
    }
    return false;
}

bool ProgrammerDialog::ReadClock() {
    const std::optional<double> value = ReadLeadingNumber(clockText_);
    if (!value || !(*value >= kMinClockMHz && *value <= kMaxClockMHz)) {
        messages_.Show(BoxFor(Box::ClockIncorrect));
        view_.SelectText(ProgrammerControl::ClockList);
        return false;
    }
    clockMHz_ = static_cast<float>(*value);
    clockEntry_ = ClockEntryFor(clockMHz_);
    clockText_ = ClockText(clockMHz_);
    return true;
}

void ProgrammerDialog::Apply(const DeviceInfo& info) {
    if (info.ok) {
        lockStatus_ = info.lockStatus;
        deviceId_ = info.deviceId;
    }
    status_ = info.ok ? kInfoObtained : kInfoFailed;
}

bool ProgrammerDialog::ReadDeviceInformation(bool& readProtected) {
    if (!ReadClock()) return false;
    busy_ = true;
    const DeviceInfo info = QueryDevice(device_, device_.PortBase(PortIndex()), clockMHz_, messages_);
    busy_ = false;
    Apply(info);
    readProtected = info.readProtected;
    return info.ok;
}

void ProgrammerDialog::GetFromDevice() {
    if (busy_) return;
    bool readProtected = false;
    ReadDeviceInformation(readProtected);
    view_.Refresh();
}

void ProgrammerDialog::DoIt() {
    if (busy_ || closing_) return;
    const bool started = StartRun();
    if (!started && autoRun_ && unattended_) view_.Close(0);
    view_.Refresh();
}

bool ProgrammerDialog::StartRun() {
    if (!ReadClock()) return false;
    if (action_ < 0) {
        messages_.Show(BoxFor(Box::NoAction));
        return false;
    }
    auto job = std::make_shared<RunJob>();
    job->action = ActionButtons()[static_cast<std::size_t>(action_)].code;
    job->clockMHz = clockMHz_;
    job->portIndex = PortIndex();
    if (job->action == SPI_ACTION_READ) {
        job->file = file_;
        if (files_.Exists(job->file) && !messages_.AskOkCancel(BoxFor(Box::Overwrite))) return false;
        job->image = NewImage();
        if (!job->image) return false;
    } else if (job->action != kActionFlashTest) {
        job->file = file_;
        if (!files_.Exists(job->file)) {
            messages_.Show(BoxFor(Box::FileNotFound));
            view_.SelectText(ProgrammerControl::FileEdit);
            return false;
        }
        job->image = device_.ReadHexFile(job->file);
        if (!job->image) return false;
        BootLoaderPatch(*job->image, static_cast<double>(clockMHz_));
    }
    job->lockBits = LockBitsOf(lock_);

    bool readProtected = false;
    if (!ReadDeviceInformation(readProtected)) return false;
    if (readProtected && (job->action == SPI_ACTION_READ || job->action == SPI_ACTION_VERIFY) &&
        !messages_.Ask(BoxFor(Box::ReadLocked))) {
        status_ = kReadLockedAborted;
        progress_ = 100;
        return false;
    }
    job->portBase = device_.PortBase(job->portIndex);

    busy_ = true;
    abortRequested_ = false;
    view_.Refresh();
    view_.Focus(ProgrammerControl::Exit);
    runner_.Start([this, job](WorkerChannel& channel) { return Work(*job, channel); },
                  [this](RunOutcome outcome) { Completed(std::move(outcome)); });
    return true;
}

RunOutcome ProgrammerDialog::Work(RunJob& job, WorkerChannel& channel) {
    // Runs on the worker: only the job, the device, the channel and the abort request.
    const Progress progress = [&](const char* text, int percent) {
        channel.Progress(text, percent);
        return abortRequested_.exchange(false) ? 0 : 1;
    };
    const bool flashTest = job.action == kActionFlashTest;
    const float hz = ClockHz(job.clockMHz);
    RunOutcome out;
    out.result = flashTest ? device_.FlashTest(kFlashTestPatterns, job.portBase, hz, kSpiRate, progress)
                           : device_.Transaction(job.image.get(), job.portBase, hz, kSpiRate, job.action, job.lockBits,
                                                 progress, nullptr);
    out.text = ActionResultText(out.result, flashTest);
    out.succeeded = out.result == SPI_RESULT_OK;
    if (out.succeeded && job.action == SPI_ACTION_READ && !device_.WriteHexFile(*job.image, job.file)) {
        out.succeeded = false;
        out.text = kHexNotWritten;
    }
    if (out.succeeded && !flashTest) {
        out.storeSettings = true;
        out.file = job.file;
        out.portIndex = job.portIndex;
        out.clockMHz = job.clockMHz;
    }
    if (out.result != SPI_RESULT_OK && out.result != SPI_RESULT_ABORTED)
        channel.Messages().Show({out.text, "Error!", MessageIcon::Stop});
    out.info = QueryDevice(device_, job.portBase, job.clockMHz, channel.Messages());
    device_.CloseTrace();
    job.image.reset();
    job.file.clear();
    return out;
}

void ProgrammerDialog::ShowProgress(const std::string& text, int percent) {
    status_ = text;
    progress_ = percent;
    view_.ShowProgressNow();
}

void ProgrammerDialog::Completed(RunOutcome outcome) {
    if (outcome.storeSettings) {
        if (!outcome.file.empty()) settings_.StoreHexFile(outcome.file);
        if (outcome.portIndex != 0) settings_.StorePort(outcome.portIndex);
        if (outcome.clockMHz != 0) settings_.StoreClock(ClockBytes(outcome.clockMHz));
    }
    Apply(outcome.info);
    status_ = outcome.text;
    progress_ = 0;
    busy_ = false;
    result_ = outcome.succeeded ? 1 : 0;
    if (autoRun_) {
        closing_ = true;
        view_.Close(kAutoRunCloseMs);
    }
    view_.Refresh();
    view_.Focus(ProgrammerControl::DoIt);  // once it is enabled again
}

void ProgrammerDialog::ExitOrAbort() {
    if (busy_) {
        abortRequested_ = true;
        return;
    }
    if (Enabled(ProgrammerControl::Exit)) view_.Close(0);
}

void ProgrammerDialog::Browse() {
    if (busy_) return;
    const std::string folder = std::filesystem::path(file_).parent_path().string();
    if (!folder.empty() && files_.Exists(folder)) files_.ChangeDirectory(folder);
    const bool save = action_ >= 0 && ActionButtons()[static_cast<std::size_t>(action_)].code == SPI_ACTION_READ;
    if (const auto chosen = files_.Choose(save, file_)) file_ = *chosen;
    view_.Refresh();
}

void ImageDeleter::operator()(Mem8051* mem) const {
    if (!mem) return;
    Mem8051Destroy(mem);
    std::free(mem);
}

ImagePtr NewImage() {
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    if (!mem) return nullptr;
    Mem8051Init(mem, 7);
    return ImagePtr(mem);
}

}  // namespace lptlink

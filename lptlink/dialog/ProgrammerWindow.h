#pragma once
// The "Norvane KX6500 Flash Programmer" window: shows the ProgrammerDialog model,
// forwards the person's clicks to it and runs each action on a std::thread of its own.
// The worker's reports arrive through a WorkerBridge; an eventfd wakes this window's
// thread, which alone touches the widgets.

#include <QDialog>
#include <array>
#include <functional>
#include <thread>

#include "lptlink/core/ProgrammerDialog.h"
#include "lptlink/core/WorkerBridge.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSocketNotifier;

namespace lptlink {

class ProgrammerWindow : public QDialog, private ProgrammerView, private ProgrammerRunner {
    Q_OBJECT

public:
    struct Seams {
        ProgrammerDevice& device;
        ProgrammerSettingsStore& settings;
        ProgrammerFiles& files;
        DialogMessages& messages;
    };
    ProgrammerWindow(const Seams& seams, const ProgrammerPresets& presets, bool unattended, QWidget* parent = nullptr);
    ~ProgrammerWindow() override;

    // Fills the window; with auto-run "Do It" is pressed once the event loop runs.
    void Open();
    // Open, then modal until the dialog ends; the model's result.
    int Run();
    ProgrammerDialog& Model() { return model_; }

protected:
    // Escape and the close button act as "Exit", which reads "Abort" while busy.
    void reject() override;

private:
    void Refresh() override;
    void ShowProgressNow() override;
    void Focus(ProgrammerControl control) override;
    void SelectText(ProgrammerControl control) override;
    void Close(int delayMs) override;
    void Start(std::function<RunOutcome(WorkerChannel&)> work, std::function<void(RunOutcome)> done) override;

    void Build();
    void Connect();
    void Drain();
    void Wake();
    QWidget* Widget(ProgrammerControl control) const;

    int wakeFd_ = -1;
    WorkerBridge bridge_;
    DialogMessages& messages_;
    RoutedMessages libraryMessages_;
    tessary::MessageSink* previousLibraryMessages_ = nullptr;
    ProgrammerDialog model_;
    std::thread worker_;
    std::function<void(RunOutcome)> done_;
    QSocketNotifier* wakeNotifier_ = nullptr;
    bool draining_ = false;

    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    QComboBox* ports_ = nullptr;
    QComboBox* clock_ = nullptr;
    QGroupBox* actionGroup_ = nullptr;
    std::array<QRadioButton*, 5> actions_{};
    QGroupBox* lockGroup_ = nullptr;
    QCheckBox* bootBlock_ = nullptr;
    QCheckBox* readProtect_ = nullptr;
    QComboBox* writeProtection_ = nullptr;
    QLineEdit* deviceId_ = nullptr;
    QPlainTextEdit* lockStatus_ = nullptr;
    QPushButton* getFromDevice_ = nullptr;
    QPushButton* doIt_ = nullptr;
    QPushButton* exit_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace lptlink

#pragma once
// "Programming the Demostration Board": the window of DemoBoardProgrammer. Board
// operations run on a worker thread; their progress and status lines arrive by queued
// signals, their messages are shown on the window's thread while the worker waits.
// While one runs, the controls, Escape and closing are inert and the port is claimed.

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "studio/app/QtSeams.h"
#include "studio/board/DemoBoardProgrammer.h"
#include "studio/board/PortClaim.h"

namespace tessary {

class CDemoProgDlg : public QDialog, private DemoProgressObserver {
    Q_OBJECT
public:
    CDemoProgDlg(int deviceNumber, CParallelPort& port, BusTiming& timing, MessageSink& messages, FileChooser& files,
                 QWidget* parent = nullptr);
    ~CDemoProgDlg() override;

    bool Busy() const { return worker_.joinable(); }
    // Read only while no operation runs.
    const DemoBoardProgrammer& Model() const { return *model_; }
    QPushButton* Button(const char* name) const;
    QRadioButton* Radio(const char* name) const;
    QLabel* StatusLine(DemoGroup group) const { return group == DemoGroup::Eeprom ? eepromStatus_ : flashStatus_; }
    QProgressBar* ProgressBar(DemoGroup group) const { return group == DemoGroup::Eeprom ? eepromBar_ : flashBar_; }

signals:
    void rangeChanged(int group, int maximum);
    void progressChanged(int group, int value);
    void statusChanged(int group, const QString& text);
    void operationEnded();

public:
    // Escape and the close button: inert while an operation runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // DemoProgressObserver, on the worker's thread.
    void ProgressRange(DemoGroup group, int maximum) override { emit rangeChanged(static_cast<int>(group), maximum); }
    void Progress(DemoGroup group, int value) override { emit progressChanged(static_cast<int>(group), value); }
    void StatusLine(DemoGroup group, const std::string& text) override {
        emit statusChanged(static_cast<int>(group), Q(text));
    }

    void Build();
    void Refresh();
    void RunOnWorker(std::function<DemoOutcome()> operation);
    void EndOperation();
    QProgressBar* Bar(int group) const { return group == 0 ? eepromBar_ : flashBar_; }

    // Messages from the worker wait for the window's thread.
    class WindowThreadMessages : public MessageSink {
    public:
        WindowThreadMessages(QObject& window, MessageSink& target) : window_(window), target_(target) {}
        void Show(const UserMessage& message) override;
        bool Ask(const UserMessage& question) override;

    private:
        QObject& window_;
        MessageSink& target_;
    };

    FileChooser& files_;
    WindowThreadMessages messages_;
    std::unique_ptr<DemoBoardProgrammer> model_;
    std::thread worker_;
    std::optional<PortClaim> claim_;
    QLabel* eepromStatus_ = nullptr;
    QLabel* flashStatus_ = nullptr;
    QProgressBar* eepromBar_ = nullptr;
    QProgressBar* flashBar_ = nullptr;
};

}  // namespace tessary

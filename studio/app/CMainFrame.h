#pragma once
// The main window: menus, tool bar, status bar, the status information bar, the view
// area with the configuration forms, and the half-second timer that shows the
// current consumption and the lock state.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "common/MessageSink.h"
#include "studio/app/CTessaryDoc.h"
#include "studio/app/FormWindow.h"
#include "studio/app/RegisterViewWindow.h"
#include "studio/app/StudioForms.h"
#include "studio/board/CRegisterBus.h"

namespace tessary {

class CMainFrame : public QMainWindow, public DeviceSelectionHost {
    Q_OBJECT
public:
    enum class Mode { Normal = 132, Register = 133 };
    static constexpr int kWidth = 685, kHeight = 635;

    // One live form of the studio and its entry.
    struct LiveForm {
        const StudioFormEntry* entry;
        ConfigurationForm* form;
    };
    CMainFrame(CTessaryDoc& doc, const std::vector<LiveForm>& forms, MessageSink& messages, FileChooser& files,
               bool virtualPort);

    // DeviceSelectionHost
    void ShowConfigurationView(DeviceKind device) override;
    void SetDocumentTitle(std::string_view title) override;

    static bool FormAvailable(DeviceKind device) { return FindStudioForm(device) != nullptr; }
    // The device selected last; nothing while the empty view is shown.
    std::optional<DeviceKind> ActiveDevice() const { return activeDevice_; }
    Mode ViewMode() const { return mode_; }
    // The register view's window (F3); RegisterWindow() when it is a table-driven one.
    RegisterPane* RegisterView() const { return registerView_; }
    RegisterViewWindow* RegisterWindow() const { return qobject_cast<RegisterViewWindow*>(registerView_); }
    // F3 and F2.
    void ShowRegisterView();
    void ShowConfigurationForm();
    // The window of the form that serves the device; nullptr when there is none.
    FormWindow* Window(DeviceKind device) const;
    // The active configuration form and its window; nullptr on the empty view.
    ConfigurationForm* ActiveForm() const { return active_ ? active_->form : nullptr; }
    FormWindow* ActiveWindow() const { return active_ ? active_->window : nullptr; }
    QLineEdit* CurrentField() const { return current_; }
    QLineEdit* LockField() const { return lock_; }
    QAction* Action(const QString& name) const;
    QTimer& Timer() { return timer_; }
    void OnTimer();
    void OpenDeviceDialog();
    // "&Programming": the modal demonstration-board programmer.
    void OpenDemoBoardProgrammer();
    void RefreshTitle();
    // "NAME - Tessary Studio 4.00", and the virtual-port note.
    static QString FrameTitle(const std::string& documentTitle, bool virtualPort);
    // The recent-file entries of the File menu, first to last.
    const std::vector<QAction*>& RecentFileActions() const { return recent_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusInformation();
    QAction* AddAction(QMenu* menu, const QString& name, const QString& caption, const QString& status,
                       const QKeySequence& key = {});
    void UpdateCommandStates();
    void UpdateDevice();
    void Print(bool registers);
    void RefreshRecentFiles();
    void SaveRegisterFile();
    void LoadRegisterFile();

    struct FormSlot {
        const StudioFormEntry* entry;
        ConfigurationForm* form;
        FormWindow* window;
    };

    CTessaryDoc& doc_;
    MessageSink& messages_;
    FileChooser& files_;
    CRegisterBus bus_;
    QStackedWidget* stack_ = nullptr;
    QWidget* configView_ = nullptr;
    std::vector<FormSlot> forms_;
    const FormSlot* active_ = nullptr;  // nullptr: the empty view
    std::optional<DeviceKind> activeDevice_;
    Mode mode_ = Mode::Normal;
    RegisterPane* registerView_ = nullptr;
    QLineEdit* current_ = nullptr;
    QLineEdit* lock_ = nullptr;
    QTimer timer_;
    std::map<QString, QAction*> actions_;
    std::vector<QAction*> recent_;
    bool virtualPort_;
};

}  // namespace tessary

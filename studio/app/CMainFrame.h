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

#include "common/MessageSink.h"
#include "studio/app/CTessaryDoc.h"
#include "studio/app/ConfigFormWindow.h"
#include "studio/app/RegisterViewWindow.h"
#include "studio/board/CRegisterBus.h"
#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/CConfigViewKX6500.h"

namespace tessary {

class CMainFrame : public QMainWindow, public DeviceSelectionHost {
    Q_OBJECT
public:
    enum class View { ConfigView, KX6200, KX6500 };
    enum class Mode { Normal = 132, Register = 133 };
    static constexpr int kWidth = 685, kHeight = 635;

    CMainFrame(CTessaryDoc& doc, CConfigViewKX6200& kx6200, CConfigViewKX6500& kx6500, MessageSink& messages,
               FileChooser& files, bool virtualPort);

    // DeviceSelectionHost
    void ShowConfigurationView(DeviceKind device) override;
    void SetDocumentTitle(std::string_view title) override;

    static bool FormAvailable(DeviceKind device) {
        return device == DeviceKind::KX6200 || device == DeviceKind::KX6500;
    }
    View ActiveView() const { return active_; }
    Mode ViewMode() const { return mode_; }
    RegisterViewWindow* RegisterWindow() const { return registerView_; }
    // F3 and F2.
    void ShowRegisterView();
    void ShowConfigurationForm();
    ConfigFormWindow* KX6200Window() const { return kx6200Window_; }
    ConfigFormWindow* KX6500Window() const { return kx6500Window_; }
    // The active configuration form and its window; nullptr on the empty view.
    SharedBlockForm* ActiveForm() const;
    ConfigFormWindow* ActiveWindow() const;
    QLineEdit* CurrentField() const { return current_; }
    QLineEdit* LockField() const { return lock_; }
    QAction* Action(const QString& name) const;
    QTimer& Timer() { return timer_; }
    void OnTimer();
    void OpenDeviceDialog();
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

    CTessaryDoc& doc_;
    CConfigViewKX6200& kx6200_;
    CConfigViewKX6500& kx6500_;
    MessageSink& messages_;
    FileChooser& files_;
    CRegisterBus bus_;
    QStackedWidget* stack_ = nullptr;
    QWidget* configView_ = nullptr;
    ConfigFormWindow* kx6200Window_ = nullptr;
    ConfigFormWindow* kx6500Window_ = nullptr;
    View active_ = View::ConfigView;
    Mode mode_ = Mode::Normal;
    RegisterViewWindow* registerView_ = nullptr;
    QLineEdit* current_ = nullptr;
    QLineEdit* lock_ = nullptr;
    QTimer timer_;
    std::map<QString, QAction*> actions_;
    std::vector<QAction*> recent_;
    bool virtualPort_;
};

}  // namespace tessary

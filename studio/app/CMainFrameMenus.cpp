// The main frame's menus, tool bar and command states.

#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "studio/app/CDemoProgDlg.h"
#include "studio/app/CMainFrame.h"
#include "studio/app/Dialogs.h"

namespace tessary {

QAction* CMainFrame::AddAction(QMenu* menu, const QString& name, const QString& caption, const QString& status,
                               const QKeySequence& key) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    // On the tool bar the caption shows without its accelerator hint.
    action->setIconText(QString(caption).section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    // The part of a status text after its line break is the tool tip.
    const auto parts = status.split(QLatin1Char('\n'));
    action->setStatusTip(parts.value(0));
    if (parts.size() > 1) action->setToolTip(parts.value(1));
    if (!key.isEmpty()) action->setShortcut(key);
    actions_[name] = action;
    return action;
}

QAction* CMainFrame::Action(const QString& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(AddAction(file, "new", "&New", "Create a new document", QKeySequence(QStringLiteral("Ctrl+N"))),
            &QAction::triggered, this, [this] { doc_.OnNew(); RefreshTitle(); });
    connect(AddAction(file, "open", "&Open...", "Open an existing document", QKeySequence(QStringLiteral("Ctrl+O"))),
            &QAction::triggered, this, [this] { doc_.OnOpen(); RefreshTitle(); RefreshRecentFiles(); });
    connect(AddAction(file, "save", "&Save", "Save the active document", QKeySequence(QStringLiteral("Ctrl+S"))),
            &QAction::triggered, this, [this] { doc_.OnSave(); RefreshTitle(); RefreshRecentFiles(); });
    connect(AddAction(file, "saveAs", "Save &As...", "Save the active document with a new name"), &QAction::triggered,
            this, [this] { doc_.OnSaveAs(); RefreshTitle(); RefreshRecentFiles(); });
    file->addSeparator();
    connect(AddAction(file, "printSettings", "Print s&ettings to file", "Save the current settings to a text file"),
            &QAction::triggered, this, [this] { Print(false); });
    connect(AddAction(file, "printRegisters", "Print re&gisters to file",
                      "Save the current registers (all modes in Normal View)  to file"),
            &QAction::triggered, this, [this] {
                if (mode_ == Mode::Register) SaveRegisterFile();
                else Print(true);
            });
    connect(AddAction(file, "loadRegisters", "&Load register from file",
                      "Load a Print register to file generated in Register View (*.eep)"),
            &QAction::triggered, this, &CMainFrame::LoadRegisterFile);
    connect(AddAction(file, "resetSettings", "&Reset settings",
                      "Reset the system parameters to default values and update device\nReset settings"),
            &QAction::triggered, this, [this] {
                if (FormWindow* w = ActiveWindow()) w->RunOperation([w] { w->Form().OnResetSettings(); });
            });
    file->addSeparator();
    for (int i = 0; i < 3; ++i) {
        auto* recent = file->addAction(QString());
        recent->setVisible(false);
        connect(recent, &QAction::triggered, this, [this, recent] {
            doc_.Open(recent->data().toString().toStdString());
            RefreshTitle();
            RefreshRecentFiles();
        });
        recent_.push_back(recent);
    }
    file->addSeparator();
    connect(AddAction(file, "exit", "E&xit", "Quit the application"), &QAction::triggered, this, &QWidget::close);
    connect(file, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); RefreshRecentFiles(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    AddAction(view, "normal", "&Normal\tF2", "Show configuration data", QKeySequence(Qt::Key_F2));
    AddAction(view, "register", "&Register\tF3", "Show configuration registers", QKeySequence(Qt::Key_F3));
    Action("normal")->setCheckable(true);
    Action("normal")->setChecked(true);
    Action("register")->setCheckable(true);
    connect(Action("normal"), &QAction::triggered, this, &CMainFrame::ShowConfigurationForm);
    connect(Action("register"), &QAction::triggered, this, &CMainFrame::ShowRegisterView);
    QToolBar* tools = addToolBar(QStringLiteral("Toolbar"));
    tools->setObjectName(QStringLiteral("Toolbar"));
    auto* toolbarToggle = tools->toggleViewAction();
    toolbarToggle->setText(QStringLiteral("&Toolbar"));
    toolbarToggle->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    view->addAction(toolbarToggle);
    auto* statusToggle = AddAction(view, "statusBar", "&Status Bar", "Show or hide the status bar");
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);
    connect(statusToggle, &QAction::toggled, statusBar(), &QWidget::setVisible);

    QMenu* config = menuBar()->addMenu(QStringLiteral("&Configuration"));
    connect(AddAction(config, "update", "Update Device\tF5", "Update configuration to the Tessary chip\nUpdate (F5)",
                      QKeySequence(Qt::Key_F5)),
            &QAction::triggered, this, &CMainFrame::UpdateDevice);
    connect(AddAction(config, "selectPort", "Select &Port...", "Select the parallellport to connect to the EB"),
            &QAction::triggered, this, [this] {
                PortDialog dialog(doc_.PortDialog(), doc_.Document().registers, this);
                dialog.Prepare();
                dialog.exec();
            });
    connect(AddAction(config, "selectDevice", "Select &Device", "Select device to work with"), &QAction::triggered,
            this, &CMainFrame::OpenDeviceDialog);

    QMenu* toolsMenu = menuBar()->addMenu(QStringLiteral("&Tools"));
    connect(AddAction(toolsMenu, "programming", "&Programming", "Programming the Demostration Board for KX400 and KX900"),
            &QAction::triggered, this, &CMainFrame::OpenDemoBoardProgrammer);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(AddAction(help, "helpTopics", "&Help Topics", "Displays additional help\nHelp topics"),
            &QAction::triggered, this, [this] {
                messages_.Show({"Help is available by clicking on the info buttons.\nYou may also consult the manual "
                                "that accompanied the Tessary Development Kit",
                                "Help Topics", MessageIcon::Information});
            });
    connect(AddAction(help, "about", "&About Tessary Studio", "Display program information"), &QAction::triggered,
            this, [this] {
                messages_.Show({"Tessary Studio Version 4.00\n\nConfiguration, evaluation and programming software "
                                "for the Tessary Development Kit.",
                                "About Tessary Studio", MessageIcon::Information});
            });
    connect(AddAction(help, "contact", "&Contact Norvane", "Display information about how to contact Norvane"),
            &QAction::triggered, this, [this] {
                messages_.Show({"Norvane\nTessary Development Kit support\n\nFor questions about the kit, its "
                                "software and the transceivers, contact your Norvane distributor or the Norvane "
                                "application support team.",
                                "Contact Norvane", MessageIcon::Information});
            });

    for (const char* name : {"new", "open", "save", "update"}) tools->addAction(Action(name));
    UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates() {
    const bool normal = mode_ == Mode::Normal;
    const bool form = ActiveForm() != nullptr;
    const bool applied = doc_.Document().settingsApplied;
    const bool filesWait = form && active_->entry->fileCommandsNeedAppliedSettings && !applied;
    for (const char* name : {"new", "open", "selectDevice"}) Action(name)->setEnabled(normal);
    Action("saveAs")->setEnabled(normal && !filesWait);
    Action("save")->setEnabled(normal && applied);
    const bool registerView = form && HasRegisterView(*active_->entry);
    Action("printSettings")->setEnabled(normal && form && active_->entry->printSettings && !filesWait);
    Action("resetSettings")->setEnabled(normal && form);
    Action("printRegisters")->setEnabled(normal ? form && active_->entry->printRegisters && !filesWait : registerView);
    Action("update")->setEnabled(form);
    Action("loadRegisters")->setEnabled(!normal);
    Action("register")->setEnabled(registerView);
    Action("normal")->setEnabled(form);
    Action("normal")->setChecked(normal);
    Action("register")->setChecked(!normal);
}

void CMainFrame::OpenDemoBoardProgrammer() {
    // The dialog and its buffers live only while it is open.
    CDemoProgDlg dialog(static_cast<int>(doc_.Document().config.kx400.deviceNumber), ApplicationPort(),
                        ApplicationTiming(), messages_, files_, this);
    dialog.exec();
}

}  // namespace tessary

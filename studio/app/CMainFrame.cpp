#include "studio/app/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include "lptlink/lptlink.h"
#include "studio/app/Dialogs.h"
#include "studio/board/LockPoll.h"
#include "studio/config/ParseReal.h"
#include "studio/reports/ReportsKX6200.h"
#include "studio/reports/ReportsKX6500.h"
#include "common/FileIo.h"
#include "studio/reports/ReportFile.h"

namespace tessary {

CMainFrame::CMainFrame(CTessaryDoc& doc, CConfigViewKX6200& kx6200, CConfigViewKX6500& kx6500, MessageSink& messages,
                       FileChooser& files, bool virtualPort)
    : doc_(doc), kx6200_(kx6200), kx6500_(kx6500), messages_(messages), files_(files), virtualPort_(virtualPort) {
    setObjectName(QStringLiteral("MainFrame"));
    resize(kWidth, kHeight);
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    stack_ = new QStackedWidget(central);
    configView_ = new QLabel(QStringLiteral("Choose the device to evaluate with Configuration > Select Device."),
                             stack_);
    configView_->setObjectName(QStringLiteral("CConfigView"));
    static_cast<QLabel*>(configView_)->setAlignment(Qt::AlignCenter);
    stack_->addWidget(configView_);
    kx6200Window_ = new ConfigFormWindow(kx6200_, false, stack_);
    stack_->addWidget(kx6200Window_);
    kx6500Window_ = new ConfigFormWindow(kx6500_, true, stack_);
    stack_->addWidget(kx6500Window_);

    stack_->setCurrentWidget(configView_);
    // Like a form view, the form scrolls when the window is smaller than the form.
    auto* scroll = new QScrollArea(central);
    scroll->setWidget(stack_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll, 1);
    setCentralWidget(central);
    BuildStatusInformation();
    layout->addWidget(findChild<QGroupBox*>(QStringLiteral("StatusInformation")));
    BuildMenus();
    // Every trigger of a form may set the settings-applied flag that "&Save" follows.
    for (ConfigFormWindow* w : {kx6200Window_, kx6500Window_})
        connect(w, &ConfigFormWindow::Changed, this, &CMainFrame::UpdateCommandStates);

    statusBar()->showMessage(QStringLiteral("Ready"));
    if (virtualPort_) {
        auto* note = new QLabel(QStringLiteral("Virtual parallel port: no hardware attached"), this);
        note->setObjectName(QStringLiteral("VirtualPortNote"));
        statusBar()->addPermanentWidget(note);
    }
    connect(&timer_, &QTimer::timeout, this, &CMainFrame::OnTimer);
    timer_.start(500);
    RefreshTitle();
}

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
                if (ConfigFormWindow* w = ActiveWindow()) w->Run([w] { w->Model().OnResetSettings(); });
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
    AddAction(toolsMenu, "programming", "&Programming", "Programming the Demostration Board for KX400 and KX900")
        ->setEnabled(false);

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

void CMainFrame::BuildStatusInformation() {
    auto* group = new QGroupBox(QStringLiteral("Status information"), this);
    group->setObjectName(QStringLiteral("StatusInformation"));
    auto* row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("Typical current consumption"), group));
    current_ = new QLineEdit(QStringLiteral("00"), group);
    current_->setObjectName(QStringLiteral("CurrentConsumption"));
    current_->setReadOnly(true);
    current_->setToolTip(QStringLiteral("Typical current consumption calculated from system parameter settings"));
    row->addWidget(current_);
    row->addWidget(new QLabel(QStringLiteral("mA"), group));
    row->addWidget(new QLabel(QStringLiteral("Lock indicator"), group));
    lock_ = new QLineEdit(QStringLiteral("N/A"), group);
    lock_->setObjectName(QStringLiteral("LockIndicator"));
    lock_->setReadOnly(true);
    lock_->setToolTip(QStringLiteral("Status of the PLL LOCK at the development test board"));
    row->addWidget(lock_);
    auto* update = new QPushButton(QStringLiteral("Update device"), group);
    update->setObjectName(QStringLiteral("UpdateDeviceButton"));
    update->setToolTip(QStringLiteral("Download the current setting to the tranceiver"));
    update->setAutoDefault(false);
    connect(update, &QPushButton::clicked, this, &CMainFrame::UpdateDevice);
    row->addWidget(update);
}

void CMainFrame::UpdateCommandStates() {
    const bool normal = mode_ == Mode::Normal;
    for (const char* name : {"new", "open", "saveAs", "selectDevice"}) Action(name)->setEnabled(normal);
    Action("save")->setEnabled(normal && doc_.Document().settingsApplied);
    const bool form = ActiveForm() != nullptr;
    Action("printSettings")->setEnabled(normal && form);
    Action("resetSettings")->setEnabled(normal && form);
    Action("printRegisters")->setEnabled(form);
    Action("update")->setEnabled(form);
    Action("loadRegisters")->setEnabled(!normal);
    // A register view exists for the forms there are.
    Action("register")->setEnabled(form);
    Action("normal")->setEnabled(form);
    Action("normal")->setChecked(normal);
    Action("register")->setChecked(!normal);
}

void CMainFrame::ShowRegisterView() {
    if (mode_ == Mode::Register || !ActiveForm()) {
        UpdateCommandStates();  // triggering a checkable entry flipped its mark
        return;
    }
    std::unique_ptr<CRegisterViewModel> model;
    if (active_ == View::KX6500) model = std::make_unique<CRegisterView_KX6500>(doc_.Document().registers, messages_);
    else model = std::make_unique<CRegisterViewKX6200>(doc_.Document().registers, messages_);
    registerView_ = new RegisterViewWindow(std::move(model), stack_);
    stack_->addWidget(registerView_);
    stack_->setCurrentWidget(registerView_);
    mode_ = Mode::Register;
    UpdateCommandStates();
    messages_.Show({kRegisterViewWarning, "Tessary Studio", MessageIcon::Exclamation});
}

void CMainFrame::ShowConfigurationForm() {
    if (mode_ == Mode::Normal) {
        UpdateCommandStates();
        return;
    }
    // The form comes back as a fresh one: shown from the document and applied once;
    // the register view and its edits go.
    ConfigFormWindow* window = ActiveWindow();
    window->Model().OnInitialUpdate();
    window->Refresh();
    stack_->setCurrentWidget(window);
    stack_->removeWidget(registerView_);
    delete registerView_;
    registerView_ = nullptr;
    mode_ = Mode::Normal;
    UpdateCommandStates();
}

void CMainFrame::SaveRegisterFile() {
    if (!registerView_) return;
    const auto path = files_.SaveFile(QStringLiteral("Save As"), QStringLiteral("EEP Files (*.eep)"),
                                      QStringLiteral("eep"), QString());
    if (!path) return;
    std::string error;
    if (!WriteReportFile(*path, registerView_->Model().EepText(), error))
        messages_.Show({error, "Tessary Studio", MessageIcon::Exclamation});
}

void CMainFrame::LoadRegisterFile() {
    if (!registerView_) return;
    if (const auto path = files_.OpenFile(QStringLiteral("Open"), QStringLiteral("EEP files (*.eep)"))) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        // A file that cannot be opened changes nothing and says nothing.
        if (ReadWholeFile(*path, bytes, error)) registerView_->Model().LoadEep(bytes);
    }
    registerView_->Refresh();
}

void CMainFrame::RefreshRecentFiles() {
    const QStringList files = doc_.RecentFiles();
    for (int i = 0; i < static_cast<int>(recent_.size()); ++i) {
        QAction* a = recent_[static_cast<std::size_t>(i)];
        a->setVisible(i < files.size());
        if (i < files.size()) {
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
            a->setData(files[i]);
        }
    }
}

QString CMainFrame::FrameTitle(const std::string& documentTitle, bool virtualPort) {
    QString text = Q(documentTitle) + QStringLiteral(" - ") +
                   Q(CTessaryDoc::TemplateString(CTessaryDoc::TemplatePart::WindowTitle));
    if (virtualPort) text += QStringLiteral(" (virtual parallel port)");
    return text;
}

void CMainFrame::RefreshTitle() {
    // The whole title is set here: no application display name is set, so the
    // toolkit appends nothing.
    setWindowTitle(FrameTitle(doc_.Title(), virtualPort_));
    if (kx6200Window_) kx6200Window_->Refresh();
    if (kx6500Window_) kx6500Window_->Refresh();
    UpdateCommandStates();
}

void CMainFrame::ShowConfigurationView(DeviceKind device) {
    if (device == DeviceKind::KX6200) {
        stack_->setCurrentWidget(kx6200Window_);
        active_ = View::KX6200;
    } else if (device == DeviceKind::KX6500) {
        stack_->setCurrentWidget(kx6500Window_);
        active_ = View::KX6500;
    } else {
        stack_->setCurrentWidget(configView_);
        active_ = View::ConfigView;
    }
    std::string board(DeviceName(device));
    for (char& c : board) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    lptlinkSimAttachBoard(board.c_str());
    UpdateCommandStates();
}

void CMainFrame::SetDocumentTitle(std::string_view title) {
    doc_.SetTitle(std::string(title));
    RefreshTitle();
}

void CMainFrame::OpenDeviceDialog() {
    auto* dialog = new DeviceDialog(doc_.DeviceDialog(), *this, messages_, &CMainFrame::FormAvailable, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Prepare();
    connect(dialog, &QDialog::accepted, this, [this] {
        if (SharedBlockForm* form = ActiveForm()) form->Recalculate();
        RefreshTitle();
    });
    dialog->open();
}

SharedBlockForm* CMainFrame::ActiveForm() const {
    switch (active_) {
        case View::KX6200: return &kx6200_;
        case View::KX6500: return &kx6500_;
        case View::ConfigView: break;
    }
    return nullptr;
}

ConfigFormWindow* CMainFrame::ActiveWindow() const {
    switch (active_) {
        case View::KX6200: return kx6200Window_;
        case View::KX6500: return kx6500Window_;
        case View::ConfigView: break;
    }
    return nullptr;
}

void CMainFrame::UpdateDevice() {
    if (registerView_) {
        registerView_->Run([this] { registerView_->Model().UpdateDevice(); });
        return;
    }
    if (ConfigFormWindow* w = ActiveWindow()) w->Run([w] { w->Model().UpdateDevice(); });
}

void CMainFrame::Print(bool registers) {
    if (!ActiveForm()) return;
    const auto path = files_.SaveFile(QStringLiteral("Save As"), QStringLiteral("Text Files (*.txt);;All Files (*.*)"),
                                      QStringLiteral("txt"), QString());
    if (!path) return;
    std::string error;
    bool ok = false;
    if (active_ == View::KX6500)
        ok = registers ? PrintRegistersKX6500(kx6500_, *path, error) : PrintSettingsKX6500(kx6500_, *path, error);
    else
        ok = registers ? PrintRegistersKX6200(kx6200_, *path, error) : PrintSettingsKX6200(kx6200_, *path, error);
    if (!ok) messages_.Show({error, "Tessary Studio", MessageIcon::Exclamation});
}

void CMainFrame::OnTimer() {
    const SharedBlockForm* form = ActiveForm();
    if (mode_ == Mode::Register) current_->clear();
    else current_->setText(Q(FormatReal("%2.5f", form ? form->Current() : 0.0)));
    lock_->setText(Q(PollLock(active_ == View::KX6500, doc_.Document().config, bus_)));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!doc_.SaveModified()) {
        event->ignore();
        return;
    }
    timer_.stop();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return;
    doc_.Open(urls.front().toLocalFile().toStdString());
    RefreshTitle();
    RefreshRecentFiles();
    event->acceptProposedAction();
}

}  // namespace tessary

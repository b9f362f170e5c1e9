#include "studio/app/CMainFrame.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QScrollArea>
#include <QVBoxLayout>

#include "lptlink/lptlink.h"
#include "studio/app/Dialogs.h"
#include "studio/board/LockPoll.h"
#include "studio/board/PortClaim.h"
#include "studio/config/ParseReal.h"
#include "common/FileIo.h"
#include "studio/reports/ReportFile.h"

namespace tessary {

CMainFrame::CMainFrame(CTessaryDoc& doc, const std::vector<LiveForm>& forms, MessageSink& messages,
                       FileChooser& files, bool virtualPort)
    : doc_(doc), messages_(messages), files_(files), virtualPort_(virtualPort) {
    setObjectName(QStringLiteral("MainFrame"));
    resize(kWidth, kHeight);
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    stack_ = new QStackedWidget(central);
    configView_ = new QLabel(QStringLiteral("Choose the device to evaluate with Configuration > Select Device."),
                             stack_);
    configView_->setObjectName(QStringLiteral("NoForm"));
    static_cast<QLabel*>(configView_)->setAlignment(Qt::AlignCenter);
    stack_->addWidget(configView_);
    forms_.reserve(forms.size());  // active_ points into it
    for (const LiveForm& live : forms) {
        FormWindow* window = live.entry->makeWindow(*live.form, stack_);
        window->setObjectName(QString::fromUtf8(live.entry->name));
        stack_->addWidget(window);
        forms_.push_back({live.entry, live.form, window});
    }

    // The template's first view, CConfigView, shows until a device is selected.
    const StudioFormEntry* first = FindStudioForm(DeviceKind::KX400);
    for (const FormSlot& slot : forms_)
        if (slot.entry == first) active_ = &slot;
    stack_->setCurrentWidget(active_ ? static_cast<QWidget*>(active_->window) : configView_);
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
    for (const FormSlot& slot : forms_) connect(slot.window, &FormWindow::Changed, this, &CMainFrame::UpdateCommandStates);

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

void CMainFrame::ShowRegisterView() {
    if (mode_ == Mode::Register || !ActiveForm() || !HasRegisterView(*active_->entry)) {
        UpdateCommandStates();  // triggering a checkable entry flipped its mark
        return;
    }
    registerView_ = MakeRegisterPane(*active_->entry, doc_.Document(), messages_, stack_);
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
    FormWindow* window = ActiveWindow();
    window->Form().OnInitialUpdate();
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
    if (!WriteReportFile(*path, registerView_->EepText(), error))
        messages_.Show({error, "Tessary Studio", MessageIcon::Exclamation});
}

void CMainFrame::LoadRegisterFile() {
    if (!registerView_) return;
    if (const auto path = files_.OpenFile(QStringLiteral("Open"), QStringLiteral("EEP files (*.eep)"))) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        // A file that cannot be opened changes nothing and says nothing.
        if (ReadWholeFile(*path, bytes, error)) registerView_->LoadEep(bytes);
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
    for (const FormSlot& slot : forms_) slot.window->Refresh();
    UpdateCommandStates();
}

void CMainFrame::ShowConfigurationView(DeviceKind device) {
    const StudioFormEntry* entry = FindStudioForm(device);
    active_ = nullptr;
    for (const FormSlot& slot : forms_)
        if (slot.entry == entry) active_ = &slot;
    activeDevice_ = active_ ? std::optional(device) : std::nullopt;
    stack_->setCurrentWidget(active_ ? static_cast<QWidget*>(active_->window) : configView_);
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
        if (ConfigurationForm* form = ActiveForm()) form->Recalculate();
        RefreshTitle();
    });
    dialog->open();
}

FormWindow* CMainFrame::Window(DeviceKind device) const {
    const StudioFormEntry* entry = FindStudioForm(device);
    for (const FormSlot& slot : forms_)
        if (slot.entry == entry) return slot.window;
    return nullptr;
}

void CMainFrame::UpdateDevice() {
    if (registerView_) {
        registerView_->UpdateDevice();
        return;
    }
    if (FormWindow* w = ActiveWindow()) w->RunOperation([w] { w->Form().UpdateDevice(); });
}

void CMainFrame::Print(bool registers) {
    const StudioFormEntry* entry = active_ ? active_->entry : nullptr;
    const auto print = !entry ? nullptr : registers ? entry->printRegisters : entry->printSettings;
    if (!print) return;
    const auto path = files_.SaveFile(QStringLiteral("Save As"), QStringLiteral("Text Files (*.txt);;All Files (*.*)"),
                                      QStringLiteral("txt"), QString());
    if (!path) return;
    std::string error;
    if (!print(*active_->form, *path, error)) messages_.Show({error, "Tessary Studio", MessageIcon::Exclamation});
}

void CMainFrame::OnTimer() {
    const ConfigurationForm* form = ActiveForm();
    if (mode_ == Mode::Register) current_->clear();
    else current_->setText(Q(FormatReal("%2.5f", form ? form->Current() : 0.0)));
    // A board operation on a worker owns the port until it ends.
    if (PortClaim::Held()) return;
    lock_->setText(Q(PollLock(active_ && active_->entry->lockFromBoardBus, doc_.Document().config, bus_)));
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

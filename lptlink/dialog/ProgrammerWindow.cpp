#include "lptlink/dialog/ProgrammerWindow.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include "lptlink/LptlinkProcess.h"

namespace lptlink {

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString PathText(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

// The decorative picture: a chip on its board.
QPixmap Picture() {
    QPixmap pixmap(72, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(150, 150, 150), 2));
    for (int i = 0; i < 5; ++i) {
        const int at = 18 + i * 9;
        p.drawLine(at, 6, at, 16);
        p.drawLine(at, 56, at, 66);
        p.drawLine(6, at, 16, at);
        p.drawLine(56, at, 66, at);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(14, 14, 44, 44, 4, 4);
    p.setBrush(QColor(90, 160, 220));
    p.drawEllipse(20, 20, 6, 6);
    return pixmap;
}

}  // namespace

ProgrammerWindow::ProgrammerWindow(const Seams& seams, const ProgrammerPresets& presets, bool unattended,
                                   QWidget* parent)
    : QDialog(parent),
      wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      bridge_([this] { Wake(); }),
      messages_(seams.messages),
      libraryMessages_(seams.messages, bridge_.Messages()),
      model_({seams.device, seams.settings, seams.files, seams.messages, *this, *this}, presets, unattended) {
    Build();
    Connect();
    if (wakeFd_ >= 0) {
        wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(wakeNotifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
    } else {
        // Without an eventfd the window looks for reports on a short timer.
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this] { Drain(); });
        poll->start(10);
    }
    previousLibraryMessages_ = InstalledMessageSink();
    SetMessageSink(&libraryMessages_);
}

ProgrammerWindow::~ProgrammerWindow() {
    if (worker_.joinable()) {
        // Only when the window is torn down under a run: stop it at its next report.
        if (model_.Busy()) model_.ExitOrAbort();
        bridge_.Close();
        worker_.join();
    }
    SetMessageSink(previousLibraryMessages_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void ProgrammerWindow::Build() {
    setWindowTitle(QStringLiteral("Norvane KX6500 Flash Programmer"));
    setObjectName(QStringLiteral("ProgrammerDialog"));
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };

    file_ = new QLineEdit;
    browse_ = new QPushButton(QStringLiteral("&Browse"));
    ports_ = new QComboBox;
    clock_ = new QComboBox;
    clock_->setEditable(true);
    clock_->setInsertPolicy(QComboBox::NoInsert);
    for (float mhz : ClockEntries()) clock_->addItem(Text(ClockText(mhz)));
    named(file_, "fileEdit");
    named(browse_, "browse");
    named(ports_, "portList");
    named(clock_, "clockList");

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("HEX-file:")), 0, 0);
    top->addWidget(file_, 0, 1, 1, 3);
    top->addWidget(browse_, 0, 4);
    top->addWidget(new QLabel(QStringLiteral("Parallel port:")), 1, 0);
    top->addWidget(ports_, 1, 1);
    top->addWidget(new QLabel(QStringLiteral("Device Clock Frequency (MHz):")), 1, 2);
    top->addWidget(clock_, 1, 3, 1, 2);

    actionGroup_ = new QGroupBox(QStringLiteral("Action to Perform"));
    named(actionGroup_, "actionGroup");
    auto* actionLayout = new QVBoxLayout(actionGroup_);
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        actions_[i] = new QRadioButton(QString::fromLatin1(ActionButtons()[i].label));
        actions_[i]->setObjectName(QStringLiteral("action%1").arg(i));
        actionLayout->addWidget(actions_[i]);
    }

    lockGroup_ = new QGroupBox(QStringLiteral("Memory Lock Options"));
    named(lockGroup_, "lockGroup");
    bootBlock_ = new QCheckBox(QStringLiteral("Write Protect &Boot Block"));
    readProtect_ = new QCheckBox(QStringLiteral("Read Protect &Whole Memory"));
    writeProtection_ = new QComboBox;
    for (const char* entry : WriteProtectionEntries()) writeProtection_->addItem(QString::fromLatin1(entry));
    named(bootBlock_, "bootBlock");
    named(readProtect_, "readProtect");
    named(writeProtection_, "writeProtection");
    auto* lockLayout = new QVBoxLayout(lockGroup_);
    lockLayout->addWidget(bootBlock_);
    lockLayout->addWidget(readProtect_);
    lockLayout->addWidget(new QLabel(QStringLiteral("Memory Write Protection:")));
    lockLayout->addWidget(writeProtection_);

    auto* infoGroup = new QGroupBox(QStringLiteral("Device Information"));
    deviceId_ = new QLineEdit;
    deviceId_->setReadOnly(true);
    lockStatus_ = new QPlainTextEdit;
    lockStatus_->setReadOnly(true);
    lockStatus_->setFixedHeight(lockStatus_->fontMetrics().lineSpacing() * 3);
    getFromDevice_ = new QPushButton(QStringLiteral("&Get From Device"));
    named(deviceId_, "deviceId");
    named(lockStatus_, "lockStatus");
    named(getFromDevice_, "getFromDevice");
    auto* infoLayout = new QGridLayout(infoGroup);
    infoLayout->addWidget(new QLabel(QStringLiteral("Device ID:")), 0, 0);
    infoLayout->addWidget(deviceId_, 0, 1);
    infoLayout->addWidget(new QLabel(QStringLiteral("Lock Status:")), 1, 0);
    infoLayout->addWidget(lockStatus_, 1, 1);
    infoLayout->addWidget(getFromDevice_, 2, 1, Qt::AlignRight);

    auto* groups = new QHBoxLayout;
    groups->addWidget(actionGroup_);
    auto* right = new QVBoxLayout;
    right->addWidget(lockGroup_);
    right->addWidget(infoGroup);
    groups->addLayout(right);

    status_ = new QLabel;
    QFont bold = status_->font();
    bold.setWeight(QFont::Bold);  // 700
    status_->setFont(bold);
    progress_ = new QProgressBar;
    progress_->setRange(0, 100);
    doIt_ = new QPushButton(QStringLiteral("Do It"));
    doIt_->setDefault(true);
    exit_ = new QPushButton(QStringLiteral("Exit"));
    named(status_, "status");
    named(progress_, "progress");
    named(doIt_, "doIt");
    named(exit_, "exit");
    auto* picture = new QLabel;
    picture->setPixmap(Picture());

    auto* bottom = new QGridLayout;
    bottom->addWidget(picture, 0, 0, 2, 1);
    bottom->addWidget(status_, 0, 1);
    bottom->addWidget(progress_, 1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(doIt_);
    buttons->addWidget(exit_);
    bottom->addLayout(buttons, 0, 2, 2, 1);
    bottom->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(groups);
    layout->addLayout(bottom);
}

void ProgrammerWindow::Connect() {
    connect(file_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.SetFileText(QFile::encodeName(text).toStdString()); });
    connect(ports_, &QComboBox::activated, this, [this](int index) { model_.SelectPort(index); });
    connect(clock_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { model_.SetClockEditText(text.toStdString()); });
    connect(clock_, &QComboBox::activated, this, [this](int index) { model_.SelectClock(index); });
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        connect(actions_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on) return;
            model_.ChooseAction(static_cast<int>(i));
            Refresh();
        });
    }
    auto lockChanged = [this] {
        model_.SetLock({bootBlock_->isChecked(), readProtect_->isChecked(), writeProtection_->currentIndex()});
    };
    connect(bootBlock_, &QCheckBox::toggled, this, lockChanged);
    connect(readProtect_, &QCheckBox::toggled, this, lockChanged);
    connect(writeProtection_, &QComboBox::activated, this, lockChanged);
    connect(browse_, &QPushButton::clicked, this, [this] { model_.Browse(); });
    connect(getFromDevice_, &QPushButton::clicked, this, [this] { model_.GetFromDevice(); });
    connect(doIt_, &QPushButton::clicked, this, [this] { model_.DoIt(); });
    connect(exit_, &QPushButton::clicked, this, [this] {
        model_.ExitOrAbort();
        Refresh();
    });
}

void ProgrammerWindow::Open() {
    model_.Open();
    QTimer::singleShot(0, this, [this] { model_.StartAutoRun(); });
}

int ProgrammerWindow::Run() {
    Open();
    exec();
    return model_.Result();
}

void ProgrammerWindow::reject() {
    model_.ExitOrAbort();
    Refresh();
}

QWidget* ProgrammerWindow::Widget(ProgrammerControl control) const {
    switch (control) {
        case ProgrammerControl::FileEdit: return file_;
        case ProgrammerControl::Browse: return browse_;
        case ProgrammerControl::PortList: return ports_;
        case ProgrammerControl::ClockList: return clock_;
        case ProgrammerControl::ActionButtons: return actionGroup_;
        case ProgrammerControl::LockOptions: return lockGroup_;
        case ProgrammerControl::GetFromDevice: return getFromDevice_;
        case ProgrammerControl::DoIt: return doIt_;
        case ProgrammerControl::Exit: return exit_;
    }
    return nullptr;
}

void ProgrammerWindow::Refresh() {
    const QSignalBlocker blocks[] = {QSignalBlocker(file_), QSignalBlocker(ports_), QSignalBlocker(clock_),
                                     QSignalBlocker(bootBlock_), QSignalBlocker(readProtect_),
                                     QSignalBlocker(writeProtection_)};
    const QString file = PathText(model_.FileText());
    if (file_->text() != file) file_->setText(file);  // the caret goes to the end

    if (ports_->count() != static_cast<int>(model_.PortEntries().size())) {
        ports_->clear();
        for (const auto& entry : model_.PortEntries()) ports_->addItem(Text(entry));
    }
    ports_->setCurrentIndex(model_.PortSelection());

    if (model_.ClockSelection() >= 0) {
        clock_->setCurrentIndex(model_.ClockSelection());
    } else if (clock_->currentText() != Text(model_.ClockEditText())) {
        clock_->setCurrentIndex(-1);
        clock_->setEditText(Text(model_.ClockEditText()));
    }

    for (std::size_t i = 0; i < actions_.size(); ++i) {
        const QSignalBlocker block(actions_[i]);
        actions_[i]->setChecked(static_cast<int>(i) == model_.ActionSelection());
    }
    bootBlock_->setChecked(model_.Lock().bootBlock);
    readProtect_->setChecked(model_.Lock().readProtect);
    writeProtection_->setCurrentIndex(model_.Lock().writeProtection);

    deviceId_->setText(Text(model_.DeviceId()));
    QString lockStatus = Text(model_.LockStatus());
    lockStatus.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (lockStatus_->toPlainText() != lockStatus) lockStatus_->setPlainText(lockStatus);
    exit_->setText(QString::fromLatin1(model_.ExitLabel()));
    for (auto control : {ProgrammerControl::FileEdit, ProgrammerControl::Browse, ProgrammerControl::PortList,
                         ProgrammerControl::ClockList, ProgrammerControl::ActionButtons, ProgrammerControl::LockOptions,
                         ProgrammerControl::GetFromDevice, ProgrammerControl::DoIt, ProgrammerControl::Exit})
        Widget(control)->setEnabled(model_.Enabled(control));
    status_->setText(Text(model_.Status()));
    progress_->setValue(model_.ProgressPercent());
}

void ProgrammerWindow::ShowProgressNow() {
    status_->setText(Text(model_.Status()));
    status_->repaint();
    // Painting the bar costs far more than the label, and most reports leave its value.
    if (progress_->value() != model_.ProgressPercent()) {
        progress_->setValue(model_.ProgressPercent());
        progress_->repaint();
    }
}

void ProgrammerWindow::Focus(ProgrammerControl control) { Widget(control)->setFocus(); }

void ProgrammerWindow::SelectText(ProgrammerControl control) {
    if (control == ProgrammerControl::ClockList) {
        // The model may have rewritten the text; the window shows it before selecting.
        Refresh();
        clock_->setFocus();
        clock_->lineEdit()->selectAll();
    } else if (control == ProgrammerControl::FileEdit) {
        file_->setFocus();
        file_->selectAll();
    }
}

void ProgrammerWindow::Close(int delayMs) {
    QTimer::singleShot(delayMs, Qt::PreciseTimer, this, [this] { done(model_.Result()); });
}

void ProgrammerWindow::Start(std::function<RunOutcome(WorkerChannel&)> work, std::function<void(RunOutcome)> done) {
    done_ = std::move(done);
    worker_ = std::thread([this, work = std::move(work)] { bridge_.Finish(work(bridge_)); });
}

void ProgrammerWindow::Wake() {
    // On the worker's thread: only the eventfd, never a Qt object.
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is full only if the window has stopped reading; the report waits in the queue.
    }
}

void ProgrammerWindow::Drain() {
    std::uint64_t count = 0;
    if (wakeFd_ >= 0 && ::read(wakeFd_, &count, sizeof count) < 0) count = 0;
    if (draining_) return;  // a box of the worker is open; the outer drain goes on after it
    draining_ = true;
    using Kind = WorkerBridge::Event::Kind;
    for (auto events = bridge_.Take(); !events.empty(); events = bridge_.Take()) {
        for (std::size_t i = 0; i < events.size(); ++i) {
            auto& event = events[i];
            switch (event.kind) {
                case Kind::Report:
                    // Only the newest of a run of reports is worth painting.
                    if (i + 1 < events.size() && events[i + 1].kind == Kind::Report) break;
                    model_.ShowProgress(event.text, event.percent);
                    break;
                case Kind::Show:
                    messages_.Show(event.message);
                    bridge_.Answer(true);
                    break;
                case Kind::Ask: bridge_.Answer(messages_.Ask(event.message)); break;
                case Kind::AskOkCancel: bridge_.Answer(messages_.AskOkCancel(event.message)); break;
                case Kind::Finished: {
                    if (worker_.joinable()) worker_.join();
                    auto done = std::move(done_);
                    if (done) done(std::move(event.outcome));
                    break;
                }
            }
        }
    }
    draining_ = false;
}

}  // namespace lptlink

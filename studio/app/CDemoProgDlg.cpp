#include "studio/app/CDemoProgDlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QThread>
#include <QVBoxLayout>

namespace tessary {

void CDemoProgDlg::WindowThreadMessages::Show(const UserMessage& message) {
    if (QThread::currentThread() == window_.thread()) return target_.Show(message);
    QMetaObject::invokeMethod(&window_, [this, &message] { target_.Show(message); }, Qt::BlockingQueuedConnection);
}

bool CDemoProgDlg::WindowThreadMessages::Ask(const UserMessage& question) {
    if (QThread::currentThread() == window_.thread()) return target_.Ask(question);
    bool answer = false;
    QMetaObject::invokeMethod(&window_, [&] { answer = target_.Ask(question); }, Qt::BlockingQueuedConnection);
    return answer;
}

CDemoProgDlg::CDemoProgDlg(int deviceNumber, CParallelPort& port, BusTiming& timing, MessageSink& messages,
                           FileChooser& files, QWidget* parent)
    : QDialog(parent), files_(files), messages_(*this, messages),
      model_(std::make_unique<DemoBoardProgrammer>(deviceNumber, port, timing, messages_)) {
    setObjectName(QStringLiteral("CDemoProgDlg"));
    setWindowTitle(QStringLiteral("Programming the Demostration Board"));
    setModal(true);
    model_->SetObserver(this);
    Build();
    connect(this, &CDemoProgDlg::rangeChanged, this, [this](int g, int maximum) { Bar(g)->setRange(0, maximum); },
            Qt::QueuedConnection);
    connect(this, &CDemoProgDlg::progressChanged, this, [this](int g, int value) { Bar(g)->setValue(value); },
            Qt::QueuedConnection);
    connect(this, &CDemoProgDlg::statusChanged, this,
            [this](int g, const QString& text) { (g == 0 ? eepromStatus_ : flashStatus_)->setText(text); },
            Qt::QueuedConnection);
    connect(this, &CDemoProgDlg::operationEnded, this, &CDemoProgDlg::EndOperation, Qt::QueuedConnection);
    Refresh();
}

CDemoProgDlg::~CDemoProgDlg() {
    // The window cannot close while an operation runs; a parent torn down under it
    // still waits for the worker rather than leave it on a dead model.
    if (worker_.joinable()) worker_.join();
}

void CDemoProgDlg::Build() {
    auto* layout = new QVBoxLayout(this);
    auto button = [this](QWidget* parent, const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), parent);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    auto radio = [](QWidget* parent, const char* name, const char* text) {
        auto* r = new QRadioButton(QString::fromUtf8(text), parent);
        r->setObjectName(QString::fromUtf8(name));
        return r;
    };

    auto* eeprom = new QGroupBox(QStringLiteral("EEPROM-programming"), this);
    auto* eg = new QGridLayout(eeprom);
    eepromStatus_ = new QLabel(eeprom);
    eepromStatus_->setObjectName(QStringLiteral("EepromStatus"));
    eepromBar_ = new QProgressBar(eeprom);
    eepromBar_->setObjectName(QStringLiteral("EepromProgress"));
    eepromBar_->setRange(0, DemoBoardProgrammer::kEepromSteps);
    eepromBar_->setValue(0);
    eg->addWidget(eepromStatus_, 0, 0, 1, 3);
    eg->addWidget(button(eeprom, "EepromInfo", "info"), 0, 3);
    eg->addWidget(eepromBar_, 1, 0, 1, 4);
    eg->addWidget(radio(eeprom, "DefaultSetting", "default setting"), 2, 0);
    eg->addWidget(radio(eeprom, "FromFile", "from file..."), 3, 0);
    eg->addWidget(radio(eeprom, "FromBoard", "from board..."), 4, 0);
    eg->addWidget(button(eeprom, "EepromLoad", "Load"), 3, 1);
    eg->addWidget(button(eeprom, "EepromSave", "Save"), 3, 2);
    eg->addWidget(button(eeprom, "EepromRead", "Read"), 4, 1);
    eg->addWidget(button(eeprom, "ProgramEeprom", "program EEPROM"), 5, 3);
    layout->addWidget(eeprom);

    auto* flash = new QGroupBox(QStringLiteral("FLASH-programming"), this);
    auto* fg = new QGridLayout(flash);
    flashStatus_ = new QLabel(flash);
    flashStatus_->setObjectName(QStringLiteral("FlashStatus"));
    flashBar_ = new QProgressBar(flash);
    flashBar_->setObjectName(QStringLiteral("FlashProgress"));
    flashBar_->setRange(0, DemoBoardProgrammer::kFlashSteps);
    flashBar_->setValue(0);
    fg->addWidget(flashStatus_, 0, 0, 1, 3);
    fg->addWidget(button(flash, "FlashInfo", "info"), 0, 3);
    fg->addWidget(flashBar_, 1, 0, 1, 4);
    fg->addWidget(button(flash, "FlashLoad", "Load"), 2, 1);
    fg->addWidget(button(flash, "ProgramFlash", "program FLASH"), 2, 3);
    layout->addWidget(flash);

    using Source = DemoBoardProgrammer::Source;
    for (const auto& [name, source] : {std::pair{"DefaultSetting", Source::Default}, std::pair{"FromFile", Source::File},
                                       std::pair{"FromBoard", Source::Board}})
        connect(Radio(name), &QRadioButton::clicked, this, [this, source = source] {
            model_->SelectSource(source);
            Refresh();
        });
    connect(Button("EepromInfo"), &QPushButton::clicked, this, [this] { model_->InfoEeprom(); });
    connect(Button("FlashInfo"), &QPushButton::clicked, this, [this] { model_->InfoFlash(); });
    connect(Button("EepromLoad"), &QPushButton::clicked, this, [this] {
        if (const auto path = files_.OpenFile(QStringLiteral("Open"), QStringLiteral("Tessary TXT Files (*.txt);;EEP files (*.eep)")))
            model_->LoadEeprom(*path);
        Refresh();
    });
    connect(Button("EepromSave"), &QPushButton::clicked, this, [this] {
        if (const auto path = files_.SaveFile(QStringLiteral("Save As"), QStringLiteral("EEP Files (*.eep)"),
                                              QStringLiteral("eep"), QString()))
            model_->SaveEeprom(*path);
        Refresh();
    });
    connect(Button("FlashLoad"), &QPushButton::clicked, this, [this] {
        if (const auto path = files_.OpenFile(QStringLiteral("Open"), QStringLiteral("GENERIC HEX Files (*.hex)")))
            model_->LoadFlash(*path);
        Refresh();
    });
    connect(Button("EepromRead"), &QPushButton::clicked, this, [this] { RunOnWorker([this] { return model_->ReadEeprom(); }); });
    connect(Button("ProgramEeprom"), &QPushButton::clicked, this,
            [this] { RunOnWorker([this] { return model_->ProgramEeprom(); }); });
    connect(Button("ProgramFlash"), &QPushButton::clicked, this,
            [this] { RunOnWorker([this] { return model_->ProgramFlash(); }); });
}

QPushButton* CDemoProgDlg::Button(const char* name) const { return findChild<QPushButton*>(QString::fromUtf8(name)); }
QRadioButton* CDemoProgDlg::Radio(const char* name) const { return findChild<QRadioButton*>(QString::fromUtf8(name)); }

void CDemoProgDlg::Refresh() {
    const bool idle = !Busy();
    const auto e = model_->Enabled();
    if (idle) {
        eepromStatus_->setText(Q(model_->EepromStatus()));
        flashStatus_->setText(Q(model_->FlashStatus()));
    }
    for (const auto& [name, on] : {std::pair{"EepromLoad", e.load}, std::pair{"EepromSave", e.save},
                                   std::pair{"EepromRead", e.read}, std::pair{"ProgramEeprom", e.programEeprom},
                                   std::pair{"FlashLoad", e.flashLoad}, std::pair{"ProgramFlash", e.programFlash},
                                   std::pair{"EepromInfo", true}, std::pair{"FlashInfo", true}})
        Button(name)->setEnabled(idle && on);
    for (const char* name : {"DefaultSetting", "FromFile", "FromBoard"}) Radio(name)->setEnabled(idle);
}

void CDemoProgDlg::RunOnWorker(std::function<DemoOutcome()> operation) {
    if (Busy()) return;
    claim_.emplace();
    // The worker is joinable from here on: Refresh disables every control.
    worker_ = std::thread([this, operation = std::move(operation)] {
        operation();
        emit operationEnded();
    });
    Refresh();
}

void CDemoProgDlg::EndOperation() {
    if (worker_.joinable()) worker_.join();
    claim_.reset();
    Refresh();
}

void CDemoProgDlg::reject() {
    if (!Busy()) QDialog::reject();
}

void CDemoProgDlg::closeEvent(QCloseEvent* event) {
    if (Busy()) event->ignore();
    else QDialog::closeEvent(event);
}

}  // namespace tessary

#include "studio/app/Dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "studio/app/QtSeams.h"

namespace tessary {

DeviceDialog::DeviceDialog(CDeviceDlg& model, DeviceSelectionHost& host, MessageSink& messages,
                           std::function<bool(DeviceKind)> available, QWidget* parent)
    : QDialog(parent), model_(model), host_(host), messages_(messages), available_(std::move(available)) {
    setWindowTitle(QStringLiteral("Device Setting"));
    setObjectName(QStringLiteral("DeviceSetting"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(CDeviceDlg::kText), this));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Device"), this));
    list_ = new QComboBox(this);
    for (DeviceKind d : kAllDevices) list_->addItem(Q(DeviceName(d)));
    row->addWidget(list_);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    auto* setDefault = new QPushButton(QStringLiteral("Set as Default"), this);
    setDefault->hide();  // the dialog keeps it hidden
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(setDefault);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &DeviceDialog::OnOk);
    connect(setDefault, &QPushButton::clicked, this, [this] {
        model_.Select(list_->currentIndex() >= 0 ? std::optional<int>(list_->currentIndex()) : std::nullopt);
        model_.SetAsDefault();
    });
}

void DeviceDialog::Prepare() {
    model_.OnOpen();
    list_->setCurrentIndex(model_.Selection() ? *model_.Selection() : -1);
}

void DeviceDialog::OnOk() {
    const int index = list_->currentIndex();
    const auto device = DeviceFromListIndex(index);
    if (!device) return;
    if (!available_(*device)) {
        messages_.Show({"The " + std::string(DeviceName(*device)) +
                            " configuration form is not available yet in this version of Tessary Studio.\n"
                            "Please choose another device.",
                        "Tessary Studio", MessageIcon::Information});
        return;
    }
    model_.Select(index);
    model_.OnOK(host_);
    accept();
}

PortDialog::PortDialog(CPortDlg& model, CRegister& registers, QWidget* parent)
    : QDialog(parent), model_(model), registers_(registers) {
    setWindowTitle(QStringLiteral("Port Setting"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Port address"), this));
    list_ = new QComboBox(this);
    for (auto entry : CPortDlg::kEntries) list_->addItem(Q(entry));
    row->addWidget(list_);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* setDefault = new QPushButton(QStringLiteral("Set as default"), this);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(setDefault);
    layout->addLayout(buttons);
    auto selection = [this] {
        return list_->currentIndex() >= 0 ? std::optional<int>(list_->currentIndex()) : std::nullopt;
    };
    connect(ok, &QPushButton::clicked, this, [this, selection] {
        model_.Select(selection());
        model_.OnOK(registers_);
        accept();
    });
    connect(setDefault, &QPushButton::clicked, this, [this, selection] {
        model_.Select(selection());
        model_.SetAsDefault();
    });
}

void PortDialog::Prepare() {
    model_.OnOpen();
    list_->setCurrentIndex(model_.Selection() ? *model_.Selection() : -1);
}

CSplashWindow::CSplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Splash"));
    resize(420, 260);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CSplashWindow::Finish);
    timer_.start(10000);
    qApp->installEventFilter(this);
}

CSplashWindow::~CSplashWindow() { qApp->removeEventFilter(this); }

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(18, 52, 86));
    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(rect().adjusted(0, -40, 0, 0), Qt::AlignCenter, QStringLiteral("Tessary Studio"));
    QFont small = font();
    small.setPointSize(10);
    p.setFont(small);
    p.drawText(rect().adjusted(0, 40, 0, 0), Qt::AlignCenter,
               QStringLiteral("Version 4.00\nDevelopment kit for sub-GHz FSK transceivers\nNorvane"));
}

bool CSplashWindow::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            Finish();
            break;
        default:
            break;
    }
    return false;
}

void CSplashWindow::Finish() {
    if (finished_) return;
    finished_ = true;
    timer_.stop();
    qApp->removeEventFilter(this);
    hide();
    emit Closed();
}

}  // namespace tessary

#include "lptlink/dialog/DialogBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace lptlink {

namespace {

QMessageBox::Icon IconOf(tessary::MessageIcon icon) {
    switch (icon) {
        case tessary::MessageIcon::Information: return QMessageBox::Information;
        case tessary::MessageIcon::Exclamation: return QMessageBox::Warning;
        case tessary::MessageIcon::Stop: return QMessageBox::Critical;
        case tessary::MessageIcon::Question: return QMessageBox::Question;
        case tessary::MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton Box(const tessary::UserMessage& m, QMessageBox::StandardButtons buttons, QWidget* parent) {
    QMessageBox box(IconOf(m.icon), QString::fromStdString(m.caption), QString::fromStdString(m.text), buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtDialogBoxes::Show(const tessary::UserMessage& message) { Box(message, QMessageBox::Ok, parent_); }

bool QtDialogBoxes::Ask(const tessary::UserMessage& question) {
    return Box(question, QMessageBox::Yes | QMessageBox::No, parent_) == QMessageBox::Yes;
}

bool QtDialogBoxes::AskOkCancel(const tessary::UserMessage& question) {
    return Box(question, QMessageBox::Ok | QMessageBox::Cancel, parent_) == QMessageBox::Ok;
}

void UnattendedDialogBoxes::Show(const tessary::UserMessage& message) { tessary::StderrMessageSink().Show(message); }

bool UnattendedDialogBoxes::Ask(const tessary::UserMessage& question) {
    Show(question);
    return false;
}

bool UnattendedDialogBoxes::AskOkCancel(const tessary::UserMessage& question) {
    Show(question);
    return false;
}

bool UnattendedPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

}  // namespace lptlink

#include "studio/app/QtSeams.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tessary {

namespace {
QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Stop: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString Caption(const UserMessage& m) { return m.caption.empty() ? QStringLiteral("Tessary Studio") : Q(m.caption); }
}  // namespace

void QtMessageSink::Show(const UserMessage& message) {
    QMessageBox box(IconOf(message.icon), Caption(message), Q(message.text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtMessageSink::Ask(const UserMessage& question) {
    QMessageBox box(IconOf(question.icon), Caption(question), Q(question.text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

MessageSink::Answer QtMessageSink::AskYesNoCancel(const UserMessage& question) {
    QMessageBox box(IconOf(question.icon), Caption(question), Q(question.text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
    }
}

int QtSettingsStore::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    bool ok = false;
    const int value = settings_.value(Q(section + "/" + key), fallback).toInt(&ok);
    return ok ? value : fallback;
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value) {
    settings_.setValue(Q(section + "/" + key), value);
}

std::optional<std::string> QtFileChooser::OpenFile(const QString& caption, const QString& filter) {
    const QString path = QFileDialog::getOpenFileName(parent_, caption, QString(), filter);
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtFileChooser::SaveFile(const QString& caption, const QString& filter,
                                                   const QString& defaultSuffix, const QString& suggested) {
    QFileDialog dialog(parent_, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

}  // namespace tessary

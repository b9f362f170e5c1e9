#include "host/QtUi.h"

#include <QApplication>
#include <QMessageBox>

#include "host/kx6500_host.h"

namespace kxdebug {

std::uint32_t QtUi::MessageBox(const std::string& text, const std::string& title, std::uint32_t style) {
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(text));
    switch (style & 0xF0) {
    case HOST_MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case HOST_MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case HOST_MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case HOST_MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (style & 0x0F) {
    case HOST_MB_RETRYCANCEL: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case HOST_MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Retry: return HOST_ID_RETRY;
    case QMessageBox::Ok: return HOST_ID_OK;
    default: return HOST_ID_CANCEL;
    }
}

void QtUi::Beep(std::uint32_t, std::uint32_t) { QApplication::beep(); }

void QtUi::ProcessEvents() { QApplication::processEvents(); }

}  // namespace kxdebug

#include "display/qt/QtNotifier.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace kx6500disp {

namespace {
constexpr const char* kTitle = "KX6500Disp";
}

bool OnDisplay() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() != QLatin1String("offscreen");
}

void QtNotifier::Message(const std::string& text) {
    if (!OnDisplay()) {
        std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
        std::fflush(stderr);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, kTitle, QString::fromStdString(text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void QtNotifier::Beep(std::uint32_t hz, std::uint32_t ms) {
    if (OnDisplay()) {
        QApplication::beep();  // the toolkit has one tone
        return;
    }
    std::fprintf(stderr, "%s: beep %u Hz %u ms\n", kTitle, hz, ms);
    std::fflush(stderr);
}

}  // namespace kx6500disp

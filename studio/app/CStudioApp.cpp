#include "studio/app/CStudioApp.h"

#include <QCoreApplication>

#include "lptlink/LptlinkProcess.h"
#include "lptlink/lptlink.h"

namespace tessary {

CStudioApp::CStudioApp(MessageSink& messages, FileChooser& files) : messages_(messages), files_(files) {}

CStudioApp::~CStudioApp() { Shutdown(); }

bool CStudioApp::Startup(const Options& options) {
    lptlink::SetMessageSink(&messages_);
    if (!lptlinkInit()) return false;
    started_ = true;
    port_ = std::make_unique<CParallelPort>(io_, static_cast<std::uint16_t>(lptlinkGetParPortBaseAdr(1)));
    SetApplicationPort(port_.get());
    SetApplicationTiming(&timing_);

    QCoreApplication::setOrganizationName(QStringLiteral("Norvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessary Studio"));
    profile_ = std::make_unique<QtSettingsStore>();
    doc_ = std::make_unique<CTessaryDoc>(messages_, files_, *profile_);
    if (options.file && !doc_->Open(*options.file)) return false;

    // The forms live for the whole run; each applies its values once.
    kx6200_ = std::make_unique<CConfigViewKX6200>(doc_->Document(), messages_);
    kx6200_->OnInitialUpdate();
    kx6500_ = std::make_unique<CConfigViewKX6500>(doc_->Document(), messages_);
    kx6500_->OnInitialUpdate();

    frame_ = std::make_unique<CMainFrame>(*doc_, *kx6200_, *kx6500_, messages_, files_, lptlink::ProcessVirtualPort() != nullptr);
    if (auto* chooser = dynamic_cast<QtFileChooser*>(&files_)) chooser->SetParent(frame_.get());
    frame_->show();

    if (options.splash) {
        splash_ = new CSplashWindow(frame_.get());
        QObject::connect(splash_, &CSplashWindow::Closed, frame_.get(), [this] {
            frame_->update();
            frame_->OpenDeviceDialog();
            splash_->deleteLater();
            splash_ = nullptr;
        });
        splash_->show();
    }
    return true;
}

void CStudioApp::Shutdown() {
    if (frame_) frame_->Timer().stop();
    frame_.reset();
    kx6500_.reset();
    kx6200_.reset();
    doc_.reset();
    SetApplicationPort(nullptr);
    SetApplicationTiming(nullptr);
    port_.reset();
    if (started_) lptlinkRelease();
    started_ = false;
    lptlink::SetMessageSink(nullptr);
}

}  // namespace tessary

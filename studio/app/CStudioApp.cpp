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
    std::vector<CMainFrame::LiveForm> live;
    for (const StudioFormEntry* entry : StudioForms()) {
        forms_.push_back(entry->makeForm(doc_->Document(), messages_));
        forms_.back()->OnInitialUpdate();
        live.push_back({entry, forms_.back().get()});
    }

    frame_ = std::make_unique<CMainFrame>(*doc_, live, messages_, files_, lptlink::ProcessVirtualPort() != nullptr);
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
    while (!forms_.empty()) forms_.pop_back();  // in reverse order of creation
    doc_.reset();
    SetApplicationPort(nullptr);
    SetApplicationTiming(nullptr);
    port_.reset();
    if (started_) lptlinkRelease();
    started_ = false;
    lptlink::SetMessageSink(nullptr);
}

}  // namespace tessary

#pragma once
// The studio's start-up and shut-down: lptlink first, the port object, the profile,
// the document and the forms, the main frame with its timer, the start-up picture and
// then "Device Setting".

#include <QElapsedTimer>
#include <memory>
#include <optional>
#include <vector>

#include "common/MessageSink.h"
#include "studio/app/CMainFrame.h"
#include "studio/app/CTessaryDoc.h"
#include "studio/app/Dialogs.h"
#include "studio/app/QtSeams.h"
#include "studio/board/LptlinkSeams.h"

namespace tessary {

class CStudioApp {
public:
    struct Options {
        bool splash = true;
        std::optional<std::string> file;  // a document named on the command line
    };

    CStudioApp(MessageSink& messages, FileChooser& files);
    ~CStudioApp();

    // False when lptlink could not start: nothing was shown and the program ends.
    bool Startup(const Options& options);
    void Shutdown();

    CMainFrame* MainFrame() { return frame_.get(); }
    CTessaryDoc* Doc() { return doc_.get(); }
    CSplashWindow* Splash() { return splash_; }

private:
    MessageSink& messages_;
    FileChooser& files_;
    bool started_ = false;
    LptlinkPortIo io_;
    SystemBusTiming timing_;
    std::unique_ptr<CParallelPort> port_;
    std::unique_ptr<QtSettingsStore> profile_;
    std::unique_ptr<CTessaryDoc> doc_;
    std::vector<std::unique_ptr<ConfigurationForm>> forms_;  // in StudioForms() order
    std::unique_ptr<CMainFrame> frame_;
    CSplashWindow* splash_ = nullptr;
};

}  // namespace tessary

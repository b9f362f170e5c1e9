#include "host/DisplaySide.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <thread>

#include "host/MemoryCommands.h"
#include "host/ViewCommands.h"
#include "host/core/MemoryLines.h"

namespace kxdebug {

void AddDisplayOptions(CLI::App& app, DisplayOptions& o) {
    app.add_option("--sfr-file", o.sfrFile,
                   "in-memory target instead of the monitor: the data space (SFRs at 0x80..0xFF) kept in FILE, "
                   "256 raw bytes");
    app.add_option("--xdata-file", o.xdataFile,
                   "in-memory target instead of the monitor: XDATA kept in FILE, raw from 0 (up to 64 KiB)");
    app.add_option("--access-log", o.accessLog,
                   "log each memory call of the display plug-in to FILE: R|W ADDRESS COUNT [bytes] [FAIL]");
}

DisplaySide::DisplaySide(HostSession& session, DisplayOptions options, bool gui)
    : session_(session), options_(std::move(options)), gui_(gui) {}

DisplaySide::~DisplaySide() {
    window_.reset();
    session_.SetDisplayMemory(nullptr);
}

bool DisplaySide::Start(std::string& error) {
    if (options_.InMemoryTarget()) {
        target_ = std::make_unique<MemoryTarget>();
        if (!target_->Open(options_.sfrFile, options_.xdataFile, error)) return false;
    }
    if (!options_.accessLog.empty()) {
        log_.open(options_.accessLog, std::ios::trunc);
        if (!log_) {
            error = "--access-log " + options_.accessLog + ": cannot be written";
            return false;
        }
    }
    if (target_ || log_.is_open())
        session_.SetDisplayMemory([this](bool write, std::uint32_t address, std::uint32_t count,
                                         std::uint8_t* buffer) { return Access(write, address, count, buffer); });

    AddViewCommands(session_);
    session_.Commands().Add({"update", "", "asks the display plug-in to show new target values",
                             [this](const CommandArgs&, std::ostream&, std::string& why) {
                                 if (!session_.HasDisplay()) {
                                     why = "no display plug-in is loaded (--display)";
                                     return false;
                                 }
                                 UpdateViews();
                                 return true;
                             }});
    if (target_)
        AddMemoryTargetCommands(session_, *target_, [this] { UpdateViews(); });
    else
        UpdateAfterMonitorWrites();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        session_.AddAfterCommandHandler([] { QCoreApplication::processEvents(); });
    if (gui_ && session_.HasDisplay()) ShowPeripheralsWindow();
    return true;
}

int DisplaySide::Access(bool write, std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    const int result = target_ ? (write ? target_->Write(address, count, buffer) : target_->Read(address, count, buffer))
                               : session_.MonitorMemory(write, address, count, buffer);
    if (log_.is_open()) log_ << AccessLogLine(write, address, count, buffer, result) << std::endl;
    return result;
}

void DisplaySide::UpdateViews() {
    if (HostUpdateFn update = session_.Record().update; update && session_.HasDisplay()) update();
}

// The monitor's own "mem write" (where there is one) updates the views too.
void DisplaySide::UpdateAfterMonitorWrites() {
    std::string error;
    const auto line = CommandLine::Parse("mem write", error);
    std::size_t words = 0;
    const HostCommand* existing = line ? session_.Commands().Find(*line, words) : nullptr;
    if (!existing || existing->name != "mem write" || !existing->handler) return;
    HostCommand wrapped = *existing;
    wrapped.handler = [this, inner = existing->handler](const CommandArgs& args, std::ostream& out, std::string& why) {
        const bool ok = inner(args, out, why);
        UpdateViews();
        return ok;
    };
    session_.Commands().Add(std::move(wrapped));
}

void DisplaySide::ShowPeripheralsWindow() {
    window_ = std::make_unique<QMainWindow>();
    window_->setWindowTitle("kx6500-debug");
    auto* note = new QLabel("Commands are read from standard input.\nThe views open from the Peripherals menu.");
    note->setMargin(12);
    window_->setCentralWidget(note);
    QMenu* peripherals = window_->menuBar()->addMenu("&Peripherals");
    std::vector<QMenu*> menus{peripherals};
    for (MenuEntry* e = session_.Record().menu; e && e->kind != MENU_END; ++e) {
        const QString caption = QString::fromUtf8(e->caption ? e->caption : "");
        if (e->kind == MENU_SUBMENU) {
            menus.push_back(menus.back()->addMenu(caption));
        } else if (e->kind == MENU_SUBMENU_END) {
            if (menus.size() > 1) menus.pop_back();
        } else if (e->kind == MENU_ITEM && e->open) {
            QAction* item = menus.back()->addAction(caption);
            item->setCheckable(true);
            QObject::connect(item, &QAction::triggered, window_.get(), [e] { e->open(e); });
            // Checked while its view is open.
            QObject::connect(menus.back(), &QMenu::aboutToShow, item,
                             [item, e] { item->setChecked(e->view && e->view->window != 0); });
        }
    }
    window_->show();
}

namespace {

// Standard input read on a thread of its own, so that windows stay alive while the
// host waits for a line; each line wakes the window thread.
struct LineQueue {
    std::mutex mutex;
    std::deque<std::string> lines;
    bool ended = false;
    bool listening = true;  // the window thread still takes lines
};

}  // namespace

int DisplaySide::RunCommands(std::istream& in) {
    const bool windowsOnDisplay = gui_ && qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!windowsOnDisplay || &in != &std::cin) return session_.RunCommands(in);  // a file never keeps it waiting
    auto queue = std::make_shared<LineQueue>();
    std::thread([queue] {
        std::string line;
        bool more = true;
        while (more) {
            more = static_cast<bool>(std::getline(std::cin, line));
            std::lock_guard lock(queue->mutex);
            if (!queue->listening) return;
            if (more)
                queue->lines.push_back(line);
            else
                queue->ended = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
        }
    }).detach();
    const int status = session_.RunCommands([&queue](std::string& line) {
        while (true) {
            {
                std::lock_guard lock(queue->mutex);
                if (!queue->lines.empty()) {
                    line = std::move(queue->lines.front());
                    queue->lines.pop_front();
                    return true;
                }
                if (queue->ended) return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    });
    std::lock_guard lock(queue->mutex);
    queue->listening = false;
    return status;
}

}  // namespace kxdebug

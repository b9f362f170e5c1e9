// kx6500-debug: the debugger host. Loads the monitor plug-in by file name, starts
// debugging, runs commands line by line, and ends debugging.
#include <CLI/CLI.hpp>

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

#include "host/DebugCommands.h"
#include "host/DisplaySide.h"
#include "host/HostSession.h"
#include "host/QtUi.h"

namespace {

struct Options {
    std::string monitor;
    std::string display;
    std::uint32_t clockHz = 14745600;
    std::string options;
    std::string script;
    bool gui = false;
};

bool HaveDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* s = std::getenv(v); s && *s) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    o.monitor = kxdebug::LibraryFolder() + "/KX6500MON.so";
    CLI::App app{"kx6500-debug: the KX6500 debugger host. Loads the monitor plug-in, connects to the target on\n"
                 "its serial port (COMn is /dev/ttyS(n-1) unless KX6500MON_COMn names a device), runs commands\n"
                 "from --script or standard input (one per line, '#' starts a comment; 'help' lists them)."};
    app.add_option("--monitor", o.monitor, "the monitor plug-in")->capture_default_str();
    app.add_option("--display", o.display, "the display plug-in (none unless named)");
    app.add_option("--clock", o.clockHz, "target clock in Hz")->capture_default_str();
    app.add_option("--options", o.options, "the monitor's stored option text, e.g. \"-S1 -B57600 -O0\"");
    app.add_option("--script", o.script, "read commands from FILE instead of standard input");
    app.add_flag("--gui", o.gui, "show message boxes and the display's views as windows");
    kxdebug::DisplayOptions display;
    kxdebug::AddDisplayOptions(app, display);
    app.footer("Results go to standard output, progress and messages to standard error.\n"
               "Exit status: 0 success; 1 usage or plug-in errors; 2 a command failed; 3 debugging could not\n"
               "start or a communication failure ended it.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kxdebug::kExitUsage;
    }
    const bool inMemoryTarget = display.InMemoryTarget();
    if (inMemoryTarget && app.count("--monitor")) {
        std::cerr << "kx6500-debug: --sfr-file and --xdata-file replace the monitor; --monitor cannot go with them\n";
        return kxdebug::kExitUsage;
    }
    std::ifstream scriptFile;
    if (!o.script.empty()) {
        scriptFile.open(o.script);
        if (!scriptFile) {
            std::cerr << "kx6500-debug: --script " << o.script << ": cannot be read\n";
            return kxdebug::kExitUsage;
        }
    }
    std::istream& commands = o.script.empty() ? std::cin : scriptFile;

    std::unique_ptr<QApplication> qt;
    std::unique_ptr<kxdebug::HostUi> ui;
    if (o.gui) {
        if (!HaveDisplay()) {
            std::cerr << "kx6500-debug: --gui needs a display\n";
            return kxdebug::kExitUsage;
        }
        qt = std::make_unique<QApplication>(argc, argv);
        ui = std::make_unique<kxdebug::QtUi>();
    } else {
        if (!o.display.empty()) {  // the views live in windows nobody sees
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qt = std::make_unique<QApplication>(argc, argv);
        }
        ui = std::make_unique<kxdebug::ConsoleUi>(std::cerr);
    }

    kxdebug::HostSession session(*ui, std::cout, std::cerr);
    session.AddAfterCommandHandler([&ui] { ui->ProcessEvents(); });
    std::string error;
    if (!inMemoryTarget && !session.LoadMonitor(o.monitor, o.clockHz, o.options, error)) {
        std::cerr << "kx6500-debug: " << error << "\n";
        return kxdebug::kExitUsage;
    }
    session.Record().clockHz = o.clockHz;
    // Before the display side starts: it wraps the monitor's "mem write" to update its views.
    if (!inMemoryTarget) kxdebug::AddDebugCommands(session);
    if (!o.display.empty() && !session.LoadDisplay(o.display, error)) {
        std::cerr << "kx6500-debug: " << error << "\n";
        return kxdebug::kExitUsage;
    }
    kxdebug::DisplaySide displaySide(session, display, o.gui);
    if (!displaySide.Start(error)) {
        std::cerr << "kx6500-debug: " << error << "\n";
        return kxdebug::kExitUsage;
    }
    if (inMemoryTarget) return displaySide.RunCommands(commands);  // no debugging to start or end
    if (!session.StartDebugging()) {
        session.PrintDiagnostic("kx6500-debug: debugging could not start");
        session.EndDebugging();
        return kxdebug::kExitDebugEnded;
    }
    const int status = displaySide.RunCommands(commands);
    session.EndDebugging();
    return status;
}

#pragma once
// The display side of kx6500-debug: the in-memory target that can replace the monitor,
// the access log of the display plug-in's memory calls, the "view", "update" and (on
// the in-memory target) "mem" commands, the update after every memory write, window
// events between commands, and with --gui a small window with the "Peripherals" menu.

#include <CLI/CLI.hpp>

#include <fstream>
#include <istream>
#include <memory>
#include <string>

#include "host/HostSession.h"
#include "host/MemoryTarget.h"

class QMainWindow;

namespace kxdebug {

struct DisplayOptions {
    std::string sfrFile, xdataFile, accessLog;
    bool InMemoryTarget() const { return !sfrFile.empty() || !xdataFile.empty(); }
};

void AddDisplayOptions(CLI::App& app, DisplayOptions& options);

class DisplaySide {
public:
    DisplaySide(HostSession& session, DisplayOptions options, bool gui);
    ~DisplaySide();
    DisplaySide(const DisplaySide&) = delete;
    DisplaySide& operator=(const DisplaySide&) = delete;

    // After the plug-ins are loaded: the target files, the log, the commands and the
    // window; false with the reason when a file cannot be used.
    bool Start(std::string& error);
    // Runs the commands; with windows on a display they stay alive while the host
    // waits for the next line.
    int RunCommands(std::istream& in);
    // The display plug-in's update entry, when one is attached.
    void UpdateViews();

private:
    int Access(bool write, std::uint32_t address, std::uint32_t count, std::uint8_t* buffer);
    void UpdateAfterMonitorWrites();
    void ShowPeripheralsWindow();

    HostSession& session_;
    DisplayOptions options_;
    bool gui_;
    std::unique_ptr<MemoryTarget> target_;
    std::ofstream log_;
    std::unique_ptr<QMainWindow> window_;
};

}  // namespace kxdebug

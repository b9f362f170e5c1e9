#pragma once
// The debugger host: the record the plug-ins get, its memory image, register block,
// breakpoint list and program-counter variable, the callbacks the plug-ins call, the
// start and end of debugging, and the commands.
//
// Other modules extend the host through the command table (Commands().Add), refresh
// handlers (run when the monitor asks the views to refresh) and after-command handlers
// (run after every command, e.g. to process window events).

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "host/PluginLibrary.h"
#include "host/HostUi.h"
#include "host/core/CommandTable.h"
#include "host/core/HostImage.h"
#include "host/kx6500_host.h"

namespace kxdebug {

// Exit statuses of kx6500-debug.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitCommandFailed = 2;
inline constexpr int kExitDebugEnded = 3;

class HostSession {
public:
    HostSession(HostUi& ui, std::ostream& out, std::ostream& err);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Loads the monitor and asks it for its target (EnumUv351 code 2 must answer 8051).
    bool LoadMonitor(const std::string& path, std::uint32_t clockHz, const std::string& optionText, std::string& error);
    // Loads the display plug-in and attaches it to the record (EnumUv351 code 0 must
    // answer 1); it is detached and unloaded when the session ends.
    bool LoadDisplay(const std::string& path, std::string& error);
    // The hand-overs, the feature queries and the start; false when debugging could not
    // start.
    bool StartDebugging();
    // The end of debugging (when it had started) and the line "options TEXT".
    void EndDebugging();
    // Runs commands until quit, end of input, or the end of debugging forced by the
    // plug-in; answers the exit status.
    int RunCommands(std::istream& in);
    // The same, with lines from nextLine (false: end of input).
    int RunCommands(const std::function<bool(std::string&)>& nextLine);
    CommandOutcome RunLine(const std::string& line);

    // One line of results (a line end is added where missing).
    void PrintResult(const std::string& text);
    void PrintDiagnostic(const std::string& text);

    CommandTable& Commands() { return commands_; }
    HostInterface& Record() { return record_; }
    HostImage& Image() { return image_; }
    HostRegisterBlock& Registers() { return registers_; }
    HostBreakpoint*& Breakpoints() { return breakpoints_; }
    std::uint32_t& ProgramCounter() { return pc_; }
    const HostRegisterPage* RegisterPage() const { return registerPage_; }
    MenuEntry* MonitorMenu() const { return monitorMenu_; }
    HostUpdateFn MonitorMenuUpdate() const { return monitorMenuUpdate_; }
    const MonitorApi& Monitor() const { return monitor_; }
    bool HasMonitor() const { return monitor_.Init != nullptr; }
    bool EndRequested() const { return endRequested_; }
    std::string OptionText() const { return optionText_; }
    HostUi& Ui() { return ui_; }
    std::ostream& Out() { return out_; }

    void AddRefreshHandler(std::function<void()> handler) { refreshHandlers_.push_back(std::move(handler)); }
    // What callback 5 does: every view shows the target anew (also after a run or step).
    void RefreshViews() {
        for (auto& handler : refreshHandlers_) handler();
    }
    void AddAfterCommandHandler(std::function<void()> handler) { afterCommand_.push_back(std::move(handler)); }
    // Runs a menu item of the monitor by its caption; false when there is none.
    bool ChooseMonitorMenuItem(const std::string& caption);

    // Where the display plug-in's readMemory and writeMemory go: the monitor's
    // AG_MemAcc (MonitorMemory) unless replaced; an empty function restores it.
    using MemoryFn = std::function<int(bool write, std::uint32_t address, std::uint32_t count, std::uint8_t* buffer)>;
    void SetDisplayMemory(MemoryFn memory) { displayMemory_ = std::move(memory); }
    int MonitorMemory(bool write, std::uint32_t address, std::uint32_t count, std::uint8_t* buffer);
    bool HasDisplay() const { return displayEnum_ != nullptr; }

private:
    static constexpr std::uint32_t kUserMessage = 0x0400 + 0x4D;  // the host's own user message

    // The plug-ins call these plain functions; they find the one session.
    static void PostMessage(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    static std::uint8_t* ImageByte(std::uint32_t address);
    static std::uint16_t* AttributeWord(std::uint32_t address);
    static std::uint32_t MessageBoxFn(const char* text, const char* title, std::uint32_t style);
    static void BeepFn(std::uint32_t hz, std::uint32_t ms);
    static std::intptr_t Callback(std::uint32_t code, void* argument);
    static int ReadMemory(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer);
    static int WriteMemory(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer);
    static HostSession* current_;

    void Progress(const HostProgress& progress);
    void AddBuiltInCommands();

    HostUi& ui_;
    std::ostream& out_;
    std::ostream& err_;
    std::mutex outMutex_;
    HostInterface record_{};
    char optionText_[HOST_OPTION_TEXT_SIZE] = {};
    HostImage image_;
    HostRegisterBlock registers_{};
    HostBreakpoint* breakpoints_ = nullptr;
    std::uint32_t pc_ = 0;
    int mainWindow_ = 0, handleA_ = 0, handleB_ = 0;  // their addresses stand for the windows
    std::uint32_t userMessage_ = kUserMessage;
    HostCallback callback_ = &HostSession::Callback;
    const HostRegisterPage* registerPage_ = nullptr;
    MenuEntry* monitorMenu_ = nullptr;
    HostUpdateFn monitorMenuUpdate_ = nullptr;
    PluginLibrary monitorLibrary_;
    MonitorApi monitor_;
    PluginLibrary displayLibrary_;
    EnumUv351Fn displayEnum_ = nullptr;
    bool started_ = false;
    bool ending_ = false;
    std::atomic<bool> endRequested_{false};
    CommandTable commands_;
    std::vector<std::function<void()>> refreshHandlers_;
    std::vector<std::function<void()>> afterCommand_;
    MemoryFn displayMemory_;
    std::string progressText_;
};

}  // namespace kxdebug

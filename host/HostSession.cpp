#include "host/HostSession.h"

#include <unistd.h>

#include <cstring>

namespace kxdebug {

HostSession* HostSession::current_ = nullptr;

HostSession::HostSession(HostUi& ui, std::ostream& out, std::ostream& err) : ui_(ui), out_(out), err_(err) {
    current_ = this;
    record_.tag = HOST_TAG;
    record_.optionText = optionText_;
    record_.optionTextSize = sizeof optionText_;
    record_.postMessage = &HostSession::PostMessage;
    record_.imageByte = &HostSession::ImageByte;
    record_.attributeWord = &HostSession::AttributeWord;
    record_.registers = &registers_;
    record_.messageBox = &HostSession::MessageBoxFn;
    record_.beep = &HostSession::BeepFn;
    record_.readMemory = &HostSession::ReadMemory;
    record_.writeMemory = &HostSession::WriteMemory;
    AddBuiltInCommands();
}

HostSession::~HostSession() {
    if (displayEnum_) displayEnum_(&record_, 1);
    displayLibrary_.Unload();
    if (current_ == this) current_ = nullptr;
}

bool HostSession::LoadDisplay(const std::string& path, std::string& error) {
    if (!displayLibrary_.Load(path, error)) return false;
    auto attach = reinterpret_cast<EnumUv351Fn>(displayLibrary_.Symbol("EnumUv351", error));
    if (!attach) return false;
    if (const std::int32_t answer = attach(&record_, 0); answer != 1) {
        error = path + ": EnumUv351 answered " + std::to_string(answer) + " to the attach, not 1";
        displayLibrary_.Unload();
        return false;
    }
    displayEnum_ = attach;
    // The display shows new target values whenever the monitor asks the views to refresh.
    AddRefreshHandler([this] {
        if (record_.update) record_.update();
    });
    return true;
}

void HostSession::AddBuiltInCommands() {
    commands_.Add({"echo", "TEXT", "prints TEXT", [](const CommandArgs& args, std::ostream& out, std::string&) {
                       out << args.RestFrom(0) << "\n";
                       return true;
                   }});
    // The line the monitor has the host run after every connect: the debugger shows the
    // code at the program counter; here it only reads it.
    commands_.Add({"U", "$", "reads the program counter (the monitor asks for it after a connect)",
                   [this](const CommandArgs&, std::ostream&, std::string&) {
                       std::uint32_t value = 0;
                       if (HasMonitor() && monitor_.RegAcc(1, 0x500, &value) == AG_OK) pc_ = value & 0xFFFF;
                       return true;
                   }});
}

bool HostSession::LoadMonitor(const std::string& path, std::uint32_t clockHz, const std::string& optionText,
                              std::string& error) {
    if (!monitorLibrary_.Load(path, error)) return false;
    if (!FindMonitorApi(monitorLibrary_, monitor_, error)) {
        monitor_ = {};
        return false;
    }
    record_.clockHz = clockHz;
    std::snprintf(optionText_, sizeof optionText_, "%s", optionText.c_str());
    const std::int32_t target = monitor_.EnumUv351(&record_, 2);
    if (target != static_cast<std::int32_t>(HOST_TARGET_8051)) {
        error = path + ": EnumUv351 answered " + std::to_string(target) + ", not 8051";
        monitor_ = {};
        return false;
    }
    return true;
}

bool HostSession::StartDebugging() {
    const MonitorApi& m = monitor_;
    m.Init(AG_INIT_MAIN_WINDOW, &mainWindow_);
    m.Init(AG_INIT_HANDLE_A, &handleA_);
    m.Init(AG_INIT_HANDLE_B, &handleB_);
    m.Init(AG_INIT_BREAKPOINTS, &breakpoints_);
    m.Init(AG_INIT_PC_VARIABLE, &pc_);
    m.Init(AG_INIT_USER_MESSAGE, &userMessage_);
    m.Init(AG_INIT_CALLBACK, &callback_);
    m.Init(AG_INIT_MENU_TABLE, &monitorMenu_);
    m.Init(AG_INIT_MENU_UPDATE, &monitorMenuUpdate_);
    for (std::uint32_t code = AG_INIT_FEATURE_FIRST; code <= AG_INIT_FEATURE_LAST; ++code) m.Init(code, nullptr);
    started_ = m.Init(AG_INIT_START, nullptr) == 0 && !endRequested_;
    out_.flush();
    return started_;
}

void HostSession::EndDebugging() {
    ending_ = true;
    if (started_) monitor_.Init(AG_INIT_END, nullptr);
    started_ = false;
    PrintResult(std::string("options ") + optionText_);
}

CommandOutcome HostSession::RunLine(const std::string& line) {
    const CommandOutcome outcome = commands_.Run(line, out_);
    for (auto& handler : afterCommand_) handler();
    std::lock_guard lock(outMutex_);
    out_.flush();
    return outcome;
}

int HostSession::RunCommands(std::istream& in) {
    return RunCommands([&in](std::string& line) { return static_cast<bool>(std::getline(in, line)); });
}

int HostSession::RunCommands(const std::function<bool(std::string&)>& nextLine) {
    int status = kExitOk;
    std::string line;
    while (!endRequested_ && nextLine(line)) {
        const CommandOutcome outcome = RunLine(line);
        if (outcome == CommandOutcome::Quit) break;
        if (outcome == CommandOutcome::Failed) status = kExitCommandFailed;
    }
    if (endRequested_) {
        PrintDiagnostic("kx6500-debug: the monitor driver ended debugging");
        return kExitDebugEnded;
    }
    return status;
}

void HostSession::PrintResult(const std::string& text) {
    std::lock_guard lock(outMutex_);
    out_ << text;
    if (text.empty() || text.back() != '\n') out_ << '\n';
    out_.flush();
}

void HostSession::PrintDiagnostic(const std::string& text) { err_ << text << std::endl; }

bool HostSession::ChooseMonitorMenuItem(const std::string& caption) {
    for (MenuEntry* e = monitorMenu_; e && e->kind != MENU_END; ++e) {
        if (e->kind == MENU_ITEM && e->caption && caption == e->caption && e->open) {
            if (monitorMenuUpdate_) monitorMenuUpdate_();
            e->open(e);
            return true;
        }
    }
    return false;
}

void HostSession::Progress(const HostProgress& p) {
    const bool terminal = isatty(STDERR_FILENO) != 0;
    switch (p.job) {
    case HOST_PROGRESS_START:
        progressText_ = p.text ? p.text : "";
        err_ << progressText_ << (terminal ? "" : "\n") << std::flush;
        break;
    case HOST_PROGRESS_POSITION:
        if (terminal) err_ << "\r" << progressText_ << " " << p.position << "/" << p.limit << std::flush;
        break;
    case HOST_PROGRESS_STOP:
        if (terminal) err_ << "\n" << std::flush;
        break;
    default: break;
    }
}

void HostSession::PostMessage(void*, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    HostSession* s = current_;
    if (!s || message != s->userMessage_) return;
    if (wParam == HOST_MSG_OUTPUT && lParam)
        s->PrintResult(reinterpret_cast<const char*>(lParam));
    else if (wParam == HOST_MSG_END_DEBUG && !s->ending_)
        s->endRequested_ = true;
    // HOST_MSG_SERIAL feeds a serial window, which this host does not have.
}

std::uint8_t* HostSession::ImageByte(std::uint32_t address) {
    return current_ ? current_->image_.Byte(address) : nullptr;
}

std::uint16_t* HostSession::AttributeWord(std::uint32_t address) {
    return current_ ? current_->image_.Attribute(address) : nullptr;
}

std::uint32_t HostSession::MessageBoxFn(const char* text, const char* title, std::uint32_t style) {
    if (!current_) return UnattendedAnswer(style);
    return current_->ui_.MessageBox(text ? text : "", title ? title : "", style);
}

void HostSession::BeepFn(std::uint32_t hz, std::uint32_t ms) {
    if (current_) current_->ui_.Beep(hz, ms);
}

std::intptr_t HostSession::Callback(std::uint32_t code, void* argument) {
    HostSession* s = current_;
    if (!s) return 0;
    switch (code) {
    case HOST_CB_PROGRESS:
        if (argument) s->Progress(*static_cast<const HostProgress*>(argument));
        break;
    case HOST_CB_REGISTER_PAGE: s->registerPage_ = static_cast<const HostRegisterPage*>(argument); break;
    case HOST_CB_COMMAND:
        if (argument) s->commands_.Run(static_cast<const char*>(argument), s->out_);
        break;
    case HOST_CB_REFRESH: s->RefreshViews(); break;
    case HOST_CB_NOTICE:
        if (argument && *static_cast<const char*>(argument)) s->PrintDiagnostic(static_cast<const char*>(argument));
        break;
    default: break;
    }
    return 0;
}

// The display plug-in's target access: through the monitor where one is loaded,
// unless another target took its place.
int HostSession::ReadMemory(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    HostSession* s = current_;
    if (!s) return 1;
    return s->displayMemory_ ? s->displayMemory_(false, address, count, buffer)
                             : s->MonitorMemory(false, address, count, buffer);
}

int HostSession::WriteMemory(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    HostSession* s = current_;
    if (!s) return 1;
    return s->displayMemory_ ? s->displayMemory_(true, address, count, buffer)
                             : s->MonitorMemory(true, address, count, buffer);
}

int HostSession::MonitorMemory(bool write, std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) {
    if (!HasMonitor()) return 1;
    HostAddress a{address, 0};
    return monitor_.MemAcc(write ? AG_MEM_WRITE : AG_MEM_READ, buffer, &a, count) == AG_OK ? 0 : 1;
}

}  // namespace kxdebug

#include "monitor/driver/MonitorDriver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "monitor/driver/HostCache.h"
#include "monitor/driver/Messages.h"

namespace kx6500mon {

MonitorDriver* MonitorDriver::current_ = nullptr;

namespace {

// The driver's menu for the host. The host calls an item's open function with the
// entry; the functions find the driver through the one instance the plug-in has.
MenuEntry kMenu[] = {
    {MENU_ITEM, "Invalidate Cache", nullptr, 0, 0, nullptr},
    {MENU_END, nullptr, nullptr, 0, 0, nullptr},
};

}  // namespace

MonitorDriver::MonitorDriver(SerialPort& port, Clock& clock, Notifier& notifier, MonitorTrace& trace,
                             HostLinks& host)
    : notifier_(notifier), link_(port, clock, notifier, trace), commands_(link_), host_(host) {
    current_ = this;
    kMenu[0].open = &MonitorDriver::OpenInvalidateCache;
}

MonitorDriver::~MonitorDriver() {
    if (current_ == this) current_ = nullptr;
}

MenuEntry* MonitorDriver::Menu() { return kMenu; }

std::int32_t MonitorDriver::EnumUv351(HostInterface* host, std::uint32_t code) {
    if (code != 2 || !host) return 0;
    host_.record = host;
    clockHz_ = host->clockHz;
    std::string text;
    if (host->optionText && host->optionTextSize > 0)
        text.assign(host->optionText, strnlen(host->optionText, host->optionTextSize));
    settings_ = ReadOptionText(text, clockHz_);
    return HOST_TARGET_8051;
}

std::uint32_t MonitorDriver::DllUv3Cap(std::uint32_t code, char* /*optionText*/) {
    if (code == 2) return HOST_TARGET_8051;
    return 0;  // the settings dialog (code 1) is not offered yet: nothing is accepted
}

std::uint32_t MonitorDriver::Init(std::uint32_t code, void* argument) {
    std::uint32_t result = 0;
    switch (code) {
    case AG_INIT_START:
        result = StartDebugging() ? 0 : 1;
        break;
    case AG_INIT_MENU_TABLE:
        if (argument) *static_cast<MenuEntry**>(argument) = kMenu;
        break;
    case AG_INIT_MENU_UPDATE:
        if (argument) *static_cast<HostUpdateFn*>(argument) = &MonitorDriver::MenuUpdate;
        break;
    case AG_INIT_HANDLE_A: host_.handleA = argument; break;
    case AG_INIT_MAIN_WINDOW: host_.mainWindow = argument; break;
    case AG_INIT_HANDLE_B: host_.handleB = argument; break;
    case AG_INIT_BREAKPOINTS: host_.breakpoints = static_cast<HostBreakpoint**>(argument); break;
    case AG_INIT_PC_VARIABLE: host_.pcVariable = static_cast<std::uint32_t*>(argument); break;
    case AG_INIT_USER_MESSAGE:
        if (argument) host_.userMessage = *static_cast<const std::uint32_t*>(argument);
        break;
    case AG_INIT_CALLBACK:
        host_.callback = argument ? *static_cast<const HostCallback*>(argument) : nullptr;
        break;
    case AG_INIT_END: EndDebugging(); break;
    case AG_INIT_RESET: ResetTarget(); break;
    default:
        if (code >= AG_INIT_FEATURE_FIRST && code <= AG_INIT_FEATURE_LAST)
            result = (featureMask_ >> ((code & 0xFF) - 1)) & 1;
        break;
    }
    if (link_.Failed()) {
        Disconnect();
        host_.Post(HOST_MSG_END_DEBUG, 0);
    }
    return result;
}

bool MonitorDriver::StartDebugging() {
    {
        std::lock_guard lock(mutex_);
        link_.SetFailed(false);
        featureMask_ = 0;
        running_ = false;
        stopRequest_ = false;
        commands_.Forget();
        InvalidateCaches(true);
        host_.CallbackText(HOST_CB_NOTICE, "");
        if (!OpenLinkAsking() || !ConnectAsking()) return false;
    }
    // The host's command reads registers through the entry points, which take the
    // mutex themselves.
    host_.CallbackText(HOST_CB_COMMAND, "U $\n");
    return true;
}

bool MonitorDriver::OpenLinkAsking() {
    while (!link_.Open(settings_.port, settings_.bitRate))
        if (!notifier_.Show(messages::kPortNotAvailable, Buttons::RetryCancel)) return false;
    return true;
}

bool MonitorDriver::ConnectAsking() {
    while (!ConnectTarget()) {
        if (!notifier_.Show(messages::kCannotConnect, Buttons::RetryCancel)) return false;
        link_.SetFailed(false);
    }
    return true;
}

bool MonitorDriver::ConnectTarget() {
    if (!link_.Connect()) return false;
    commands_.InvalidateSaveArea();
    InvalidateCaches(true);
    host_.Callback(HOST_CB_REFRESH, nullptr);
    return true;
}

void MonitorDriver::EndDebugging() {
    {
        std::lock_guard lock(mutex_);
        link_.SetFailed(true);  // stopping: from here on the entry points do nothing
        UpdateMenuItems();
        link_.Close();
    }
    WriteOptionTextBack();
}

void MonitorDriver::ResetTarget() {
    if (link_.Failed() || !host_.mainWindow) return;
    {
        std::lock_guard lock(mutex_);
        ConnectTarget();
    }
    host_.CallbackText(HOST_CB_COMMAND, "U $\n");
}

void MonitorDriver::Disconnect() { link_.Close(); }

void MonitorDriver::InvalidateCaches(bool code) {
    commands_.InvalidateSaveArea();
    InvalidateDataCache(host_);
    if (code) InvalidateCodeCache(host_);
}

void MonitorDriver::WriteOptionTextBack() {
    HostInterface* record = host_.record;
    if (!record || !record->optionText || record->optionTextSize == 0) return;
    std::snprintf(record->optionText, record->optionTextSize, "%s", WriteOptionText(settings_).c_str());
}

void MonitorDriver::UpdateMenuItems() {
    // Neither item has a state of its own to show: both decide when chosen.
}

void MonitorDriver::InvalidateCacheItem() {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;  // the program runs
    InvalidateCaches(true);
    host_.Callback(HOST_CB_REFRESH, nullptr);
}

void MonitorDriver::OpenInvalidateCache(MenuEntry*) {
    if (current_) current_->InvalidateCacheItem();
}

void MonitorDriver::MenuUpdate() {
    if (current_) current_->UpdateMenuItems();
}

std::uint32_t MonitorDriver::MemAcc(std::uint32_t code, std::uint8_t*, HostAddress* address, std::uint32_t) {
    if (code < AG_MEM_READ || code > AG_MEM_READ_CODE) return AG_UNKNOWN_CODE;
    if (address) address->errorAddress = address->address;
    return AG_NOT_ACCESSIBLE;
}

std::uint32_t MonitorDriver::RegAcc(std::uint32_t code, std::uint32_t, std::uint32_t*) {
    return code == 1 || code == 2 ? AG_NOT_ACCESSIBLE : AG_UNKNOWN_CODE;
}

std::uint32_t MonitorDriver::AllReg(std::uint32_t code) {
    return code == 1 || code == 2 ? AG_NOT_ACCESSIBLE : AG_UNKNOWN_CODE;
}

std::uint32_t MonitorDriver::MemAtt(std::uint32_t code, HostAttributeRequest*) { return code == 2 ? 1 : 0; }

std::uint32_t MonitorDriver::BpInfo(std::uint32_t, HostBreakpoint*, std::uint32_t) { return 0; }

std::uint32_t MonitorDriver::BreakFunc(std::uint32_t, HostBreakpoint*, std::uint32_t) { return 0; }

std::uint32_t MonitorDriver::GoStep(std::uint32_t, std::uint32_t, std::uint32_t) { return 0; }

std::uint32_t MonitorDriver::Serial(std::uint32_t code, std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    if (code == 1) {
        serialValues_[0] = a;
        serialValues_[1] = b;
        serialValues_[2] = c;
        host_.Post(HOST_MSG_SERIAL, reinterpret_cast<std::intptr_t>(serialValues_));
    }
    return 0;
}

}  // namespace kx6500mon

#include "monitor/driver/MonitorDriver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/SerialTiming.h"
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
    : notifier_(notifier),
      clock_(clock),
      link_(port, clock, notifier, trace),
      commands_(link_),
      host_(host),
      cache_(host),
      breakpoints_(host, cache_, patch_),
      memory_(commands_, cache_, map_, patch_, host),
      registers_(commands_, memory_),
      run_({link_, commands_, memory_, registers_, map_, breakpoints_, host, clock, stopRequest_},
           [this] { InvalidateAfterRun(); }, [this](const char* command) { RunBreakpointCommand(command); }) {
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
        bool removed = true;
        {
            std::lock_guard lock(mutex_);
            removed = Disconnect();
        }
        if (!removed) notifier_.Show(messages::kCouldNotRemoveBreakpoints, Buttons::Ok);
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
        const tessary::SerialTiming timing = tessary::SerialTimingFromClock(clockHz_ / 1e6);
        patch_.Initialise(static_cast<std::uint8_t>(timing.reload), static_cast<std::uint8_t>(timing.clockByte));
        map_.Clear();
        page_.Forget();
        InvalidateCaches(true);
        host_.CallbackText(HOST_CB_NOTICE, "");
        if (!OpenLinkAsking() || !ConnectAsking()) return false;
    }
    // The host's views and its command read the target through the entry points, which
    // take the mutex themselves.
    RefreshHost();
    host_.Callback(HOST_CB_REGISTER_PAGE, const_cast<HostRegisterPage*>(&Page()));
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

// The caller tells the host to refresh its views once the mutex is free.
bool MonitorDriver::ConnectTarget() {
    if (!link_.Connect()) return false;
    commands_.InvalidateSaveArea();
    InvalidateCaches(true);
    return true;
}

void MonitorDriver::EndDebugging() {
    bool removed = true;
    {
        std::lock_guard lock(mutex_);
        link_.SetFailed(true);  // stopping: from here on the entry points do nothing
        UpdateMenuItems();
        removed = Disconnect();
    }
    if (!removed) notifier_.Show(messages::kCouldNotRemoveBreakpoints, Buttons::Ok);
    WriteOptionTextBack();
}

void MonitorDriver::ResetTarget() {
    if (link_.Failed() || !host_.mainWindow) return;
    bool connected = false;
    {
        std::lock_guard lock(mutex_);
        connected = ConnectTarget();
    }
    if (connected) RefreshHost();
    host_.CallbackText(HOST_CB_COMMAND, "U $\n");
}

bool MonitorDriver::Disconnect() {
    bool removed = true;
    if (link_.IsOpen()) {
        removed = memory_.ApplyBreakpoints({}) == PageWrite::Ok;
        link_.Close();
    }
    return removed;
}

void MonitorDriver::InvalidateCaches(bool code) {
    commands_.InvalidateSaveArea();
    cache_.InvalidateData();
    if (code) cache_.InvalidateCode();
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
    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;  // the program runs
    InvalidateCaches(true);
    lock.unlock();
    RefreshHost();
}

void MonitorDriver::OpenInvalidateCache(MenuEntry*) {
    if (current_) current_->InvalidateCacheItem();
}

void MonitorDriver::MenuUpdate() {
    if (current_) current_->UpdateMenuItems();
}

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

#pragma once
// The driver state behind the debugger entry points: settings, host links, the
// communication-failed flag, the start and end of debugging, the target reset, the
// hand-overs and feature queries, and the menu. The exports forward here.
//
// One mutex serialises every use of the link; a run or step holds it for its whole
// duration while memory and register calls only try it.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "monitor/core/MonitorCommands.h"
#include "monitor/core/MonitorLink.h"
#include "monitor/core/TargetSettings.h"
#include "monitor/driver/HostLinks.h"

namespace kx6500mon {

class MonitorDriver {
public:
    // The host links are shared with the notifier, which shows its boxes through the host.
    MonitorDriver(SerialPort& port, Clock& clock, Notifier& notifier, MonitorTrace& trace, HostLinks& host);
    ~MonitorDriver();
    MonitorDriver(const MonitorDriver&) = delete;
    MonitorDriver& operator=(const MonitorDriver&) = delete;

    std::int32_t EnumUv351(HostInterface* host, std::uint32_t code);
    std::uint32_t DllUv3Cap(std::uint32_t code, char* optionText);
    std::uint32_t Init(std::uint32_t code, void* argument);
    std::uint32_t MemAcc(std::uint32_t code, std::uint8_t* buffer, HostAddress* address, std::uint32_t count);
    std::uint32_t RegAcc(std::uint32_t code, std::uint32_t number, std::uint32_t* value);
    std::uint32_t AllReg(std::uint32_t code);
    std::uint32_t MemAtt(std::uint32_t code, HostAttributeRequest* request);
    std::uint32_t BpInfo(std::uint32_t code, HostBreakpoint* bp, std::uint32_t address);
    std::uint32_t BreakFunc(std::uint32_t code, HostBreakpoint* bp, std::uint32_t address);
    std::uint32_t GoStep(std::uint32_t code, std::uint32_t count, std::uint32_t address);
    std::uint32_t Serial(std::uint32_t code, std::uint32_t a, std::uint32_t b, std::uint32_t c);

    const HostLinks& Host() const { return host_; }
    const TargetSettings& Settings() const { return settings_; }
    MonitorLink& Link() { return link_; }
    MonitorCommands& Commands() { return commands_; }
    MenuEntry* Menu();

private:
    bool StartDebugging();
    void EndDebugging();
    void ResetTarget();
    bool OpenLinkAsking();
    bool ConnectAsking();
    bool ConnectTarget();
    void Disconnect();
    void InvalidateCaches(bool code);
    void WriteOptionTextBack();
    void InvalidateCacheItem();
    void UpdateMenuItems();

    static void OpenInvalidateCache(MenuEntry* entry);
    static void MenuUpdate();
    static MonitorDriver* current_;

    Notifier& notifier_;
    MonitorLink link_;
    MonitorCommands commands_;
    HostLinks& host_;
    TargetSettings settings_;
    double clockHz_ = 0;
    std::uint32_t featureMask_ = 0;
    std::mutex mutex_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequest_{false};
    std::uint32_t serialValues_[3] = {0, 0, 0};
};

}  // namespace kx6500mon

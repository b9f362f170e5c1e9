#pragma once
// The driver state behind the debugger entry points: settings, host links, the
// communication-failed flag, the start and end of debugging, the target reset, the
// hand-overs and feature queries, the menu, and the memory, register, breakpoint, run
// and step calls. The exports forward here.
//
// One mutex serialises every use of the link; a run or step holds it for its whole
// duration while memory and register calls only try it and answer from the cache.
// Host callbacks that may call back in (refresh, command lines) and message boxes are
// only made with the mutex released.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "monitor/core/MonitorCommands.h"
#include "monitor/core/MonitorLink.h"
#include "monitor/core/TargetSettings.h"
#include "monitor/driver/BreakpointMap.h"
#include "monitor/driver/HostBreakpoints.h"
#include "monitor/driver/HostCache.h"
#include "monitor/driver/HostLinks.h"
#include "monitor/driver/RegisterPage.h"
#include "monitor/driver/RunControl.h"
#include "monitor/driver/TargetMemory.h"
#include "monitor/driver/TargetRegisters.h"
#include "monitor/driver/VectorPatch.h"

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

    // The register page's callbacks.
    std::uint32_t PageRead(std::uint32_t id, char* text, std::uint32_t size);
    std::uint32_t PageWrite(std::uint32_t id, std::uint32_t value);
    static const HostRegisterPage& Page();

    // Sets the stop request without waiting for the run to end (AG_GoStep code 1 waits).
    void RequestStop() { stopRequest_ = true; }
    bool Running() const { return running_; }

    const HostLinks& Host() const { return host_; }
    const TargetSettings& Settings() const { return settings_; }
    MonitorLink& Link() { return link_; }
    MonitorCommands& Commands() { return commands_; }
    const BreakpointMap& Breakpoints() const { return map_; }
    MenuEntry* Menu();

private:
    using Lock = std::unique_lock<std::mutex>;

    bool StartDebugging();
    void EndDebugging();
    void ResetTarget();
    bool OpenLinkAsking();
    bool ConnectAsking();
    bool ConnectTarget();
    // Removes the breakpoints from the flash (when the link is open) and closes it;
    // false when the flash kept some.
    bool Disconnect();
    void InvalidateCaches(bool code);
    void InvalidateAfterRun() { InvalidateCaches(settings_.ClearCodeCache()); }
    void WriteOptionTextBack();
    void InvalidateCacheItem();
    void UpdateMenuItems();
    // After a target access with the mutex held: a failed link ends debugging (message,
    // end notification); otherwise the host's views are refreshed when the access asked
    // for it. Releases the mutex.
    void AfterAccess(Lock& lock);
    void RefreshHost() { host_.Callback(HOST_CB_REFRESH, nullptr); }
    void RunBreakpointCommand(const char* command);
    // The host's register block is read and written by whichever thread calls in: the
    // driver fills a copy from the target and puts it in place under a lock of its own.
    HostRegisterBlock& Block();
    HostRegisterBlock CopyBlock();
    void StoreBlock(const HostRegisterBlock& block);
    bool RefreshBlock();

    static void OpenInvalidateCache(MenuEntry* entry);
    static void MenuUpdate();
    static std::uint32_t PageReadFn(std::uint32_t id, char* text, std::uint32_t size);
    static std::uint32_t PageWriteFn(std::uint32_t id, std::uint32_t value);
    static MonitorDriver* current_;

    Notifier& notifier_;
    Clock& clock_;
    MonitorLink link_;
    MonitorCommands commands_;
    HostLinks& host_;
    TargetSettings settings_;
    double clockHz_ = 0;
    std::uint32_t featureMask_ = 0;
    std::mutex mutex_;
    std::mutex blockMutex_;  // the host's register block and the register page's marks
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> refreshing_{false};
    bool refreshPending_ = false;  // under the mutex
    Lock* runLock_ = nullptr;      // the run's hold on the mutex, let go for breakpoint commands
    std::uint32_t serialValues_[3] = {0, 0, 0};

    HostCache cache_;
    VectorPatch patch_;
    BreakpointMap map_;
    HostBreakpoints breakpoints_;
    TargetMemory memory_;
    TargetRegisters registers_;
    RegisterPage page_;
    HostRegisterBlock ownBlock_{};  // when the host has no register block
    RunControl run_;
};

}  // namespace kx6500mon

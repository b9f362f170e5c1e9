#pragma once
// A plug-in loaded by file name, and the monitor's entry points found in it.

#include <string>

#include "host/kx6500_host.h"

namespace kxdebug {

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool Load(const std::string& path, std::string& error);
    // The address of an export, or null with error naming it.
    void* Symbol(const char* name, std::string& error) const;
    void Unload();
    const std::string& Path() const { return path_; }

private:
    void* handle_ = nullptr;
    std::string path_;
};

struct MonitorApi {
    EnumUv351Fn EnumUv351 = nullptr;
    DllUv3CapFn DllUv3Cap = nullptr;
    AgInitFn Init = nullptr;
    AgMemAccFn MemAcc = nullptr;
    AgRegAccFn RegAcc = nullptr;
    AgAllRegFn AllReg = nullptr;
    AgMemAttFn MemAtt = nullptr;
    AgBpInfoFn BpInfo = nullptr;
    AgBreakFuncFn BreakFunc = nullptr;
    AgGoStepFn GoStep = nullptr;
    AgSerialFn Serial = nullptr;
    AgHistFuncFn HistFunc = nullptr;
};

// Every export the monitor must have; false with the first one missing named.
bool FindMonitorApi(const PluginLibrary& library, MonitorApi& api, std::string& error);

// The library folder beside the program: <program folder>/../lib.
std::string LibraryFolder();

}  // namespace kxdebug

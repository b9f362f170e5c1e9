#pragma once
// Everything the port driver logic asks of the operating system, in the shape of the
// operations it was designed around: version, global names, the driver file, the
// service manager, the driver device and message boxes. The Linux implementation maps
// them onto ppdev and the virtual port; tests use a fake that behaves like the
// originals.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "lptlink/core/PortDriverRequest.h"

namespace lptlink {

using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;  // device handles
inline constexpr Handle kNoHandle = 0;        // service manager handles

// A process-shared table of names with reference counts.
class GlobalNameTable {
public:
    virtual ~GlobalNameTable() = default;
    virtual std::uint16_t Find(const std::string& name) = 0;  // 0: absent
    virtual std::uint16_t Add(const std::string& name) = 0;   // one more reference
    virtual void Delete(std::uint16_t atom) = 0;              // one reference less
};

enum class StartResult { Started, AlreadyRunning, Failed };
enum class CreateResult { Created, AlreadyExists, Failed };

class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    static constexpr std::uint32_t kFullManagerAccess = 0xF003F;
    virtual Handle OpenManager(std::uint32_t access) = 0;  // kNoHandle on failure
    virtual StartResult Start(Handle manager, const std::string& service) = 0;
    virtual CreateResult Create(Handle manager, const std::string& service, const std::string& displayName,
                                const std::string& binaryPath) = 0;
    virtual void Stop(Handle manager, const std::string& service) = 0;
    virtual void Remove(Handle manager, const std::string& service) = 0;
    virtual void CloseManager(Handle manager) = 0;
};

enum class DeviceOpenMode {
    OlderFamily,  // no access rights, shared, delete on close
    ReadWrite,    // read and write, exclusive, existing only
};

class DriverDeviceAccess {
public:
    virtual ~DriverDeviceAccess() = default;
    virtual Handle OpenDevice(const std::string& path, DeviceOpenMode mode) = 0;  // kInvalidHandle on failure
    virtual bool IoControl(Handle device, std::uint32_t code, PortDriverRequest& block) = 0;
    virtual bool ReadMapped(Handle device, std::uint32_t linear, std::span<std::uint8_t> out) = 0;
    virtual bool CloseDevice(Handle device) = 0;
    // The fast path: a port register without a request block.
    virtual std::uint8_t DirectRead(Handle device, std::uint16_t address) = 0;
    virtual void DirectWrite(Handle device, std::uint16_t address, std::uint8_t value) = 0;
};

class DriverFiles {
public:
    virtual ~DriverFiles() = default;
    virtual std::string SystemDirectory() = 0;
    virtual std::string WindowsDirectory() = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Write(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
    virtual std::optional<std::vector<std::uint8_t>> Resource(const std::string& type, int id) = 0;
    [[noreturn]] virtual void ExitProcess(int code) = 0;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual bool OlderFamily() = 0;
    virtual GlobalNameTable& Names() = 0;
    virtual ServiceManager& Services() = 0;
    virtual DriverDeviceAccess& Devices() = 0;
    virtual DriverFiles& Files() = 0;
    virtual tessary::MessageSink& Messages() = 0;
};

}  // namespace lptlink

#pragma once
// The port driver's platform on Linux. The kernel's ppdev driver is the "service" and
// the driver file: both are simply there. The driver device is a port back end chosen
// by LPTLINK_DRIVER: ppdev for real ports, sim for the virtual port (and the virtual
// port automatically on a machine without any parallel port).

#include <map>
#include <memory>
#include <mutex>

#include "lptlink/core/MicrosecondWait.h"
#include "lptlink/core/PreciseSleep.h"
#include "lptlink/core/Platform.h"
#include "lptlink/core/PortDriverDevice.h"
#include "lptlink/linux/FileNameTable.h"
#include "sim/VirtualPort.h"

namespace lptlink {

class LinuxDevices : public DriverDeviceAccess {
public:
    Handle OpenDevice(const std::string& path, DeviceOpenMode mode) override;
    bool IoControl(Handle device, std::uint32_t code, PortDriverRequest& block) override;
    bool ReadMapped(Handle device, std::uint32_t linear, std::span<std::uint8_t> out) override;
    bool CloseDevice(Handle device) override;
    std::uint8_t DirectRead(Handle device, std::uint16_t address) override;
    void DirectWrite(Handle device, std::uint16_t address, std::uint8_t value) override;

    // The virtual port while the sim driver is open, else nullptr.
    sim::VirtualPort* VirtualPort() { return virtualPort_; }

private:
    PortDriverDevice* Find(Handle device);
    std::unique_ptr<PortBackend> OpenBackend();

    std::map<Handle, std::unique_ptr<PortDriverDevice>> devices_;
    Handle next_ = 1;
    sim::VirtualPort* virtualPort_ = nullptr;
    Handle virtualPortHandle_ = kInvalidHandle;
};

class LinuxServices : public ServiceManager {
public:
    Handle OpenManager(std::uint32_t access) override;
    StartResult Start(Handle manager, const std::string& service) override;
    CreateResult Create(Handle manager, const std::string& service, const std::string& displayName,
                        const std::string& binaryPath) override;
    void Stop(Handle, const std::string&) override {}
    void Remove(Handle, const std::string&) override {}
    void CloseManager(Handle) override {}
};

class LinuxFiles : public DriverFiles {
public:
    std::string SystemDirectory() override { return "/lib/modules"; }
    std::string WindowsDirectory() override { return "/"; }
    bool Exists(const std::string&) override { return true; }
    bool Write(const std::string&, std::span<const std::uint8_t>) override { return false; }
    std::optional<std::vector<std::uint8_t>> Resource(const std::string&, int) override { return std::nullopt; }
    [[noreturn]] void ExitProcess(int code) override;
};

// Message boxes of a library: the studio installs its own sink; without one, a line
// on standard error.
class LibraryMessages : public tessary::MessageSink {
public:
    void Show(const tessary::UserMessage& message) override;
    bool Ask(const tessary::UserMessage& question) override;
    void SetSink(tessary::MessageSink* sink) { sink_ = sink; }
    tessary::MessageSink* Sink() const { return sink_; }

private:
    tessary::StderrMessageSink fallback_;
    tessary::MessageSink* sink_ = nullptr;
};

class LinuxPlatform : public Platform {
public:
    bool OlderFamily() override { return false; }
    GlobalNameTable& Names() override { return names_; }
    ServiceManager& Services() override { return services_; }
    LinuxDevices& Devices() override { return devices_; }
    DriverFiles& Files() override { return files_; }
    LibraryMessages& Messages() override { return messages_; }

private:
    FileNameTable names_;
    LinuxServices services_;
    LinuxDevices devices_;
    LinuxFiles files_;
    LibraryMessages messages_;
};

class MonotonicCounter : public PerformanceCounter {
public:
    bool Frequency(std::uint64_t& ticksPerSecond) override;
    std::uint64_t Now() override;
};

// CLOCK_MONOTONIC and clock_nanosleep to an absolute deadline on it, with the
// thread's timer slack lowered to 1 ns for the sleep: the default 50 us slack would
// let the kernel end every pause that much late.
class MonotonicSleepClock : public SleepClock {
public:
    std::uint64_t NowNs() override;
    void SleepUntilNs(std::uint64_t deadline) override;
};

}  // namespace lptlink

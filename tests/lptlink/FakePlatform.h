#pragma once
// A platform that behaves like the originals: a service manager whose services exist
// or not and run or not, a driver device that opens only while its service runs, a
// reference-counted name table, and a record of every call in order.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "lptlink/core/Platform.h"
#include "lptlink/core/PortDriverDevice.h"

namespace lptlink::testing {

struct ProcessExit : std::runtime_error {
    explicit ProcessExit(int c) : std::runtime_error("exit"), code(c) {}
    int code;
};

// Port registers in memory, with every access recorded.
class MemoryBackend : public PortBackend {
public:
    explicit MemoryBackend(std::array<std::uint16_t, 3> table, std::vector<std::string>* log)
        : table_(table), log_(log) {}
    std::uint8_t Read(std::uint16_t address) override {
        log_->push_back("read " + std::to_string(address));
        return registers_[address];
    }
    void Write(std::uint16_t address, std::uint8_t value) override {
        log_->push_back("write " + std::to_string(address) + "=" + std::to_string(value));
        registers_[address] = value;
    }
    std::array<std::uint16_t, 3> BiosTable() const override { return table_; }
    std::map<std::uint16_t, std::uint8_t>& Registers() { return registers_; }

private:
    std::array<std::uint16_t, 3> table_;
    std::vector<std::string>* log_;
    std::map<std::uint16_t, std::uint8_t> registers_;
};

class FakePlatform : public Platform,
                     public GlobalNameTable,
                     public ServiceManager,
                     public DriverDeviceAccess,
                     public DriverFiles {
public:
    // The world before the library runs.
    bool older = false;
    bool serviceExists = true;
    bool serviceRunning = true;
    bool serviceStartable = true;  // an existing service that can be started
    bool managerAvailable = true;
    bool deviceClosable = true;
    bool mapWorks = true;
    std::array<std::uint16_t, 3> biosTable{0x378, 0, 0};
    std::map<std::string, std::vector<std::uint8_t>> files;
    bool filesWritable = true;
    std::map<std::string, int> names;
    // Another process registers the name at the n-th lookup that finds it absent.
    int registerAtAbsentLookup = 0;

    std::vector<std::string> calls;
    tessary::RecordingMessageSink messages;
    MemoryBackend* backend = nullptr;
    int deviceOpens = 0;

    // Platform
    bool OlderFamily() override { return older; }
    GlobalNameTable& Names() override { return *this; }
    ServiceManager& Services() override { return *this; }
    DriverDeviceAccess& Devices() override { return *this; }
    DriverFiles& Files() override { return *this; }
    tessary::MessageSink& Messages() override { return messages; }

    // GlobalNameTable
    std::uint16_t Find(const std::string& name) override {
        const auto it = names.find(name);
        if (it == names.end() && registerAtAbsentLookup > 0 && --registerAtAbsentLookup == 0) {
            names[name] = 1;
            return 0xC001;
        }
        return it != names.end() && it->second > 0 ? 0xC001 : 0;
    }
    std::uint16_t Add(const std::string& name) override {
        ++names[name];
        return 0xC001;
    }
    void Delete(std::uint16_t) override {
        for (auto it = names.begin(); it != names.end(); ++it) {
            if (--it->second <= 0) names.erase(it);
            break;
        }
    }

    // ServiceManager
    Handle OpenManager(std::uint32_t access) override {
        calls.push_back("scm open " + std::to_string(access));
        return managerAvailable ? 77 : kNoHandle;
    }
    StartResult Start(Handle, const std::string& service) override {
        calls.push_back("start " + service);
        if (!serviceExists || !serviceStartable) return StartResult::Failed;
        if (serviceRunning) return StartResult::AlreadyRunning;
        serviceRunning = true;
        return StartResult::Started;
    }
    CreateResult Create(Handle, const std::string& service, const std::string& display,
                        const std::string& binary) override {
        calls.push_back("create " + service + " " + display + " " + binary);
        if (serviceExists) return CreateResult::AlreadyExists;
        serviceExists = true;
        serviceStartable = true;
        return CreateResult::Created;
    }
    void Stop(Handle, const std::string& service) override {
        calls.push_back("stop " + service);
        serviceRunning = false;
    }
    void Remove(Handle, const std::string& service) override {
        calls.push_back("delete " + service);
        serviceExists = false;
    }
    void CloseManager(Handle) override { calls.push_back("scm close"); }

    // DriverDeviceAccess
    Handle OpenDevice(const std::string& path, DeviceOpenMode mode) override {
        calls.push_back("device open " + path);
        const bool reachable = older ? mode == DeviceOpenMode::OlderFamily : serviceRunning;
        if (!reachable || device_) return kInvalidHandle;
        ++deviceOpens;
        auto b = std::make_unique<MemoryBackend>(biosTable, &calls);
        backend = b.get();
        device_ = std::make_unique<PortDriverDevice>(std::move(b), older);
        return 5;
    }
    bool IoControl(Handle device, std::uint32_t code, PortDriverRequest& block) override {
        calls.push_back("ioctl " + std::to_string(code));
        if (device != 5 || !device_) return false;
        if (!mapWorks && code == RequestCode(kMapMemory, older)) return false;
        return device_->IoControl(code, block);
    }
    bool ReadMapped(Handle device, std::uint32_t linear, std::span<std::uint8_t> out) override {
        return device == 5 && device_ && device_->ReadMapped(linear, out);
    }
    std::uint8_t DirectRead(Handle device, std::uint16_t address) override {
        return device == 5 && device_ ? device_->Backend().Read(address) : 0xFF;
    }
    void DirectWrite(Handle device, std::uint16_t address, std::uint8_t value) override {
        if (device == 5 && device_) device_->Backend().Write(address, value);
    }

    // DriverFiles
    std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM32"; }
    std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    bool Write(const std::string& path, std::span<const std::uint8_t> bytes) override {
        calls.push_back("write file " + path);
        if (!filesWritable) return false;
        files[path] = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
        return true;
    }
    std::optional<std::vector<std::uint8_t>> Resource(const std::string& type, int id) override {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(type.size())};
    }
    [[noreturn]] void ExitProcess(int code) override { throw ProcessExit(code); }

    bool DeviceOpen() const { return device_ != nullptr; }

    bool CloseDevice(Handle device) override {
        calls.push_back("device close");
        if (device != 5 || !device_) return false;
        if (!deviceClosable) return false;
        device_.reset();
        backend = nullptr;
        return true;
    }

private:
    std::unique_ptr<PortDriverDevice> device_;
};

}  // namespace lptlink::testing

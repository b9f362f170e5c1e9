#include "lptlink/core/PortDriver.h"

namespace lptlink {

namespace {
constexpr int kMaxMarkerDeletes = 0x10000;  // a table that never lets go must not hang us
constexpr std::size_t kSystemDirectoryBuffer = 240;
}  // namespace

PortDriver::PortDriver(Platform& platform) : platform_(platform), olderFamily_(platform.OlderFamily()) {
    ResetState();
}

void PortDriver::ResetState() {
    state_.device = kInvalidHandle;
    state_.servicePreInstalled = 1;
    state_.servicePreRunning = 1;
    state_.open = 0;
    state_.request.Clear();
}

void PortDriver::Fail(const char* text, const char* title) {
    platform_.Messages().Show({text, title, tessary::MessageIcon::None});
}

void PortDriver::RemoveMarker() {
    GlobalNameTable& names = platform_.Names();
    for (int i = 0; i < kMaxMarkerDeletes; ++i) {
        const std::uint16_t atom = names.Find(kMarkerName);
        if (atom == 0) return;
        names.Delete(atom);
    }
}

bool PortDriver::EnsureDriverFile() {
    DriverFiles& files = platform_.Files();
    std::string system = files.SystemDirectory();
    if (system.size() >= kSystemDirectoryBuffer) system.resize(kSystemDirectoryBuffer - 1);
    if (olderFamily_) {
        const std::string path = system + "\\tvicport.vxd";
        if (!files.Exists(path)) {
            // A missing resource or a failed write is an internal fault without a message.
            if (const auto bytes = files.Resource("BLOB", 1003)) files.Write(path, *bytes);
        }
        return true;
    }
    const std::string path = system + "\\drivers\\tvicport.sys";
    if (files.Exists(path)) return true;
    const auto bytes = files.Resource("BLOB", 1002);
    if (!bytes) return true;
    if (!files.Write(path, *bytes)) {
        Fail(("Filename is \"" + path + "\"").c_str(), "Error!");
        files.ExitProcess(1);
    }
    return true;
}

int PortDriver::Init() {
    RemoveMarker();
    if (platform_.Names().Find(kMarkerName) != 0) {
        Fail(kInUseMessage, kDriverTitle);
        return 0;
    }
    platform_.Names().Add(kMarkerName);
    EnsureDriverFile();
    if (!state_.open && !OpenDriver()) {
        Fail(kLoadFailedMessage, kDriverTitle);
        return 0;
    }
    initialised_ = true;
    return 1;
}

bool PortDriver::OpenDriver() {
    if (state_.open) return true;
    ResetState();
    OpenSequence();
    if (state_.device == kInvalidHandle) {
        CloseSequence();
        OpenSequence();
    }
    state_.portCount = 0;
    state_.currentBase = 0x378;
    state_.currentIndex = 1;
    state_.open = state_.device != kInvalidHandle ? 1 : 0;
    if (!state_.open) return false;

    state_.request.SetWord(PortDriverRequest::kPhysicalAddress, 0x408);
    state_.request.SetWord(PortDriverRequest::kMapLength, 6);
    state_.havePortTable = false;
    DriverDeviceAccess& devices = platform_.Devices();
    if (devices.IoControl(state_.device, Code(kMapMemory), state_.request)) {
        const std::uint32_t linear = state_.request.Word(PortDriverRequest::kLinearAddress);
        std::uint8_t bytes[6];
        if (linear != 0 && devices.ReadMapped(state_.device, linear, bytes)) {
            for (std::size_t i = 0; i < 3; ++i)
                state_.portTable[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
            state_.havePortTable = true;
        }
    }
    // Without a table the library knows no ports: one port is reported, at 0x378.
    if (!state_.havePortTable) return true;
    for (std::uint16_t word : state_.portTable)
        if (word != 0) ++state_.portCount;
    state_.currentBase = state_.portTable[0];
    state_.currentIndex = 1;
    return true;
}

void PortDriver::OpenDevice() {
    state_.device = platform_.Devices().OpenDevice("\\\\.\\TVICPORT", DeviceOpenMode::ReadWrite);
}

void PortDriver::OpenSequence() {
    CloseSequence();
    if (olderFamily_) {
        state_.device = platform_.Devices().OpenDevice("\\\\.\\TVICPORT.VXD", DeviceOpenMode::OlderFamily);
        return;
    }
    state_.servicePreInstalled = 1;
    state_.servicePreRunning = 1;
    OpenDevice();
    if (state_.device != kInvalidHandle) return;

    state_.servicePreRunning = 0;
    ServiceManager& services = platform_.Services();
    state_.serviceManager = services.OpenManager(ServiceManager::kFullManagerAccess);
    if (state_.serviceManager == kNoHandle) return;
    if (services.Start(state_.serviceManager, kServiceName) != StartResult::Failed) {
        OpenDevice();
    } else {
        state_.servicePreInstalled = 0;
        const std::string binary = platform_.Files().WindowsDirectory() + "\\SYSTEM32\\DRIVERS\\TVICPORT.SYS";
        if (services.Create(state_.serviceManager, kServiceName, kServiceName, binary) != CreateResult::Failed &&
            services.Start(state_.serviceManager, kServiceName) != StartResult::Failed)
            OpenDevice();
    }
    services.CloseManager(state_.serviceManager);
    state_.serviceManager = kNoHandle;
}

void PortDriver::CloseSequence() {
    if (state_.device != kInvalidHandle && platform_.Devices().CloseDevice(state_.device)) state_.device = kInvalidHandle;
    if (olderFamily_ || state_.servicePreRunning) return;
    ServiceManager& services = platform_.Services();
    state_.serviceManager = services.OpenManager(ServiceManager::kFullManagerAccess);
    if (state_.serviceManager == kNoHandle) return;
    services.Stop(state_.serviceManager, kServiceName);
    if (!state_.servicePreInstalled) services.Remove(state_.serviceManager, kServiceName);
    services.CloseManager(state_.serviceManager);
    state_.serviceManager = kNoHandle;
}

int PortDriver::Release() {
    RemoveMarker();
    if (!initialised_) return 1;
    if (state_.open) {
        state_.open = 0;
        CloseSequence();
    }
    // A device that refused to close still counts as open.
    if (state_.device != kInvalidHandle) {
        state_.open = 1;
        Fail(kReleaseFailedMessage, kDriverTitle);
        return 0;
    }
    initialised_ = false;
    return 1;
}

int PortDriver::Read(int address) {
    if (!initialised_) return 0;
    if (!state_.open) return 0xFF;
    state_.request.SetWord(PortDriverRequest::kPort, static_cast<std::uint16_t>(address));
    platform_.Devices().IoControl(state_.device, Code(kReadPort), state_.request);
    return static_cast<int>(state_.request.Word(PortDriverRequest::kData) & 0xFF);
}

void PortDriver::Write(int address, int value) {
    if (!initialised_ || !state_.open) return;
    state_.request.SetWord(PortDriverRequest::kPort, static_cast<std::uint16_t>(address));
    state_.request.SetWord(PortDriverRequest::kData, static_cast<std::uint32_t>(value) & 0xFF);
    platform_.Devices().IoControl(state_.device, Code(kWritePort), state_.request);
}

int PortDriver::GetNumParPorts() const { return state_.portCount <= 1 ? 1 : state_.portCount; }

int PortDriver::GetParPortBaseAdr(int index) {
    if (state_.open && index >= 1 && index <= state_.portCount && state_.havePortTable) {
        state_.currentBase = state_.portTable[static_cast<std::size_t>(index - 1)];
        state_.currentIndex = static_cast<std::uint8_t>(index);
    }
    return state_.currentBase;
}

int PortDriver::DirectRead(int address) {
    if (!initialised_ || !state_.open) return 0xFF;
    return platform_.Devices().DirectRead(state_.device, static_cast<std::uint16_t>(address));
}

void PortDriver::DirectWrite(int address, int value) {
    if (!initialised_ || !state_.open) return;
    platform_.Devices().DirectWrite(state_.device, static_cast<std::uint16_t>(address),
                                    static_cast<std::uint8_t>(value));
}

}  // namespace lptlink

#include "lptlink/linux/LinuxPlatform.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "lptlink/linux/PpdevBackend.h"

namespace lptlink {

namespace {

const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Each notice once per process: the open sequence may try the device several times.
void NoticeOnce(bool& said, const std::string& text) {
    if (said) return;
    said = true;
    std::fprintf(stderr, "lptlink: %s\n", text.c_str());
}

class SimBackend : public PortBackend {
public:
    explicit SimBackend(std::unique_ptr<sim::VirtualPort> port) : port_(std::move(port)) {}
    std::uint8_t Read(std::uint16_t address) override { return port_->Read(address); }
    void Write(std::uint16_t address, std::uint8_t value) override { port_->Write(address, value); }
    std::array<std::uint16_t, 3> BiosTable() const override { return port_->Table(); }
    sim::VirtualPort* Port() { return port_.get(); }

private:
    std::unique_ptr<sim::VirtualPort> port_;
};

std::unique_ptr<SimBackend> OpenSim() {
    static bool badPorts = false, badBoard = false, badVcd = false;
    const char* portsText = std::getenv("LPTLINK_SIM_PORTS");
    const auto table = sim::ParsePortList(portsText ? portsText : "0x378");
    if (!table) {
        NoticeOnce(badPorts, std::string("LPTLINK_SIM_PORTS '") + portsText +
                                 "' is not a list of up to three port addresses (0x-hex or decimal, 0 for none)");
        return nullptr;
    }
    auto port = std::make_unique<sim::VirtualPort>(*table, Env("LPTLINK_SIM_TRACE"));
    const std::string vcd = Env("LPTLINK_SIM_VCD");
    if (!vcd.empty() && !port->DumpWaveform(vcd))
        NoticeOnce(badVcd, "LPTLINK_SIM_VCD '" + vcd + "' cannot be created; no waveform is written");
    const std::string board = Env("LPTLINK_SIM_BOARD");
    if (!board.empty()) {
        if (auto b = sim::MakeBoard(board)) {
            port->Attach(std::move(b));
        } else {
            std::string names;
            for (const auto& n : sim::BoardNames()) names += " " + n;
            NoticeOnce(badBoard, "LPTLINK_SIM_BOARD '" + board + "' is not a virtual board; known:" + names);
        }
    }
    return std::make_unique<SimBackend>(std::move(port));
}

}  // namespace

std::unique_ptr<PortBackend> LinuxDevices::OpenBackend() {
    static bool badDriver = false, simNotice = false, ppdevHint = false;
    const std::string driver = Env("LPTLINK_DRIVER");
    bool useSim = driver == "sim";
    if (driver.empty()) {
        useSim = !PpdevBackend::MachineHasParallelPort();
        if (useSim) NoticeOnce(simNotice, "no parallel port on this machine: using the virtual port");
    } else if (driver != "sim" && driver != "ppdev") {
        NoticeOnce(badDriver, "LPTLINK_DRIVER is '" + driver + "'; it takes ppdev (real ports) or sim (virtual port)");
        return nullptr;
    }
    if (useSim) return OpenSim();
    std::string error;
    auto ppdev = PpdevBackend::Open(error);
    if (!ppdev) NoticeOnce(ppdevHint, error);
    return ppdev;
}

Handle LinuxDevices::OpenDevice(const std::string& path, DeviceOpenMode mode) {
    if (path != "\\\\.\\TVICPORT" || mode != DeviceOpenMode::ReadWrite) return kInvalidHandle;
    // Like the driver's exclusive open: one handle at a time.
    if (!devices_.empty()) return kInvalidHandle;
    auto backend = OpenBackend();
    if (!backend) return kInvalidHandle;
    sim::VirtualPort* virtualPort = nullptr;
    if (auto* simBackend = dynamic_cast<SimBackend*>(backend.get())) virtualPort = simBackend->Port();
    const Handle handle = next_++;
    devices_[handle] = std::make_unique<PortDriverDevice>(std::move(backend), false);
    if (virtualPort) {
        virtualPort_ = virtualPort;
        virtualPortHandle_ = handle;
    }
    return handle;
}

PortDriverDevice* LinuxDevices::Find(Handle device) {
    const auto it = devices_.find(device);
    return it == devices_.end() ? nullptr : it->second.get();
}

bool LinuxDevices::IoControl(Handle device, std::uint32_t code, PortDriverRequest& block) {
    PortDriverDevice* d = Find(device);
    return d && d->IoControl(code, block);
}

bool LinuxDevices::ReadMapped(Handle device, std::uint32_t linear, std::span<std::uint8_t> out) {
    PortDriverDevice* d = Find(device);
    return d && d->ReadMapped(linear, out);
}

bool LinuxDevices::CloseDevice(Handle device) {
    if (device == virtualPortHandle_) {
        virtualPort_ = nullptr;
        virtualPortHandle_ = kInvalidHandle;
    }
    return devices_.erase(device) == 1;
}

std::uint8_t LinuxDevices::DirectRead(Handle device, std::uint16_t address) {
    PortDriverDevice* d = Find(device);
    return d ? d->Backend().Read(address) : 0xFF;
}

void LinuxDevices::DirectWrite(Handle device, std::uint16_t address, std::uint8_t value) {
    if (PortDriverDevice* d = Find(device)) d->Backend().Write(address, value);
}

Handle LinuxServices::OpenManager(std::uint32_t) { return 1; }

StartResult LinuxServices::Start(Handle, const std::string&) {
    // The kernel's parallel-port support is loaded or it is not; a library cannot load it.
    return ::access("/proc/sys/dev/parport", F_OK) == 0 ? StartResult::AlreadyRunning : StartResult::Failed;
}

CreateResult LinuxServices::Create(Handle, const std::string&, const std::string&, const std::string&) {
    return CreateResult::Failed;
}

void LinuxFiles::ExitProcess(int code) { std::exit(code); }

void LibraryMessages::Show(const tessary::UserMessage& message) {
    if (sink_) sink_->Show(message);
    else fallback_.Show(message);
}

bool LibraryMessages::Ask(const tessary::UserMessage& question) {
    return sink_ ? sink_->Ask(question) : fallback_.Ask(question);
}

bool MonotonicCounter::Frequency(std::uint64_t& ticksPerSecond) {
    timespec resolution{};
    if (::clock_getres(CLOCK_MONOTONIC, &resolution) != 0) return false;
    ticksPerSecond = 1000000000ull;
    return true;
}

// CLOCK_MONOTONIC through steady_clock, the clock the virtual port stamps its accesses
// with: the wait's last reading and the next stamp run the same, already mapped code.
std::uint64_t MonotonicCounter::Now() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

std::uint64_t MonotonicSleepClock::NowNs() { return MonotonicCounter{}.Now(); }

void MonotonicSleepClock::SleepUntilNs(std::uint64_t deadline) {
    const timespec until{static_cast<time_t>(deadline / 1000000000ull), static_cast<long>(deadline % 1000000000ull)};
    const int slack = ::prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack > 1) ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    // An absolute deadline: a signal that interrupts the sleep does not move it.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    if (slack > 1) ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack), 0, 0, 0);
}

}  // namespace lptlink

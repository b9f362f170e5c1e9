// The exported C functions over the one process-wide driver state.

#include <cstdlib>
#include <filesystem>

#include "common/FileIo.h"
#include "lptlink/core/HexFile.h"
#include "lptlink/core/SpiProgrammer.h"

#include "lptlink/LptlinkProcess.h"
#include "sim/Boards.h"
#include "lptlink/core/MicrosecondWait.h"
#include "lptlink/core/PortDriver.h"
#include "lptlink/linux/LinuxPlatform.h"
#include "lptlink/lptlink.h"

#define LPTLINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Created on first use and never destroyed: other libraries' destructors may still
// release the port at process exit.
lptlink::LinuxPlatform& ProcessPlatform() {
    static auto* platform = new lptlink::LinuxPlatform;
    return *platform;
}

lptlink::PortDriver& Driver() {
    static auto* driver = new lptlink::PortDriver(ProcessPlatform());
    return *driver;
}

lptlink::MicrosecondWait& Wait() {
    static auto* counter = new lptlink::MonotonicCounter;
    static auto* wait = new lptlink::MicrosecondWait(*counter);
    return *wait;
}

// One per thread: each thread learns its own wake-up latency, and the studio's thread
// and a programmer's worker never share state.
lptlink::PreciseSleep& Sleep() {
    static lptlink::MonotonicSleepClock clock;
    thread_local lptlink::PreciseSleep sleep(clock);
    return sleep;
}

constexpr const char* kSpiTitle = "Norvane SPI Programmer Error";

void SpiMessage(const std::string& text) { ProcessPlatform().Messages().Show({text, kSpiTitle, tessary::MessageIcon::None}); }

// The transaction's port access is direct, on the caller's thread.
class DriverSpiPort : public lptlink::SpiPort {
public:
    std::uint8_t Read(std::uint16_t address) override { return static_cast<std::uint8_t>(Driver().DirectRead(address)); }
    void Write(std::uint16_t address, std::uint8_t value) override { Driver().DirectWrite(address, value); }
};

class SystemSpiTime : public lptlink::SpiTime {
public:
    bool Frequency(std::uint64_t& ticksPerSecond) override { return counter_.Frequency(ticksPerSecond); }
    std::uint64_t Now() override { return counter_.Now(); }
    void SleepMilliseconds(int ms) override { Sleep().SleepAtLeast(std::int64_t{ms} * 1000000); }
    void WaitMicroseconds(int us) override { Wait().WaitAtLeast(us); }

private:
    lptlink::MonotonicCounter counter_;
};

std::string TracePath() {
    const char* dir = std::getenv("TESSARY_TRACE_DIR");
    const std::filesystem::path folder = dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
    return (folder / "lptprog.dmp").string();
}

lptlink::ProgrammerTrace& Trace() {
    static auto* trace = new lptlink::ProgrammerTrace(TracePath());
    return *trace;
}

lptlink::SpiProgrammer& Programmer() {
    static auto* port = new DriverSpiPort;
    static auto* time = new SystemSpiTime;
    static auto* programmer = new lptlink::SpiProgrammer(*port, *time, &Trace());
    return *programmer;
}

}  // namespace

namespace lptlink {

void SetMessageSink(tessary::MessageSink* sink) { ProcessPlatform().Messages().SetSink(sink); }

tessary::MessageSink* InstalledMessageSink() { return ProcessPlatform().Messages().Sink(); }

sim::VirtualPort* ProcessVirtualPort() { return ProcessPlatform().Devices().VirtualPort(); }

}  // namespace lptlink

LPTLINK_EXPORT int lptlinkInit(void) { return Driver().Init(); }
LPTLINK_EXPORT int lptlinkRelease(void) { return Driver().Release(); }
LPTLINK_EXPORT int lptlinkRead(int address) { return Driver().Read(address); }
LPTLINK_EXPORT void lptlinkWrite(int address, int value) { Driver().Write(address, value); }
LPTLINK_EXPORT void lptlinkWaitAtLeast(int microseconds) {
    Wait().WaitAtLeast(microseconds, static_cast<const volatile unsigned char*>(__builtin_return_address(0)));
}
LPTLINK_EXPORT void lptlinkSleepAtLeast(int milliseconds) {
    Sleep().SleepAtLeast(std::int64_t{milliseconds} * 1000000);
}
LPTLINK_EXPORT int lptlinkGetNumParPorts(void) { return Driver().GetNumParPorts(); }
LPTLINK_EXPORT int lptlinkGetParPortBaseAdr(int index) { return Driver().GetParPortBaseAdr(index); }
LPTLINK_EXPORT int lptlinkDirectRead(int address) { return Driver().DirectRead(address); }
LPTLINK_EXPORT void lptlinkDirectWrite(int address, int value) { Driver().DirectWrite(address, value); }

LPTLINK_EXPORT int lptlinkSimAttachBoard(const char* name) {
    sim::VirtualPort* port = ProcessPlatform().Devices().VirtualPort();
    if (!port || !name) return 0;
    const char* pinned = std::getenv("LPTLINK_SIM_BOARD");
    if (pinned && *pinned) return 0;
    auto board = sim::MakeBoard(name);
    if (!board) return 0;
    port->Attach(std::move(board));
    return 1;
}

LPTLINK_EXPORT int lptlinkSimBoardRegister(int address) {
    sim::VirtualPort* port = ProcessPlatform().Devices().VirtualPort();
    if (!port) return -1;
    int value = -1;
    port->WithBoard([&](sim::VirtualBoard* board) {
        if (auto* chip = dynamic_cast<sim::RegisterFileBoard*>(board))
            if (const auto r = chip->Register(address)) value = *r;
    });
    return value;
}

LPTLINK_EXPORT Mem8051* lptlinkReadHexFile(const char* path, int pageShift) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!path || !tessary::ReadWholeFile(path, bytes, error)) {
        SpiMessage(std::string("The hexfile \"") + (path ? path : "") + "\" cannot be found!");
        return nullptr;
    }
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    if (!mem) return nullptr;
    Mem8051Init(mem, pageShift);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!lptlink::ParseHex(text, *mem)) {
        SpiMessage(std::string("Error parsing hexfile \"") + path + "\"!\nIt is not a proper HEX-file.");
        Mem8051Destroy(mem);
        std::free(mem);
        return nullptr;
    }
    return mem;
}

LPTLINK_EXPORT int lptlinkWriteHexFile(Mem8051* mem, const char* path) {
    if (!mem) {
        std::fprintf(stderr, "lptlink: lptlinkWriteHexFile called with a null mem\n");
        std::abort();
    }
    std::string error;
    if (!path || !tessary::WriteWholeFile(path, lptlink::FormatHex(*mem), error)) {
        SpiMessage(std::string("The hexfile \"") + (path ? path : "") + "\" cannot be opened for writing!");
        return 1;
    }
    return 0;
}

LPTLINK_EXPORT unsigned lptlinkKX6500SPItransaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action,
                                                    int lockBits, SpiProgressCallback progress, char** deviceName) {
    lptlink::Progress callback;
    if (progress) callback = [progress](const char* text, int percent) { return progress(text, percent); };
    return Programmer().Transaction(mem, portBase, clockHz, spiRate, action, lockBits, callback, deviceName);
}

LPTLINK_EXPORT unsigned lptlinkKX6500PerformFlashTest(int randomPatterns, int portBase, float clockHz, int spiRate,
                                                      SpiProgressCallback progress, char** deviceName) {
    const lptlink::Progress callback = [progress](const char* text, int percent) {
        return progress ? progress(text, percent) : 1;
    };
    return Programmer().FlashTest(randomPatterns, portBase, clockHz, spiRate, callback, deviceName);
}

LPTLINK_EXPORT void lptlinkSetSimulationMode(int on) { Programmer().simulation = on != 0; }

LPTLINK_EXPORT void lptlinkCloseProgrammerTrace(void) { Trace().Close(); }

// The exported C functions over the one process-wide driver state.

#include <cstdlib>

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

}  // namespace

namespace lptlink {

void SetMessageSink(tessary::MessageSink* sink) { ProcessPlatform().Messages().SetSink(sink); }

sim::VirtualPort* ProcessVirtualPort() { return ProcessPlatform().Devices().VirtualPort(); }

}  // namespace lptlink

LPTLINK_EXPORT int lptlinkInit(void) { return Driver().Init(); }
LPTLINK_EXPORT int lptlinkRelease(void) { return Driver().Release(); }
LPTLINK_EXPORT int lptlinkRead(int address) { return Driver().Read(address); }
LPTLINK_EXPORT void lptlinkWrite(int address, int value) { Driver().Write(address, value); }
LPTLINK_EXPORT void lptlinkWaitAtLeast(int microseconds) { Wait().WaitAtLeast(microseconds); }
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

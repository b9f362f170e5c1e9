// The plug-in's C exports over one process-wide driver with the real port, clock,
// trace file and the host's message boxes.
#define KX6500_PLUGIN_BUILD 1
#include "host/kx6500_host.h"
#include "monitor/driver/MonitorDriver.h"
#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"

namespace {

struct Plugin {
    kx6500mon::TermiosPort port;
    kx6500mon::SystemClock clock;
    kx6500mon::TraceFile traceFile{kx6500mon::TraceFilePath()};
    kx6500mon::MonitorTrace trace{traceFile, clock};
    kx6500mon::HostLinks host;
    kx6500mon::HostNotifier notifier{host};
    kx6500mon::MonitorDriver driver{port, clock, notifier, trace, host};
};

// Never destroyed: the host may call in while the process is ending.
kx6500mon::MonitorDriver& Driver() {
    static auto* plugin = new Plugin;
    return plugin->driver;
}

}  // namespace

extern "C" {

int32_t EnumUv351(HostInterface* host, uint32_t code) { return Driver().EnumUv351(host, code); }
uint32_t DllUv3Cap(uint32_t code, char* optionText) { return Driver().DllUv3Cap(code, optionText); }
uint32_t AG_Init(uint32_t code, void* argument) { return Driver().Init(code, argument); }
uint32_t AG_MemAcc(uint32_t code, uint8_t* buffer, HostAddress* address, uint32_t count) {
    return Driver().MemAcc(code, buffer, address, count);
}
uint32_t AG_RegAcc(uint32_t code, uint32_t number, uint32_t* value) { return Driver().RegAcc(code, number, value); }
uint32_t AG_AllReg(uint32_t code, void*) { return Driver().AllReg(code); }
uint32_t AG_MemAtt(uint32_t code, uint32_t, HostAttributeRequest* request) { return Driver().MemAtt(code, request); }
uint32_t AG_BpInfo(uint32_t code, HostBreakpoint* bp, uint32_t address) { return Driver().BpInfo(code, bp, address); }
uint32_t AG_BreakFunc(uint32_t code, HostBreakpoint* bp, uint32_t address) {
    return Driver().BreakFunc(code, bp, address);
}
uint32_t AG_GoStep(uint32_t code, uint32_t count, uint32_t address) { return Driver().GoStep(code, count, address); }
uint32_t AG_Serial(uint32_t code, uint32_t a, uint32_t b, uint32_t c) { return Driver().Serial(code, a, b, c); }
uint32_t AG_HistFunc(void) { return 0; }

}  // extern "C"

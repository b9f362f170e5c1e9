#include "studio/board/CParallelPort.h"

namespace tessary {

namespace {

class NoTiming : public BusTiming {
public:
    void SleepMilliseconds(int) override {}
    void WaitMicroseconds(int) override {}
};

CParallelPort*& InstalledPort() {
    static CParallelPort* port = nullptr;
    return port;
}

BusTiming*& InstalledTiming() {
    static BusTiming* timing = nullptr;
    return timing;
}

}  // namespace

CParallelPort& ApplicationPort() {
    static DisconnectedPortIo io;
    static CParallelPort disconnected(io, 0x378);
    return InstalledPort() ? *InstalledPort() : disconnected;
}

BusTiming& ApplicationTiming() {
    static NoTiming none;
    return InstalledTiming() ? *InstalledTiming() : none;
}

void SetApplicationPort(CParallelPort* port) { InstalledPort() = port; }
void SetApplicationTiming(BusTiming* timing) { InstalledTiming() = timing; }

}  // namespace tessary

// Wall time of the board transfers against the floor their pauses and waits set, on
// the virtual port through liblptlink with real sleeps and busy waits. Goal on an
// idle machine: at most 1.15 times the floor.
//   bench_bus [REPEATS]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "lptlink/lptlink.h"
#include "studio/board/CRegisterBus.h"
#include "studio/board/LptlinkSeams.h"
#include "studio/config/CConfigView.h"

using namespace tessary;

namespace {

template <typename F>
double Milliseconds(int repeats, F f) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void Row(const char* what, double ms, double floorMs, bool& met) {
    const double ratio = ms / floorMs;
    std::printf("%-34s %9.3f ms   floor %8.3f ms   ratio %5.3f\n", what, ms, floorMs, ratio);
    met = met && ratio <= 1.15;
}

// The KX6300 on its three-wire bus: the register view's read-back of 25 registers
// (8 pauses each) and the form's download of 19 registers without pauses.
void KX6300Rows(CRegisterBus& bus, int repeats, bool& met) {
    lptlinkSimAttachBoard("kx6300");
    std::vector<int> view;
    for (int a = 0x00; a <= 0x0E; ++a) view.push_back(a);
    for (int a : {0x11, 0x13, 0x1C}) view.push_back(a);
    for (int a = 0x40; a <= 0x46; ++a) view.push_back(a);
    Row("KX6300 read-back (25 registers)", Milliseconds(repeats, [&] {
            for (int a : view) bus.ReadRegister(static_cast<std::uint8_t>(a));
        }),
        200 * 1.0, met);

    const int download[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                            0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x11, 0x13, 0x1C, 0x42};
    const int accessesPerWrite = 1 + 46;  // control, then the data writes of one WriteRegister
    const double ms = Milliseconds(repeats * 10, [&] {
        for (int a : download) bus.WriteRegister(static_cast<std::uint8_t>(a), 0x55);
    });
    std::printf("%-34s %9.3f ms   %.2f million port accesses per second\n", "KX6300 download (19 registers)", ms,
                19.0 * accessesPerWrite / (ms * 1000.0));
}

// The KX400 form's Update Device on the virtual KX400 board: Apply, then eight frames.
void KX400UpdateDeviceRow(int repeats, CParallelPort& port, BusTiming& timing, bool& met) {
    SetApplicationPort(&port);
    SetApplicationTiming(&timing);
    lptlinkSimAttachBoard("kx400");
    {
        TessaryDocument document;  // its register set takes the application's port
        document.config.kx400.deviceNumber = 4;
        document.config.Reset();
        StderrMessageSink messages;
        CConfigView form(document, messages);
        form.OnInitialUpdate();
        Row("KX400 Update Device (8 frames)", Milliseconds(repeats, [&] { form.UpdateDevice(); }), 280 * 1.0, met);
    }
    SetApplicationPort(nullptr);
    SetApplicationTiming(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_bus [REPEATS]\nBest of REPEATS (default 3) for each transfer.\n");
        return 0;
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    if (!lptlinkInit()) return 1;
    LptlinkPortIo io;
    SystemBusTiming timing;
    CParallelPort port(io, static_cast<std::uint16_t>(lptlinkGetParPortBaseAdr(1)));
    CRegisterBus bus(port, timing);
    bool met = true;

    lptlinkSimAttachBoard("kx900");
    Row("KX400/KX900 frame set (8 frames)", Milliseconds(repeats, [&] { bus.WriteFrameSet({1, 2, 3, 4, 5, 6, 7, 8}); }),
        280 * 1.0, met);
    KX400UpdateDeviceRow(repeats, port, timing, met);

    lptlinkSimAttachBoard("kx6500");
    port.WriteData(0xC1);
    Row("KX6500 register write", Milliseconds(repeats, [&] { bus.WriteRegisterKX6500(0xC8, 0x30); }), 32 * 0.2, met);

    lptlinkSimAttachBoard("kx6200");
    Row("KX6200 read-back (29 registers)", Milliseconds(repeats, [&] {
            for (int a = 0; a <= 0x14; ++a) bus.ReadRegister(static_cast<std::uint8_t>(a));
            bus.ReadRegister(0x1C);
            for (int a = 0x40; a <= 0x46; ++a) bus.ReadRegister(static_cast<std::uint8_t>(a));
        }),
        232 * 1.0, met);

    // The download has no pauses: its speed is the port's.
    const int accessesPerWrite = 1 + 46;  // control, then the data writes of one WriteRegister
    const double downloadMs = Milliseconds(repeats * 10, [&] {
        for (int r = 0; r < 23; ++r) bus.WriteRegister(static_cast<std::uint8_t>(r), 0x55);
    });
    std::printf("%-34s %9.3f ms   %.2f million port accesses per second\n", "KX6200 download (23 registers)",
                downloadMs, 23.0 * accessesPerWrite / (downloadMs * 1000.0));
    KX6300Rows(bus, repeats, met);
    std::printf("goal (every ratio <= 1.15): %s\n", met ? "met" : "NOT met");
    lptlinkRelease();
    return 0;
}

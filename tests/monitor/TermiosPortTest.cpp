// The termios back end on a pseudo-terminal, with a fake monitor answering on the
// master side: the path real ports and the virtual target take.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "monitor/core/MonitorCommands.h"
#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"
#include "tests/monitor/PtyPeer.h"
#include "tests/monitor/ScriptedPort.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

struct PtyRig {
    PtyPeer peer;
    TermiosPort port;
    SystemClock clock;
    MemoryTrace traceLines;
    MonitorTrace trace{traceLines, clock};
    ScriptedNotifier notifier;
    MonitorLink link{port, clock, notifier, trace};
    MonitorCommands commands{link};
    PtyRig() { setenv("KX6500MON_COM3", peer.SlavePath().c_str(), 1); }
    ~PtyRig() { unsetenv("KX6500MON_COM3"); }
};

}  // namespace

TEST(TermiosPort, ComPortNamesAndUnusableDevices) {
    unsetenv("KX6500MON_COM2");
    EXPECT_EQ(ComDevicePath(2), "/dev/ttyS1");
    setenv("KX6500MON_COM2", "/dev/null", 1);
    EXPECT_EQ(ComDevicePath(2), "/dev/null");
    TermiosPort port;
    EXPECT_FALSE(port.Open(2, 57600));  // not a terminal
    EXPECT_FALSE(port.IsOpen());
    setenv("KX6500MON_COM2", "/nonexistent/tty", 1);
    EXPECT_FALSE(port.Open(2, 57600));
    unsetenv("KX6500MON_COM2");
    EXPECT_FALSE(port.Open(9, 57600));  // there is no COM9
}

TEST(TermiosPort, ConnectsAndReadsThroughAPseudoTerminal) {
    PtyRig rig;
    ASSERT_TRUE(rig.peer.Ok());
    ASSERT_TRUE(rig.link.Open(3, 57600));
    ASSERT_TRUE(rig.link.Connect());
    std::vector<std::uint8_t> bytes(300);
    ASSERT_TRUE(rig.commands.ReadXdata(0x0123, bytes.size(), bytes.data()));
    const auto expected = rig.peer.With([](FakeMonitor& m) { return m.xdata; });
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin() + 0x123));
    // A pseudo-terminal has no modem lines; the reset still goes through and is traced.
    rig.link.HardReset();
    EXPECT_EQ(rig.traceLines.Count("PC->KX6500: HARD RESET"), 1);
    rig.link.Close();
    // Closed and opened again, at a rate without a standard constant.
    ASSERT_TRUE(rig.link.Open(3, 76800));
    EXPECT_TRUE(rig.link.PollStatus(50).has_value());
}

TEST(TermiosPort, SilentLineTimesOutAfterTheFirstByteTimeout) {
    PtyRig rig;
    rig.peer.With([](FakeMonitor& m) { m.silent = true; });
    ASSERT_TRUE(rig.port.Open(3, 57600));
    std::uint8_t b = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.port.Read(&b, 1, 50, 0), 0u);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 45);
    EXPECT_LT(ms, 1000);
}

TEST(TermiosPort, DiscardDropsWhatHasArrived) {
    PtyRig rig;
    ASSERT_TRUE(rig.port.Open(3, 57600));
    const std::uint8_t poll[] = {0};
    ASSERT_TRUE(rig.port.Write(poll, 50));
    std::uint8_t reply[5];
    ASSERT_EQ(rig.port.Read(reply, 5, 200, 0), 5u);
    ASSERT_TRUE(rig.port.Write(poll, 50));
    // Wait for the answer to be there, then drop it.
    rig.clock.SleepMs(50);
    rig.port.DiscardInput();
    EXPECT_EQ(rig.port.Read(reply, 1, 30, 0), 0u);
}

// Twenty cycles of open, connect, reads and close with about one byte in a hundred
// dropped or spoilt: each cycle succeeds with the right data or fails with the failed
// flag set; no corrupted byte is ever taken, and the trace shows the resynchronisations.
TEST(TermiosPort, FaultyLineNeverHandsOverWrongData) {
    PtyRig rig;
    rig.peer.SetFaults(0.005, 0.005, 19);
    const auto xdata = rig.peer.With([](FakeMonitor& m) { return m.xdata; });
    int connected = 0, clean = 0, failed = 0;
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_TRUE(rig.link.Open(3, 57600));
        rig.link.SetFailed(false);
        if (rig.link.Connect()) {
            ++connected;
            bool ok = true;
            for (int r = 0; r < 8 && ok; ++r) {
                std::uint8_t bytes[16];
                const std::uint16_t at = static_cast<std::uint16_t>(0x40 * (cycle * 8 + r));
                ok = rig.commands.ReadXdata(at, sizeof bytes, bytes);
                if (ok) {
                    ASSERT_TRUE(std::equal(std::begin(bytes), std::end(bytes), xdata.begin() + at))
                        << "cycle " << cycle << " read " << r;
                }
            }
            ok ? ++clean : ++failed;
            EXPECT_EQ(!ok, rig.link.Failed());
        } else {
            ++failed;
            EXPECT_TRUE(rig.link.Failed());
        }
        rig.link.Close();
    }
    EXPECT_EQ(clean + failed, 20);
    EXPECT_GT(clean, 10);
    EXPECT_GT(rig.peer.FaultsInjected(), 0);
    EXPECT_GT(rig.traceLines.Count("RESYNC OK"), 0);
    std::printf("faulty line: %d connected, %d clean, %d failed, %d faults, %d resyncs\n", connected, clean, failed,
                rig.peer.FaultsInjected(), rig.traceLines.Count("RESYNC OK"));
}

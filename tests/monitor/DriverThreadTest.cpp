// The access rule across threads: one thread runs the program while another reads and
// writes through the entry points, on the real termios back end against the fake
// monitor on a pseudo-terminal. Built with ThreadSanitizer once to look for races.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "monitor/linux/SystemServices.h"
#include "monitor/linux/TermiosPort.h"
#include "tests/monitor/DriverRig.h"
#include "tests/monitor/PtyPeer.h"

using namespace kx6500mon;
using namespace kx6500mon::testing;

namespace {

constexpr std::uint32_t X(std::uint32_t offset) { return HOST_ADDRESS(HOST_SPACE_XDATA, offset); }

struct PtyDriverRig {
    PtyPeer peer;
    TermiosPort port;
    SystemClock clock;
    MemoryTrace traceLines;
    MonitorTrace trace{traceLines, clock};
    ScriptedNotifier notifier;
    HostLinks links;
    MonitorDriver driver{port, clock, notifier, trace, links};
    std::unique_ptr<HostLog> log = std::make_unique<HostLog>();
    HostRegisterBlock block{};
    HostInterface record{};
    char options[HOST_OPTION_TEXT_SIZE] = "-S4";
    int window = 0;
    HostBreakpoint* breakpoints = nullptr;
    std::uint32_t pc = 0;
    std::uint32_t userMessage = 0x444;
    HostCallback callback = &RigCallback;

    PtyDriverRig() {
        setenv("KX6500MON_COM4", peer.SlavePath().c_str(), 1);
        g_log = log.get();
        record.clockHz = 14745600;
        record.optionText = options;
        record.optionTextSize = sizeof options;
        record.postMessage = &RigPost;
        record.imageByte = &RigByte;
        record.attributeWord = &RigAttribute;
        record.registers = &block;
    }
    ~PtyDriverRig() {
        driver.Init(AG_INIT_END, nullptr);
        g_log = nullptr;
        unsetenv("KX6500MON_COM4");
    }
    bool Start() {
        driver.EnumUv351(&record, 2);
        driver.Init(AG_INIT_MAIN_WINDOW, &window);
        driver.Init(AG_INIT_BREAKPOINTS, &breakpoints);
        driver.Init(AG_INIT_PC_VARIABLE, &pc);
        driver.Init(AG_INIT_USER_MESSAGE, &userMessage);
        driver.Init(AG_INIT_CALLBACK, &callback);
        return driver.Init(AG_INIT_START, nullptr) == 0;
    }
    std::uint32_t Read(std::uint32_t address, std::uint8_t& value) {
        HostAddress a{address, 0};
        return driver.MemAcc(AG_MEM_READ, &value, &a, 1);
    }
    int Requests(std::uint8_t code) {
        return peer.With([code](FakeMonitor& m) {
            int n = 0;
            for (const auto& f : m.requests) n += f.code == code;
            return n;
        });
    }
};

}  // namespace

TEST(DriverThreads, MemoryCallsWhileAnotherThreadRunsTheProgram) {
    PtyDriverRig rig;
    // 0x0100: INC A; MOVX @DPTR,A; SJMP 0x0100, with DPTR at XDATA 0x0040.
    rig.peer.With([](FakeMonitor& m) {
        const std::uint8_t program[] = {0x04, 0xF0, 0x80, 0xFC};
        std::copy(std::begin(program), std::end(program), m.code.begin() + 0x100);
        for (int i = 0; i < 22; ++i) m.Saved(i) = 0;
        m.SetPc(0x0100);
        m.Saved(2) = 0x40;
        m.Saved(6) = 0x07;
        m.runBudget = 1000;
    });
    ASSERT_TRUE(rig.Start());
    std::uint8_t before = 0;
    ASSERT_EQ(rig.Read(X(0x40), before), AG_OK);

    std::thread runner([&] { rig.driver.GoStep(AG_GO_RUN, 0, 0); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!rig.driver.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(rig.driver.Running());
    // Let the monitor's run answer arrive, so that the link is quiet from here.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int headers = rig.Requests(cmd::kWriteHeader);
    const int reads = rig.Requests(cmd::kReadXdata);

    std::atomic<int> answered{0}, refused{0};
    auto reader = [&] {
        for (int i = 0; i < 200; ++i) {
            std::uint8_t value = 0xEE;
            if (rig.Read(X(0x40), value) == AG_OK && value == before) ++answered;  // from the cache
            std::uint8_t byte = 1;
            HostAddress a{X(0x41), 0};
            if (rig.driver.MemAcc(AG_MEM_WRITE, &byte, &a, 1) == AG_NOT_ACCESSIBLE) ++refused;
            std::uint32_t r = 0;
            rig.driver.RegAcc(1, 0, &r);
            rig.driver.BpInfo(1, nullptr, HOST_ADDRESS(HOST_SPACE_CODE, 0x100));
            char text[16];
            rig.log->page->read(0xE0, text, sizeof text);
            EXPECT_NE(rig.log->page->write(0xE0, 1), 0u);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    };
    std::thread a(reader), b(reader);
    a.join();
    b.join();
    EXPECT_TRUE(rig.driver.Running());
    EXPECT_EQ(answered, 400);
    EXPECT_EQ(refused, 400);
    EXPECT_EQ(rig.Requests(cmd::kWriteHeader), headers);  // a write while running sends nothing
    EXPECT_EQ(rig.Requests(cmd::kReadXdata), reads);

    // The stop from yet another thread waits for the run to end.
    std::thread stopper([&] { rig.driver.GoStep(AG_GO_STOP, 0, 0); });
    stopper.join();
    EXPECT_FALSE(rig.driver.Running());
    runner.join();
    EXPECT_FALSE(rig.driver.Link().Failed());
    // The cache was invalidated: the next read asks the target, where the program wrote.
    std::uint8_t after = 0;
    ASSERT_EQ(rig.Read(X(0x40), after), AG_OK);
    EXPECT_GT(rig.Requests(cmd::kReadXdata), reads);
    EXPECT_EQ(after, rig.peer.With([](FakeMonitor& m) { return m.xdata[0x40]; }));
    EXPECT_GE(rig.pc, 0x100u);
    EXPECT_LE(rig.pc, 0x102u);
}

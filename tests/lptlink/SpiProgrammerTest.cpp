// The SPI programming protocol against the virtual KX6500's programming interface.

#include "lptlink/core/SpiProgrammer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/Boards.h"
#include "sim/VirtualPort.h"

using namespace lptlink;
namespace fs = std::filesystem;

namespace {

class VirtualSpiPort : public SpiPort {
public:
    explicit VirtualSpiPort(sim::VirtualPort& port) : port_(port) {}
    std::uint8_t Read(std::uint16_t address) override { return port_.Read(address); }
    void Write(std::uint16_t address, std::uint8_t value) override {
        writes.emplace_back(address, value);
        if (writes.size() > 64) writes.erase(writes.begin());
        port_.Write(address, value);
    }
    std::vector<std::pair<int, int>> writes;

private:
    sim::VirtualPort& port_;
};

// Real counter, no sleeping; or no counter at all (delays 0) for the long runs.
class TestTime : public SpiTime {
public:
    explicit TestTime(bool counter = true) : counter_(counter) {}
    bool Frequency(std::uint64_t& f) override {
        f = 1000000000ull;
        return counter_;
    }
    std::uint64_t Now() override {
        return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    void SleepMilliseconds(int ms) override { sleeps.push_back(ms); }
    void WaitMicroseconds(int) override {}
    std::vector<int> sleeps;

private:
    bool counter_;
};

struct Rig {
    explicit Rig(int signature = 1, bool board = true, bool counter = false) : time(counter) {
        if (board) {
            auto b = std::make_unique<sim::KX6500Board>("", signature);
            chip = b.get();
            port.Attach(std::move(b));
        }
    }
    ~Rig() { fs::remove(trace); }
    std::vector<std::string> TraceLines() {
        log.Close();
        std::ifstream in(trace);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(line.find(": ") + 2));
        return lines;
    }
    // CTest runs each test as a process of its own, side by side: the test's name keeps
    // their traces apart.
    static fs::path NextTrace() {
        static int count = 0;
        return fs::temp_directory_path() /
               ("tessary_spi_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(++count) + ".dmp");
    }
    sim::VirtualPort port{{0x378, 0, 0}};
    VirtualSpiPort spi{port};
    TestTime time;
    fs::path trace = NextTrace();
    ProgrammerTrace log{trace.string()};
    SpiProgrammer programmer{spi, time, &log};
    sim::KX6500Board* chip = nullptr;
};

struct Image {
    Image() : mem(static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)))) { Mem8051Init(mem, 7); }
    ~Image() {
        Mem8051Destroy(mem);
        std::free(mem);
    }
    Mem8051* mem;
};

const float kClock = 14745600.0f;
const int kFast = 1000000000;  // as fast as the port allows

}  // namespace

TEST(SpiWords, TimingAndDescriptions) {
    EXPECT_EQ(FlashTiming(14745600), 24);
    EXPECT_EQ(FlashTiming(3000000), 5);
    EXPECT_EQ(FlashTiming(24000000), 38);
    EXPECT_EQ(DescribeExchange(0xAC5D0018, 0), "Set flash timing to 24");
    EXPECT_EQ(DescribeExchange(0xACE0001C, 0), "Write lock bits: 0x1c");
    EXPECT_EQ(DescribeExchange(0x48000D5A, 0), "Load program memory page with 0x5a @ 0x07");
    EXPECT_EQ(DescribeExchange(0x28000C00, 0x77), "Read program memory @ 0x0007: 0x77");
    EXPECT_EQ(DescribeExchange(0x4C120000, 0), "Write program memory page to flash page 0x12");
    EXPECT_EQ(DescribeExchange(0x58000000, 0xE3), "Read lock bits: 0xe3");
    EXPECT_EQ(DescribeExchange(0x30000500, 0x01), "Read signature byte from 5: 0x01");
    EXPECT_EQ(DescribeExchange(0x12345678, 0), "Unknown command");
    EXPECT_EQ(DeviceName(0x01), "Norvane KX6500 (Rev 1)");
    EXPECT_EQ(DeviceName(0x06), "Zensys MF (Rev 2)");
    EXPECT_EQ(DeviceName(0x09), "Unknown device (Rev 1)");
}

TEST(SpiProgrammer, NoDeviceAfter32AttemptsAndTheFinishingSequence) {
    Rig rig(1, false);
    EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_LOCK_BITS, 0, {}, nullptr),
              SPI_RESULT_NO_DEVICE);
    const auto lines = rig.TraceLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Sending extra clock pulse to synchronize word alignment"), 32);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("Programming enable") != std::string::npos; }),
              32);
    const auto& w = rig.spi.writes;
    EXPECT_EQ(w[w.size() - 3], std::make_pair(0x378, 0x89));
    EXPECT_EQ(w[w.size() - 2], std::make_pair(0x378, 0xC8));
    EXPECT_EQ(w[w.size() - 1], std::make_pair(0x37A, 0x00));
}

TEST(SpiProgrammer, SimulationModeSucceedsWithoutADevice) {
    Rig rig(1, false);
    rig.programmer.simulation = true;
    Image image;
    const unsigned char data[4] = {1, 2, 3, 4};
    lptlinkWriteTo8051Mem(image.mem, data, 0x100, 4);
    EXPECT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0, {},
                                         nullptr),
              SPI_RESULT_OK);
}

TEST(SpiProgrammer, ProgramReadBackVerifyAndAMismatch) {
    Rig rig;
    Image image;
    std::vector<unsigned char> data(300);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 13 + 1);
    lptlinkWriteTo8051Mem(image.mem, data.data(), 0x0100, static_cast<int>(data.size()));
    char* name = nullptr;
    ASSERT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0, {},
                                         &name),
              SPI_RESULT_OK);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Norvane KX6500 (Rev 1)");
    std::free(name);
    EXPECT_EQ(0, std::memcmp(rig.chip->Flash().data() + 0x100, data.data(), data.size()));
    EXPECT_EQ(rig.chip->Flash()[0x0000], 0xFF);
    EXPECT_EQ(rig.chip->Erases(), 1);
    EXPECT_THAT(rig.time.sleeps, ::testing::Contains(350));

    Image back;
    ASSERT_EQ(rig.programmer.Transaction(back.mem, 0x378, kClock, kFast, SPI_ACTION_READ, 0, {}, nullptr), SPI_RESULT_OK);
    EXPECT_EQ(back.mem->usedPageCount, 256);
    EXPECT_EQ(0, std::memcmp(back.mem->image, rig.chip->Flash().data(), 0x8000));

    image.mem->image[0x0105] ^= 0x01;
    EXPECT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_VERIFY, 0, {}, nullptr),
              SPI_RESULT_VERIFY_FAILED);
    rig.programmer.simulation = true;
    EXPECT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_VERIFY, 0, {}, nullptr),
              SPI_RESULT_OK);
}

TEST(SpiProgrammer, EmptyImageErasesAndSetsTheTimingTwice) {
    Rig rig;
    Image image;
    EXPECT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_PROGRAM, 0, {}, nullptr),
              SPI_RESULT_OK);
    const auto lines = rig.TraceLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("Set flash timing to 24") != std::string::npos; }),
              2);
    EXPECT_EQ(rig.chip->Erases(), 1);
}

TEST(SpiProgrammer, SignatureAndLockBits) {
    for (const auto& [signature, expected] : std::vector<std::pair<int, std::string>>{
             {0x01, "Norvane KX6500 (Rev 1)"}, {0x06, "Zensys MF (Rev 2)"}, {0x09, "Unknown device (Rev 1)"}}) {
        Rig rig(signature);
        char* name = nullptr;
        EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_SIGNATURE, 0, {}, &name),
                  static_cast<unsigned>(signature));
        EXPECT_STREQ(name, expected.c_str());
        std::free(name);
    }
    Rig rig;
    EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_LOCK_BITS, 0, {}, nullptr), 0u);
    EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_LOCK_BITS, 0x03, {}, nullptr),
              0x03u);
    EXPECT_EQ(rig.chip->LockBits(), 0x03);
    const auto lines = rig.TraceLines();
    EXPECT_THAT(lines, ::testing::Contains(::testing::HasSubstr("TX(ace0001c)")));
    // Everything locked: the response 0xFFFFFFE0 reads as 0x1F.
    EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_LOCK_BITS, 0x1F, {}, nullptr),
              0x1Fu);
    // Read protection: a read of the flash sees nothing but ones.
    Image back;
    rig.programmer.Transaction(back.mem, 0x378, kClock, kFast, SPI_ACTION_READ, 0, {}, nullptr);
    EXPECT_EQ(back.mem->image[0], 0xFF);
}

TEST(SpiProgrammer, WordAlignmentIsRecoveredWithExtraClocks) {
    Rig rig;
    rig.chip->SetMisalignment(3);
    EXPECT_EQ(rig.programmer.Transaction(nullptr, 0x378, kClock, kFast, SPI_ACTION_READ_LOCK_BITS, 0, {}, nullptr), 0u);
    const auto lines = rig.TraceLines();
    const auto extra = std::count(lines.begin(), lines.end(), "Sending extra clock pulse to synchronize word alignment");
    EXPECT_GE(extra, 1);
    EXPECT_LT(extra, 32);
}

TEST(SpiProgrammer, ProgressOfTwentyPagesAndAnAbort) {
    Rig rig;
    Image image;
    std::vector<unsigned char> data(20 * 128, 0x3C);
    lptlinkWriteTo8051Mem(image.mem, data.data(), 0, static_cast<int>(data.size()));
    std::vector<int> programming, verifying;
    const Progress progress = [&](const char* text, int percent) {
        const std::string t(text);
        if (t.rfind("Programming Memory.", 0) == 0) programming.push_back(percent);
        if (t.rfind("Verifying", 0) == 0) verifying.push_back(percent);
        return 1;
    };
    ASSERT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0,
                                         progress, nullptr),
              SPI_RESULT_OK);
    ASSERT_EQ(programming.size(), 20u);
    EXPECT_EQ(programming.front(), 10);
    EXPECT_EQ(programming.back(), 57);
    ASSERT_EQ(verifying.size(), 20u);
    EXPECT_EQ(verifying.front(), 60);
    EXPECT_EQ(verifying.back(), 98);

    const int erasesBefore = rig.chip->Erases();
    const Progress stop = [](const char* text, int) { return std::string(text) == "Erasing Memory." ? 0 : 1; };
    EXPECT_EQ(rig.programmer.Transaction(image.mem, 0x378, kClock, kFast, SPI_ACTION_PROGRAM, 0, stop, nullptr),
              SPI_RESULT_ABORTED);
    EXPECT_EQ(rig.chip->Erases(), erasesBefore);  // stopped before the erase command
    const auto& w = rig.spi.writes;
    EXPECT_EQ(w[w.size() - 3], std::make_pair(0x378, 0x89));
    EXPECT_EQ(w[w.size() - 1], std::make_pair(0x37A, 0x00));
}

TEST(SpiProgrammer, FlashTestRunsItsPatternsInOrder) {
    Rig rig;
    std::vector<std::string> passes;
    const Progress progress = [&](const char* text, int) {
        const std::string t(text);
        const std::string head = t.substr(0, t.find(')') + 1);
        if (passes.empty() || passes.back() != head) passes.push_back(head);
        return 1;
    };
    EXPECT_EQ(rig.programmer.FlashTest(16, 0x378, kClock, kFast, progress, nullptr), SPI_RESULT_OK);
    ASSERT_EQ(passes.size(), 20u);
    EXPECT_EQ(passes[0], "Test 1/20 (All-zeros)");
    EXPECT_EQ(passes[1], "Test 2/20 (All-ones)");
    EXPECT_EQ(passes[2], "Test 3/20 (Random)");
    EXPECT_EQ(passes[17], "Test 18/20 (Random)");
    EXPECT_EQ(passes[18], "Test 19/20 (All-zeros)");
    EXPECT_EQ(passes[19], "Test 20/20 (All-ones)");
    EXPECT_EQ(rig.chip->Flash()[0x1234], 0xFF);
}

namespace {

// A nanosecond counter that runs only as the programmer waits and sleeps (and a little
// per reading), started far from zero as a machine's uptime is.
class ModelClock : public SpiTime {
public:
    bool Frequency(std::uint64_t& f) override {
        f = 1000000000ull;
        return true;
    }
    std::uint64_t Now() override { return now_ += 10000; }
    void SleepMilliseconds(int ms) override { now_ += static_cast<std::uint64_t>(ms) * 1000000u; }
    void WaitMicroseconds(int us) override { now_ += static_cast<std::uint64_t>(us) * 1000u; }

private:
    std::uint64_t now_ = 3'600'000'000'000ull + 4'000'000'000ull;
};

}  // namespace

TEST(SpiProgrammer, TraceStampsCountMillisecondsSinceTheTraceWasOpened) {
    sim::VirtualPort port{{0x378, 0, 0}};
    port.Attach(std::make_unique<sim::KX6500Board>("", 1));
    VirtualSpiPort spi{port};
    ModelClock clock;
    const fs::path path = Rig::NextTrace();
    ProgrammerTrace trace{path.string()};
    SpiProgrammer programmer{spi, clock, &trace};
    // Four passes over the whole flash: erase, 256 page writes of 4 ms, verify.
    ASSERT_EQ(programmer.FlashTest(0, 0x378, kClock, kFast, [](const char*, int) { return 1; }, nullptr),
              SPI_RESULT_OK);
    trace.Close();

    std::ifstream in(path);
    long long previous = -1, first = -1;
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        const long long stamp = std::stoll(line.substr(0, line.find(':')));
        if (first < 0) first = stamp;
        ASSERT_GE(stamp, previous) << "line " << lines + 1 << ": " << line;
        previous = stamp;
    }
    fs::remove(path);
    EXPECT_GT(lines, 100000u);
    EXPECT_EQ(first, 0);
    EXPECT_GT(previous, 5000);  // past the 4.3 s at which 32 bits of nanoseconds wrap
    EXPECT_LT(previous, 1000000);  // milliseconds: the paced bits take minutes of model time, not 10^6 of them
}

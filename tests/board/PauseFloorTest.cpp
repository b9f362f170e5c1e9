// The pauses and waits of the board buses with the real sleeps and busy waits, judged
// on the wire: the virtual port's stamps of the accesses on either side of each one.
// Only the floor is checked, which no amount of load on the machine can excuse; how
// close above it they end is for the benchmark.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "studio/board/LptlinkSeams.h"
#include "tests/board/BoardRig.h"

using namespace tessary;
using namespace tessary::testing;
namespace fs = std::filesystem;

namespace {

// Notes the place of each pause or wait among the port accesses, then takes it.
class MarkingTiming : public BusTiming {
public:
    explicit MarkingTiming(const VirtualPortIo& io) : io_(io) {}
    void SleepMilliseconds(int ms) override {
        marks.push_back({io_.log.size(), ms * 1000});
        real_.SleepMilliseconds(ms);
    }
    void WaitMicroseconds(int us) override {
        marks.push_back({io_.log.size(), us});
        real_.WaitMicroseconds(us);
    }
    struct Mark {
        std::size_t nextAccess;
        int floorUs;
    };
    std::vector<Mark> marks;

private:
    const VirtualPortIo& io_;
    SystemBusTiming real_;
};

std::vector<double> TraceStamps(const fs::path& path) {
    std::vector<double> stamps;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return stamps;
    double us;
    char kind;
    unsigned address, value;
    while (std::fscanf(f, "%lf %c %x %x", &us, &kind, &address, &value) == 4) stamps.push_back(us);
    std::fclose(f);
    return stamps;
}

}  // namespace

TEST(PauseFloor, NoPauseOrWaitEndsBeforeItsTimeOnTheWire) {
    const fs::path trace = fs::temp_directory_path() / "tessary_pause_floor.trace";
    std::vector<MarkingTiming::Mark> marks;
    std::size_t accesses = 0;
    {
        sim::VirtualPort port({0x378, 0, 0}, trace.string());
        VirtualPortIo io(port);
        MarkingTiming timing(io);
        CParallelPort parallel(io, 0x378);
        CRegisterBus bus(parallel, timing);
        port.Attach(std::make_unique<sim::FrameBoard>(false));
        bus.WriteFrame(0x2ABC);  // 35 pauses
        port.Attach(std::make_unique<sim::ThreeWireBoard>("kx6200"));
        bus.ReadRegister(0x05);  // 8 pauses
        port.Attach(std::make_unique<sim::KX6500Board>());
        bus.WriteRegisterKX6500(0xC8, 0x30);  // 32 waits of 200 us
        bus.ResetKX6500();                    // 1 pause
        parallel.ReadStatus();                // the access that ends the last pause
        marks = timing.marks;
        accesses = io.log.size();
    }
    const std::vector<double> stamps = TraceStamps(trace);
    ASSERT_EQ(stamps.size(), accesses);
    ASSERT_EQ(marks.size(), 35u + 8u + 32u + 1u);
    for (const auto& m : marks) {
        ASSERT_GT(m.nextAccess, 0u);
        ASSERT_LT(m.nextAccess, stamps.size());
        EXPECT_GE(stamps[m.nextAccess] - stamps[m.nextAccess - 1], m.floorUs)
            << "the pause or wait before access " << m.nextAccess;
    }
    fs::remove(trace);
}

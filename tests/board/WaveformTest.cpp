// A KX6200 register write as a logic analyser sees it: the virtual port's waveform dump,
// read back and decoded from the clock edges alone.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/board/BoardRig.h"
#include "tests/sim/VcdReader.h"

using namespace tessary;
using namespace tessary::testing;
namespace fs = std::filesystem;

TEST(BusWaveform, KX6200RegisterWriteShowsAddressAndDataOnTheFallingClockEdges) {
    const fs::path path = fs::temp_directory_path() / "tessary_wave_kx6200_write.vcd";
    {
        BoardRig rig(std::make_unique<sim::ThreeWireBoard>("kx6200"));
        ASSERT_TRUE(rig.virtualPort.DumpWaveform(path.string()));
        rig.bus.WriteRegister(0x05, 0xA5);
        EXPECT_EQ(rig.board->Register(0x05), 0xA5);
    }
    const VcdDump dump = ReadVcd(path.string());
    ASSERT_EQ(dump.error, "");
    // The chip takes a bit at each falling clock edge: address bits while the latch is
    // low, data bits once it is high.
    std::vector<int> address, data;
    for (const VcdChange& c : dump.changes) {
        if (c.signal != "port_378.CLOCK" || c.value != 0) continue;
        const int bit = dump.ValueAt("port_378.DATA", c.time);
        (dump.ValueAt("port_378.LATCH", c.time) ? data : address).push_back(bit);
    }
    EXPECT_EQ(address, (std::vector<int>{0, 0, 0, 0, 1, 0, 1, 1}));  // 0x05 shifted left, write bit 1
    EXPECT_EQ(data, (std::vector<int>{1, 0, 1, 0, 0, 1, 0, 1}));     // 0xA5
    fs::remove(path);
}

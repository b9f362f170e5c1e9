// The virtual port's waveform dump, read back with an independent VCD reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "sim/Boards.h"
#include "sim/VirtualPort.h"
#include "tests/sim/VcdReader.h"

using namespace sim;
using tessary::testing::ReadVcd;
using tessary::testing::VcdDump;
namespace fs = std::filesystem;

namespace {

fs::path TempVcd(const std::string& name) { return fs::temp_directory_path() / ("tessary_wave_" + name + ".vcd"); }

std::string Wire(const std::string& scope, char reg, int bit) { return scope + "." + reg + std::to_string(bit); }

}  // namespace

TEST(Waveform, EveryChangeOfEveryWriteUnderItsOwnLaterStamp) {
    const fs::path path = TempVcd("order");
    struct Write {
        std::uint16_t address;
        std::uint8_t value;
        std::uint64_t ns;
    };
    // Writes far faster than the clock ticks, a write that changes nothing, the status
    // register (input only) and an address outside the table.
    const std::vector<Write> writes = {{0x378, 0x05, 5000}, {0x37A, 0x03, 5000}, {0x278, 0xF0, 5000},
                                       {0x378, 0x05, 5000}, {0x379, 0x00, 5000}, {0x300, 0x12, 5000},
                                       {0x378, 0x1A, 5002}, {0x378, 0x00, 9000}, {0x27A, 0x0C, 9000}};
    std::uint64_t now = 0;
    {
        VirtualPort port({0x378, 0x278, 0}, "", [&] { return now; });
        port.Attach(std::make_unique<LoopbackPlug>());
        ASSERT_TRUE(port.DumpWaveform(path.string()));
        for (const Write& w : writes) {
            now = w.ns;
            port.Write(w.address, w.value);
        }
    }
    const VcdDump dump = ReadVcd(path.string());
    ASSERT_EQ(dump.error, "");
    EXPECT_EQ(dump.timescale, "1ns");
    ASSERT_EQ(dump.signals.size(), 48u);
    EXPECT_EQ(dump.signals.front(), "port_378.D0");
    EXPECT_EQ(dump.signals.back(), "port_278.C7");

    // One stamp for #0 and one per write that changed a line; strictly increasing and
    // never before the write.
    ASSERT_EQ(dump.stamps.size(), 1u + 6u);
    EXPECT_EQ(dump.stamps[0], 0u);
    EXPECT_TRUE(std::adjacent_find(dump.stamps.begin(), dump.stamps.end(), std::greater_equal<>()) == dump.stamps.end());
    const std::vector<std::uint64_t> expected = {0, 5000, 5001, 5002, 5003, 9000, 9001};
    EXPECT_EQ(dump.stamps, expected);

    // The levels after each stamped write, the loopback's status with them.
    const std::vector<std::array<int, 5>> levels = {// data, status, control of 378; data, control of 278
                                                    {0x00, 0x07, 0x00, 0x00, 0x00}, {0x05, 0x2F, 0x00, 0x00, 0x00},
                                                    {0x05, 0x2F, 0x03, 0x00, 0x00}, {0x05, 0x2F, 0x03, 0xF0, 0x00},
                                                    {0x1A, 0xD7, 0x03, 0xF0, 0x00}, {0x00, 0x07, 0x03, 0xF0, 0x00},
                                                    {0x00, 0x07, 0x03, 0xF0, 0x0C}};
    for (std::size_t s = 0; s < levels.size(); ++s) {
        const std::uint64_t t = dump.stamps[s];
        for (int bit = 0; bit < 8; ++bit) {
            EXPECT_EQ(dump.ValueAt(Wire("port_378", 'D', bit), t), (levels[s][0] >> bit) & 1) << t;
            EXPECT_EQ(dump.ValueAt(Wire("port_378", 'S', bit), t), (levels[s][1] >> bit) & 1) << t;
            EXPECT_EQ(dump.ValueAt(Wire("port_378", 'C', bit), t), (levels[s][2] >> bit) & 1) << t;
            EXPECT_EQ(dump.ValueAt(Wire("port_278", 'D', bit), t), (levels[s][3] >> bit) & 1) << t;
            EXPECT_EQ(dump.ValueAt(Wire("port_278", 'C', bit), t), (levels[s][4] >> bit) & 1) << t;
            EXPECT_EQ(dump.ValueAt(Wire("port_278", 'S', bit), t), 1) << t;  // nothing on the second port
        }
    }
    fs::remove(path);
}

TEST(Waveform, WiresAreNamedByTheBoardAtTheFirstWrite) {
    const fs::path path = TempVcd("names");
    {
        VirtualPort port({0x378, 0, 0});
        ASSERT_TRUE(port.DumpWaveform(path.string()));
        port.Attach(std::make_unique<KX6500Board>());
        port.Write(0x378, 0x49);  // reset held, SCK low, MOSI low
        port.Write(0x378, 0x79);  // SCK and MOSI high
        port.Attach(std::make_unique<ThreeWireBoard>("kx6200"));
        port.Write(0x378, 0x00);
    }
    const VcdDump dump = ReadVcd(path.string());
    ASSERT_EQ(dump.error, "");
    for (const char* name : {"SCK", "MOSI", "MISO", "RESET", "CLOCK", "ENABLE", "DATA_IN", "D0", "S0", "C7"})
        EXPECT_NE(std::find(dump.signals.begin(), dump.signals.end(), std::string("port_378.") + name), dump.signals.end())
            << name;
    EXPECT_EQ(dump.ValueAt("port_378.RESET", dump.stamps[1]), 0);
    EXPECT_EQ(dump.ValueAt("port_378.SCK", dump.stamps[1]), 0);
    EXPECT_EQ(dump.ValueAt("port_378.SCK", dump.stamps[2]), 1);
    EXPECT_EQ(dump.ValueAt("port_378.MOSI", dump.stamps[2]), 1);
    EXPECT_EQ(dump.comments, std::vector<std::string>{"board kx6200 attached"});
    EXPECT_EQ(dump.ValueAt("port_378.SCK", dump.stamps.back()), 0);
    fs::remove(path);

    {
        VirtualPort bare({0x3BC, 0, 0});
        ASSERT_TRUE(bare.DumpWaveform(path.string()));
        bare.Write(0x3BC, 0x10);
        bare.Attach(nullptr);
    }
    const VcdDump generic = ReadVcd(path.string());
    ASSERT_EQ(generic.error, "");
    EXPECT_EQ(generic.signals[4], "port_3BC.D4");
    EXPECT_EQ(generic.comments, std::vector<std::string>{"board none attached"});
    fs::remove(path);
}

TEST(Waveform, AFileThatCannotBeCreatedIsRefused) {
    VirtualPort port({0x378, 0, 0});
    EXPECT_FALSE(port.DumpWaveform("/nonexistent-folder/wave.vcd"));
    port.Write(0x378, 0x01);  // no dump, no harm
    EXPECT_EQ(port.Read(0x378), 0x01);
}

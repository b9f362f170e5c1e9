// The waveform of a KX6200 download made by tessary-calc on the virtual port, read with
// an independent VCD reader and decoded from the line levels alone: every register of
// the download is there, in the download's order, with the value the chip took.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/sim/VcdReader.h"

using namespace tessary::testing;
namespace fs = std::filesystem;

namespace {

std::string RunProgram(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    pclose(pipe);
    return out;
}

// Three-wire register writes from the dump: bits on the falling clock edge, the
// address byte while the latch is low, the data byte after it rose.
std::vector<std::pair<int, int>> DecodeWrites(const VcdDump& dump) {
    std::vector<std::pair<int, int>> writes;
    int clock = dump.initial.at("port_378.CLOCK"), latch = dump.initial.at("port_378.LATCH");
    int data = dump.initial.at("port_378.DATA");
    unsigned address = 0, value = 0;
    int addressBits = 0, valueBits = 0;
    for (std::size_t i = 0; i < dump.changes.size(); ++i) {
        const VcdChange& c = dump.changes[i];
        if (c.signal == "port_378.DATA") data = c.value;
        if (c.signal == "port_378.LATCH") {
            if (latch == 1 && c.value == 0) address = value = addressBits = valueBits = 0;
            latch = c.value;
        }
        if (c.signal != "port_378.CLOCK") continue;
        const bool falling = clock == 1 && c.value == 0;
        clock = c.value;
        if (!falling) continue;
        // Changes under the same stamp belong to one write: take the data line as it is
        // after the whole write.
        for (std::size_t j = i + 1; j < dump.changes.size() && dump.changes[j].time == c.time; ++j)
            if (dump.changes[j].signal == "port_378.DATA") data = dump.changes[j].value;
        if (latch == 0 && addressBits < 8) {
            address = address << 1 | static_cast<unsigned>(data);
            ++addressBits;
        } else if (latch == 1 && addressBits == 8 && valueBits < 8) {
            value = value << 1 | static_cast<unsigned>(data);
            if (++valueBits == 8 && (address & 1u)) writes.emplace_back(static_cast<int>(address >> 1), static_cast<int>(value));
        }
    }
    return writes;
}

}  // namespace

TEST(DownloadWaveform, EveryKX6200RegisterOfTheDownloadIsOnTheWire) {
    const char* bin = std::getenv("TESSARY_BIN");
    const fs::path vcd = fs::temp_directory_path() / "tessary_download_kx6200.vcd";
    fs::remove(vcd);
    const std::string out = RunProgram("LPTLINK_DRIVER=sim LPTLINK_SIM_VCD=" + vcd.string() + " " +
                                       std::string(bin ? bin : "build/bin") +
                                       "/tessary-calc --device KX6200 --download --json 2>/dev/null");
    const nlohmann::json result = nlohmann::json::parse(out, nullptr, false);
    ASSERT_FALSE(result.is_discarded()) << out;
    const VcdDump dump = ReadVcd(vcd.string());
    ASSERT_EQ(dump.error, "");
    EXPECT_EQ(dump.timescale, "1ns");

    const auto writes = DecodeWrites(dump);
    std::vector<int> order;
    for (int a = 0x00; a <= 0x14; ++a) order.push_back(a);
    order.push_back(0x1C);
    order.push_back(0x42);
    ASSERT_EQ(writes.size(), order.size());
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].first, order[i]) << i;
        char key[3];
        std::snprintf(key, sizeof key, "%02X", writes[i].first);
        EXPECT_EQ(writes[i].second, result["board"][key].get<int>()) << key;
    }
    fs::remove(vcd);
}

// The waveform of a KX6200 download made by tessary-calc on the virtual port, read with
// an independent VCD reader and decoded from the line levels alone: every register of
// the download is there, in the download's order, with the value the chip took.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

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

// tessary-calc downloads the default KX6200 configuration on the virtual port and dumps
// the waveform to vcd; its JSON answer, with the chip's register file.
nlohmann::json DownloadWithDump(const fs::path& vcd) {
    const char* bin = std::getenv("TESSARY_BIN");
    fs::remove(vcd);
    const std::string out = RunProgram("LPTLINK_DRIVER=sim LPTLINK_SIM_VCD=" + vcd.string() + " " +
                                       std::string(bin ? bin : "build/bin") +
                                       "/tessary-calc --device KX6200 --download --json 2>/dev/null");
    return nlohmann::json::parse(out, nullptr, false);
}

const std::vector<int>& DownloadOrder() {
    static const std::vector<int> order = [] {
        std::vector<int> o;
        for (int a = 0x00; a <= 0x14; ++a) o.push_back(a);
        o.push_back(0x1C);
        o.push_back(0x42);
        return o;
    }();
    return order;
}

int BoardRegister(const nlohmann::json& result, int address) {
    char key[3];
    std::snprintf(key, sizeof key, "%02X", address);
    return result["board"][key].get<int>();
}

}  // namespace

TEST(DownloadWaveform, EveryKX6200RegisterOfTheDownloadIsOnTheWire) {
    const fs::path vcd = fs::temp_directory_path() / "tessary_download_kx6200.vcd";
    const nlohmann::json result = DownloadWithDump(vcd);
    ASSERT_FALSE(result.is_discarded());
    const VcdDump dump = ReadVcd(vcd.string());
    ASSERT_EQ(dump.error, "");
    EXPECT_EQ(dump.timescale, "1ns");

    const auto writes = DecodeWrites(dump);
    ASSERT_EQ(writes.size(), DownloadOrder().size());
    for (std::size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].first, DownloadOrder()[i]) << i;
        EXPECT_EQ(writes[i].second, BoardRegister(result, writes[i].first)) << writes[i].first;
    }
    fs::remove(vcd);
}

// A logic-analyser program reads the same dump: sigrok's SPI decoder, with the chip's
// clock polarity (data taken on the falling edge), finds address and data bytes.
TEST(DownloadWaveform, SigrokDecodesTheDownloadFromTheDump) {
    if (std::system("command -v sigrok-cli >/dev/null 2>&1") != 0) GTEST_SKIP() << "sigrok-cli is not installed";
    const fs::path vcd = fs::temp_directory_path() / "tessary_download_kx6200_sigrok.vcd";
    const nlohmann::json result = DownloadWithDump(vcd);
    ASSERT_FALSE(result.is_discarded());
    std::istringstream decoded(RunProgram("sigrok-cli -I vcd -i " + vcd.string() +
                                          " -P spi:clk=CLOCK:mosi=DATA:cpol=1:cpha=0:wordsize=8 -A spi=mosi-data"));
    std::vector<int> bytes;
    for (std::string line; std::getline(decoded, line);)
        if (line.rfind("spi-1: ", 0) == 0) bytes.push_back(std::stoi(line.substr(7), nullptr, 16));
    ASSERT_EQ(bytes.size(), 2 * DownloadOrder().size());
    for (std::size_t i = 0; i < DownloadOrder().size(); ++i) {
        const int address = DownloadOrder()[i];
        EXPECT_EQ(bytes[2 * i], address << 1 | 1) << i;
        EXPECT_EQ(bytes[2 * i + 1], BoardRegister(result, address)) << address;
    }
    fs::remove(vcd);
}

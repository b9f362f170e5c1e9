// The virtual ATtiny12 refuses hosts that get the wire wrong: a host that does one
// thing wrong writes nothing into the part and reads nothing out of it.

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "common/FileIo.h"
#include "sim/Boards.h"
#include "sim/Tiny12.h"

using sim::Tiny12;

namespace {

struct Faults {
    bool wrongEdge = false;    // data changed with the rising edge instead of before it
    bool lsbFirst = false;
    bool notInverted = false;  // data bit 5 = the bit instead of its complement
    bool noPulse = false;
    bool pulseWithSckHigh = false;
    bool noEntryDelay = false;  // clocks straight after entry
    bool noEnable = false;
};

// A host that drives the part directly with a clock of its own, in register terms.
class Host {
public:
    Host(Tiny12& part, Faults faults) : part_(part), f_(faults) {}
    void Write(std::uint8_t data) { part_.OnData(data_ = data, now_); }
    void Wait(std::uint64_t us) { now_ += us; }
    void Enter() {
        Write(0x01);
        Wait(10000);
        if (!f_.noPulse) {
            Write(0xFF);
            Wait(10000);
            Write(f_.pulseWithSckHigh ? 0xAF : 0xBF);
            Wait(10000);
        }
        Write(0xFF);
        Wait(f_.noEntryDelay ? 1000 : 20000);
        if (!f_.noEnable) Send({0xAC, 0x53, 0x00, 0x00});
    }
    void Bit(bool bit) {
        const bool line = f_.notInverted ? bit : !bit;
        const std::uint8_t level = static_cast<std::uint8_t>(0xDF | (line ? 0x20 : 0));
        if (f_.wrongEdge) {
            Write(static_cast<std::uint8_t>(data_ | 0x10));  // SCK low, data unchanged
            Wait(300);
            Write(static_cast<std::uint8_t>(level & ~0x10));  // data with the rise
            Wait(200);
            return;
        }
        Write(level);  // SCK low, data set up
        Wait(300);
        Write(static_cast<std::uint8_t>(level & ~0x10));  // SCK rises
        Wait(200);
    }
    void Send(std::initializer_list<int> bytes) {
        for (int b : bytes)
            for (int i = 0; i < 8; ++i) Bit((b >> (f_.lsbFirst ? i : 7 - i)) & 1);
    }
    int Read(int b0, int b1, int b2) {
        Send({b0, b1, b2});
        int value = 0;
        for (int i = 0; i < 8; ++i) {
            Write(0xFF);  // SCK falls: the part puts its next bit out
            Wait(300);
            value = value << 1 | (part_.StatusBit5() ? 0 : 1);
            Write(0xEF);
            Wait(200);
        }
        return value;
    }

private:
    Tiny12& part_;
    Faults f_;
    std::uint8_t data_ = 0;
    std::uint64_t now_ = 0;
};

}  // namespace

TEST(Tiny12, AGoodHostWritesAndReadsEveryMemory) {
    Tiny12 part(0x1E, 0x77);
    Host host(part, {});
    host.Enter();
    EXPECT_TRUE(part.Enabled());
    EXPECT_EQ(host.Read(0x30, 0, 0), 0x1E);
    EXPECT_EQ(host.Read(0x30, 0, 1), 0x90);
    EXPECT_EQ(host.Read(0x30, 0, 2), 0x05);
    EXPECT_EQ(host.Read(0x38, 0, 0), 0x77);
    host.Send({0xC0, 0x00, 0x45, 0x3C});  // address bits 5-0: EEPROM byte 5
    EXPECT_EQ(part.Eeprom()[5], 0x3C);
    EXPECT_EQ(host.Read(0xA0, 0x00, 0x05), 0x3C);
    host.Send({0x40, 0x01, 0x23, 0xF0});
    host.Send({0x48, 0x01, 0x23, 0x5A});
    host.Send({0x40, 0x01, 0x23, 0x0F});  // without an erase only bits clear
    EXPECT_EQ(part.Flash()[0x123], 0x5A00);
    EXPECT_EQ(host.Read(0x28, 0x01, 0x23), 0x5A);
    EXPECT_EQ(host.Read(0x20, 0x01, 0x23), 0x00);
    host.Send({0xAC, 0x80, 0x00, 0x00});
    EXPECT_EQ(part.Flash()[0x123], 0xFFFF);
    EXPECT_EQ(part.Eeprom()[5], 0xFF);
    host.Write(0xBF);  // clearing bit 6 ends programming
    EXPECT_FALSE(part.Programming());
    EXPECT_TRUE(part.StatusBit5());
}

TEST(Tiny12, HostsThatGetTheWireWrongChangeNothing) {
    const std::vector<std::pair<const char*, Faults>> hosts = {
        {"wrong edge", {.wrongEdge = true}},
        {"LSB first", {.lsbFirst = true}},
        {"data not inverted", {.notInverted = true}},
        {"no reset pulse", {.noPulse = true}},
        {"pulse with SCK high", {.pulseWithSckHigh = true}},
        {"under 20 ms", {.noEntryDelay = true}},
        {"no Programming Enable", {.noEnable = true}},
    };
    for (const auto& [name, faults] : hosts) {
        Tiny12 part;
        Host host(part, faults);
        host.Enter();
        host.Send({0xC0, 0x00, 0x05, 0x3C});
        host.Send({0x40, 0x00, 0x00, 0x00});
        EXPECT_FALSE(part.Enabled()) << name;
        EXPECT_EQ(part.Eeprom()[5], 0xFF) << name;
        EXPECT_EQ(part.Flash()[0], 0xFFFF) << name;
        EXPECT_NE(host.Read(0x30, 0, 0), 0x1E) << name;
    }
}

TEST(Tiny12, TheFrameBoardShowsPresenceAndTheAnswerLine) {
    sim::FrameBoard plugged(false), unplugged(false, nullptr);
    EXPECT_EQ(plugged.Status() & 0xA0, 0xA0);
    EXPECT_EQ(unplugged.Status() & 0x80, 0);
    EXPECT_EQ(unplugged.Status() & 0x20, 0x20);
}

TEST(Tiny12, TheMemoryFileFollowsThePart) {
    const auto path = (std::filesystem::temp_directory_path() / ("tiny12_" + std::to_string(getpid()) + ".bin")).string();
    std::filesystem::remove(path);
    {
        Tiny12 part(0x1E, 0x5A, path);
        EXPECT_TRUE(part.Notice().empty());
        Host host(part, {});
        host.Enter();
        host.Send({0xC0, 0x00, 0x02, 0x99});
        host.Send({0x48, 0x00, 0x01, 0x12});
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(tessary::ReadWholeFile(path, bytes, error));
    ASSERT_EQ(bytes.size(), 1088u);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0x12);  // word 1's high byte
    EXPECT_EQ(bytes[1024 + 2], 0x99);
    {
        Tiny12 again(0x1E, 0x5A, path);
        EXPECT_EQ(again.Flash()[1], 0x12FF);
        EXPECT_EQ(again.Eeprom()[2], 0x99);
    }
    ASSERT_TRUE(tessary::WriteWholeFile(path, "short", error));
    Tiny12 erased(0x1E, 0x5A, path);
    EXPECT_NE(erased.Notice().find("not 1088"), std::string::npos);
    EXPECT_EQ(erased.Eeprom()[2], 0xFF);
    Host host(erased, {});
    host.Enter();
    host.Send({0xC0, 0x00, 0x02, 0x11});
    ASSERT_TRUE(tessary::ReadWholeFile(path, bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "short");  // left alone
    std::filesystem::remove(path);
}

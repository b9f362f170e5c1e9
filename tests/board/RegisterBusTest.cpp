// The transfers, checked by what the virtual chips decode from the line levels.

#include "studio/board/CRegisterBus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "BoardRig.h"

using namespace tessary;
using namespace tessary::testing;
using ::testing::ElementsAre;
using ::testing::Pair;

namespace {

// A board that pulls every status input low.
class StuckLow : public sim::VirtualBoard {
public:
    std::string_view Name() const override { return "stuck-low"; }
    void OnLines(std::uint8_t, std::uint8_t) override {}
    std::uint8_t Status() const override { return 0x00; }
};

}  // namespace

TEST(ThreeWireBus, WriteAndReadThroughTheChip) {
    BoardRig rig(std::make_unique<sim::ThreeWireBoard>("kx6200"));
    rig.bus.WriteRegister(0x05, 0xA5);
    EXPECT_THAT(rig.board->Writes(), ElementsAre(Pair(0x05, 0xA5)));
    EXPECT_EQ(rig.bus.ReadRegister(0x05), 0xA5);
    rig.bus.WriteRegister(0x42, 0x3F);
    rig.bus.WriteRegister(0x1C, 0x81);
    EXPECT_EQ(rig.bus.ReadRegister(0x42), 0x3F);
    EXPECT_EQ(rig.bus.ReadRegister(0x1C), 0x81);
    EXPECT_EQ(rig.bus.ReadRegister(0x05), 0xA5);
    EXPECT_EQ(rig.bus.ReadRegister(0x30), 0x00);  // no register there
    EXPECT_EQ(rig.timing.Count("sleep 1"), 5 * 8);
    EXPECT_EQ(rig.timing.events.size(), 5u * 8u);  // writes have no pauses at all
}

TEST(ThreeWireBus, WriteIsByteForByte) {
    BoardRig rig;
    rig.bus.WriteRegister(0x05, 0xA5);
    // Address byte 0x0B = 0000 1011, data 0xA5 = 1010 0101.
    const std::vector<std::uint8_t> expected = {
        0x0F, 0x07,
        0x03, 0x01, 0x03, 0x01, 0x03, 0x01, 0x03, 0x01, 0x07, 0x05, 0x03, 0x01, 0x07, 0x05, 0x07, 0x05,
        0x07, 0x0F,
        0x0F, 0x0F, 0x0D, 0x0F, 0x0B, 0x09, 0x0B, 0x0F, 0x0D, 0x0F, 0x0B, 0x09, 0x0B, 0x0B, 0x09,
        0x0B, 0x0F, 0x0D, 0x0F, 0x0B, 0x09, 0x0B, 0x0F, 0x0D,
        0x0F, 0x0F};
    EXPECT_EQ(rig.DataWrites(), expected);
    EXPECT_EQ(rig.io.log.front().address, 0x37A);
    EXPECT_EQ(rig.io.log.front().value, 3);
}

TEST(ThreeWireBus, ReadSendsTheReadAddressAndSamplesAfterEachFallingEdge) {
    BoardRig rig;
    EXPECT_EQ(rig.bus.ReadRegister(0x05), 0xFF);  // nothing drives bit 7: all ones
    const auto d = rig.DataWrites();
    // 0x0B, 0x03, then 0x0A = 0000 1010 in three writes per bit.
    const std::vector<std::uint8_t> head = {0x0B, 0x03, 0x03, 0x03, 0x01, 0x03, 0x03, 0x01, 0x03, 0x03, 0x01,
                                            0x03, 0x03, 0x01, 0x03, 0x07, 0x05, 0x07, 0x03, 0x01, 0x03, 0x07,
                                            0x05, 0x07, 0x03, 0x01, 0x03, 0x0F};
    ASSERT_GE(d.size(), head.size());
    EXPECT_EQ(std::vector<std::uint8_t>(d.begin(), d.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(d.back(), 0x0D);
    EXPECT_EQ(d[d.size() - 2], 0x0D);
}

TEST(ThreeWireBus, HostsThatGetTheWireWrongGetWrongResults) {
    BoardRig rig(std::make_unique<sim::ThreeWireBoard>("kx6200"));
    CParallelPort& p = rig.port;
    auto send = [&](unsigned byte, bool lsbFirst, bool changeAfterFall) {
        for (int i = 0; i < 8; ++i) {
            const int bit = lsbFirst ? i : 7 - i;
            const std::uint8_t level = (byte >> bit) & 1 ? 0x04 : 0x00;
            if (changeAfterFall) {
                p.WriteData(static_cast<std::uint8_t>(0x03 | 0x00));
                p.WriteData(static_cast<std::uint8_t>(0x01));
                p.WriteData(static_cast<std::uint8_t>(0x01 | level));  // too late: the edge has passed
            } else {
                p.WriteData(static_cast<std::uint8_t>(0x03 | level));
                p.WriteData(static_cast<std::uint8_t>(0x01 | level));
            }
        }
    };
    // Bits sent least significant first: the chip sees another address and value.
    p.WriteData(0x0F);
    p.WriteData(0x07);
    send(0x0B, true, false);
    p.WriteData(0x03);
    p.WriteData(0x0B);
    send(0xA5, true, false);
    EXPECT_NE(rig.board->Register(0x05), 0xA5);

    // Data changed after the falling edge: the chip took the old level every time.
    p.WriteData(0x0F);
    p.WriteData(0x07);
    send(0x0B, false, true);
    p.WriteData(0x03);
    p.WriteData(0x0B);
    send(0x5A, false, true);
    EXPECT_NE(rig.board->Register(0x05), 0x5A);

    // Without the address latch rising, no write happens at all.
    const auto before = rig.board->Writes().size();
    p.WriteData(0x0F);
    p.WriteData(0x07);
    send(0x0B, false, false);
    send(0xA5, false, false);
    EXPECT_EQ(rig.board->Writes().size(), before);
}

TEST(KX6500Bus, WriteAndReadThroughTheBoard) {
    BoardRig rig(std::make_unique<sim::KX6500Board>());
    rig.port.WriteData(0xC1);  // out of the power-on reset
    rig.bus.WriteRegisterKX6500(0xC8, 0x5A);
    EXPECT_THAT(rig.board->Writes(), ElementsAre(Pair(0xC8, 0x5A)));
    EXPECT_EQ(rig.bus.ReadRegisterKX6500(0xC8), 0x5A);
    rig.bus.WriteRegisterKX6500(0xFF, 0x81);
    EXPECT_EQ(rig.bus.ReadRegisterKX6500(0xFF), 0x81);
    EXPECT_EQ(rig.timing.Count("wait 200"), 4 * 32);
    EXPECT_EQ(rig.timing.Count("sleep 1"), 0);
    // Every routine leaves the board's idle state.
    EXPECT_EQ(rig.virtualPort.Read(0x378), 0xC1);
    EXPECT_EQ(rig.virtualPort.Read(0x37A), 0x00);
}

TEST(KX6500Bus, FirstByteAndMarker) {
    BoardRig rig;
    rig.bus.WriteRegisterKX6500(0xC8, 0x00);
    auto d = rig.DataWrites();
    // 0xC1, then 16 bits, then 0xC1.
    ASSERT_EQ(d.size(), 18u);
    std::vector<std::uint8_t> first(d.begin() + 1, d.begin() + 9);
    EXPECT_EQ(first, (std::vector<std::uint8_t>{0xC7, 0xC5, 0xC1, 0xC1, 0xC5, 0xC1, 0xC1, 0xC1}));  // 0xC8
    int markers = 0;
    for (auto v : d) markers += (v & 0x02) ? 1 : 0;
    EXPECT_EQ(markers, 1);

    rig.io.log.clear();
    rig.bus.ReadRegisterKX6500(0xC8);
    d = rig.DataWrites();
    first.assign(d.begin() + 1, d.begin() + 9);
    EXPECT_EQ(first, (std::vector<std::uint8_t>{0xC3, 0xC5, 0xC1, 0xC1, 0xC5, 0xC1, 0xC1, 0xC1}));  // 0x48
    markers = 0;
    for (auto v : d) markers += (v & 0x02) ? 1 : 0;
    EXPECT_EQ(markers, 1);
}

TEST(KX6500Bus, ReadsSeeOnlyWhatTheStatusLineSays) {
    BoardRig low(std::make_unique<StuckLow>());
    EXPECT_EQ(low.bus.ReadRegisterKX6500(0xC8), 0x00);
    BoardRig none;
    EXPECT_EQ(none.bus.ReadRegisterKX6500(0xC8), 0xFF);
}

TEST(KX6500Bus, MissingMarkerMeansNoTransfer) {
    BoardRig rig(std::make_unique<sim::KX6500Board>());
    CParallelPort& p = rig.port;
    p.WriteData(0xC1);
    p.WriteControl(2);
    for (unsigned byte : {0xC8u, 0x33u}) {
        for (int bit = 7; bit >= 0; --bit) {
            p.WriteData(static_cast<std::uint8_t>(0xC1 | ((byte >> bit) & 1 ? 0x04 : 0)));
            p.WriteControl(3);
            p.WriteControl(2);
        }
    }
    p.WriteControl(0);
    EXPECT_TRUE(rig.board->Writes().empty());
}

TEST(KX6500Bus, HardwareReset) {
    BoardRig rig(std::make_unique<sim::KX6500Board>());
    auto* chip = dynamic_cast<sim::KX6500Board*>(rig.board);
    rig.port.WriteData(0xC1);
    rig.bus.WriteRegisterKX6500(0xEA, 0x12);
    rig.bus.ResetKX6500();
    EXPECT_EQ(chip->Resets(), 1);
    EXPECT_FALSE(chip->InReset());
    EXPECT_EQ(rig.board->Register(0xEA), 0);
    EXPECT_EQ(rig.timing.events.back(), "sleep 1");
    EXPECT_EQ(rig.DataWrites().back(), 0xC1);
}

TEST(FrameBus, FrameSetReachesTheChipFrames) {
    BoardRig rig(std::make_unique<sim::FrameBoard>(false));
    rig.bus.WriteFrameSet({0, 0x0123, 0x0456, 0x0789, 0x0ABC, 0x0DEF, 0x1000, 0x1FFF});
    EXPECT_EQ(rig.board->Register(0), 0);
    EXPECT_EQ(rig.board->Register(1), 0x0123);
    EXPECT_EQ(rig.board->Register(6), 0x1000);
    EXPECT_EQ(rig.board->Register(7), 0x1FFF);
    ASSERT_EQ(rig.board->Writes().size(), 8u);
    EXPECT_EQ(rig.board->Writes()[7], std::make_pair(7, 0x1FFF));  // sent as 0xFFFF
    EXPECT_EQ(rig.timing.Count("sleep 1"), 8 * 35);
    EXPECT_EQ(rig.io.log.back().value & 0x0A, 0);  // clock and strobe low after a frame
    EXPECT_EQ(rig.io.log.back().value & 0x04, 0x04);  // the data line keeps the last bit
}

TEST(FrameBus, DataChangesOnlyWhileTheClockIsHigh) {
    BoardRig rig;
    rig.bus.WriteFrame(0xA5A5);
    const auto d = rig.DataWrites();
    for (std::size_t i = 1; i < d.size(); ++i) {
        const bool dataChanged = ((d[i] ^ d[i - 1]) & 0x04) != 0;
        if (dataChanged) {
            EXPECT_TRUE(d[i] & 0x02) << "write " << i;
        }
    }
}

TEST(LockPin, ActiveLow) {
    BoardRig high;
    EXPECT_FALSE(high.bus.GetLockPin());
    BoardRig low(std::make_unique<StuckLow>());
    EXPECT_TRUE(low.bus.GetLockPin());
}

TEST(Boards, GarbageOnTheLinesNeverHurts) {
    std::mt19937 rng(99);
    for (const char* name : {"kx400", "kx900", "kx6200", "kx6300", "kx6500", "loopback"}) {
        BoardRig rig(sim::MakeBoard(name));
        for (int i = 0; i < 200000; ++i) {
            const auto value = static_cast<std::uint8_t>(rng());
            switch (rng() % 3) {
                case 0: rig.virtualPort.Write(0x378, value); break;
                case 1: rig.virtualPort.Write(0x37A, value); break;
                default: rig.virtualPort.Read(0x379); break;
            }
        }
        // Afterwards the chip still works.
        if (std::string(name) == "kx6200") {
            rig.bus.WriteRegister(0x07, 0x42);
            EXPECT_EQ(rig.bus.ReadRegister(0x07), 0x42);
        }
        if (std::string(name) == "kx6500") {
            rig.port.WriteData(0xC1);
            rig.bus.WriteRegisterKX6500(0xD9, 0x42);
            EXPECT_EQ(rig.bus.ReadRegisterKX6500(0xD9), 0x42);
        }
    }
}

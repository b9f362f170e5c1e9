// The pieces of the virtual target's serial line, in virtual time: the monitor's frame
// receiver, fault injection, what a receiver at another bit rate makes of a byte, and
// bytes in flight.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/Crc16.h"
#include "sim/monitor/MonitorFrames.h"
#include "sim/target/LinkFaults.h"
#include "sim/target/SerialLine.h"

using sim::monitor::EncodeReply;
using FrameReceiver = sim::monitor::FrameReceiver;
using Result = FrameReceiver::Result;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Framed(Bytes bytes) {
    const std::uint16_t crc = tessary::Crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    bytes.push_back(static_cast<std::uint8_t>(crc));
    return bytes;
}

std::vector<Result> Feed(FrameReceiver& r, const Bytes& bytes, std::uint64_t& now, std::uint64_t stepUs = 100) {
    std::vector<Result> results;
    for (std::uint8_t b : bytes) {
        results.push_back(r.Take(b, now));
        now += stepUs;
    }
    return results;
}

}  // namespace

TEST(MonitorFrames, PollsFramesAndBadCrcs) {
    FrameReceiver r(20000);
    std::uint64_t now = 0;
    EXPECT_EQ(Feed(r, {0x00}, now), std::vector{Result::Frame});
    EXPECT_EQ(r.Frame().code, 0);
    auto results = Feed(r, Framed({0x11, 0x03, 0x07, 0xE8, 0x16}), now);
    EXPECT_EQ(results.back(), Result::Frame);
    EXPECT_TRUE(std::all_of(results.begin(), results.end() - 1, [](Result x) { return x == Result::Pending; }));
    EXPECT_EQ(r.Frame().code, 0x11);
    EXPECT_EQ(r.Frame().data, (Bytes{0x07, 0xE8, 0x16}));
    // A zero inside a frame is data, not a poll; a frame of length 0 has its CRC.
    EXPECT_EQ(Feed(r, Framed({0x10, 0x02, 0x00, 0x05}), now).back(), Result::Frame);
    EXPECT_EQ(r.Frame().data, (Bytes{0x00, 0x05}));
    EXPECT_EQ(Feed(r, Framed({0x18, 0x00}), now).back(), Result::Frame);
    Bytes bad = Framed({0x14, 0x02, 0xE0, 0x01});
    bad[3] ^= 0x40;
    EXPECT_EQ(Feed(r, bad, now).back(), Result::BadCrc);
    EXPECT_EQ(Feed(r, {0x00}, now), std::vector{Result::Frame});  // the next byte starts afresh
    // What the monitor sends parses as the same frames.
    EXPECT_EQ(EncodeReply(0x55, Bytes{0x04}), Framed({0x55, 0x01, 0x04}));
    EXPECT_EQ(EncodeReply(0xF0, {}), Framed({0xF0, 0x00}));
}

TEST(MonitorFrames, AFrameBrokenOffLongerThanTheGapIsDropped) {
    FrameReceiver r(20000);
    std::uint64_t now = 0;
    const Bytes frame = Framed({0x11, 0x03, 0x00, 0x10, 0x04});
    Feed(r, Bytes(frame.begin(), frame.begin() + 3), now);
    now += 20000 - 100;  // exactly the gap after the last byte: still the same frame
    EXPECT_EQ(Feed(r, Bytes(frame.begin() + 3, frame.end()), now).back(), Result::Frame);
    Feed(r, Bytes(frame.begin(), frame.begin() + 3), now);
    now += 20001 - 100;
    // The rest arrives too late: the old bytes are gone and the poll counts as one.
    EXPECT_EQ(Feed(r, {0x00}, now), std::vector{Result::Frame});
    EXPECT_EQ(r.Incomplete(), 1u);
}

TEST(LinkFaults, SpecificationsAreParsedOrRefusedClearly) {
    std::string error;
    auto rates = sim::ParseFaultRates("drop=0.5,flip=1.25", error);
    ASSERT_TRUE(rates) << error;
    EXPECT_EQ(rates->drop, 0.5);
    EXPECT_EQ(rates->flip, 1.25);
    EXPECT_EQ(rates->insert, 0);
    rates = sim::ParseFaultRates("insert=2,drop=0,flip=100", error);
    ASSERT_TRUE(rates) << error;
    EXPECT_EQ(rates->insert, 2);
    EXPECT_EQ(rates->flip, 100);
    const std::pair<const char*, const char*> bad[] = {
        {"", "is not drop=P"},         {"drop", "is not drop=P"},          {"lose=1", "'lose=1'"},
        {"drop=1,drop=2", "twice"},    {"flip=x", "percentage from 0 to 100"}, {"flip=101", "percentage"},
        {"flip=-1", "percentage"},     {"drop=1,", "is not drop=P"},       {"drop=1 ", "percentage"},
    };
    for (const auto& [text, message] : bad) {
        error.clear();
        EXPECT_FALSE(sim::ParseFaultRates(text, error)) << text;
        EXPECT_NE(error.find(message), std::string::npos) << text << ": " << error;
    }
}

// A million bytes: every count lies within five standard deviations of its rate, and
// the stream shows exactly the faults counted.
TEST(LinkFaults, LongStreamsCarryTheAskedRates) {
    constexpr int kBytes = 1'000'000;
    Bytes in(kBytes);
    for (int i = 0; i < kBytes; ++i) in[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + i / 256);
    auto expectRate = [](std::uint64_t count, double percent) {
        const double p = percent / 100, mean = kBytes * p, sigma = std::sqrt(kBytes * p * (1 - p));
        EXPECT_NEAR(static_cast<double>(count), mean, 5 * sigma) << percent << " %";
    };
    auto carry = [&in](sim::LinkFaults& faults) {
        Bytes out;
        for (std::uint8_t b : in) faults.Carry(b, out);
        return out;
    };

    sim::LinkFaults flips({0, 2, 0}, 7);
    Bytes out = carry(flips);
    ASSERT_EQ(out.size(), in.size());
    std::uint64_t differing = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == out[i]) continue;
        ++differing;
        EXPECT_EQ(std::popcount(static_cast<unsigned>(in[i] ^ out[i])), 1) << i;
    }
    EXPECT_EQ(differing, flips.Counts().flipped);
    expectRate(flips.Counts().flipped, 2);

    sim::LinkFaults drops({1, 0, 0}, 7);
    out = carry(drops);
    EXPECT_EQ(out.size(), in.size() - drops.Counts().dropped);
    std::size_t matched = 0;  // the rest is the stream in order
    for (std::size_t i = 0; i < in.size() && matched < out.size(); ++i) matched += in[i] == out[matched];
    EXPECT_EQ(matched, out.size());
    expectRate(drops.Counts().dropped, 1);

    sim::LinkFaults inserts({0, 0, 0.5}, 7);
    out = carry(inserts);
    EXPECT_EQ(out.size(), in.size() + inserts.Counts().inserted);
    expectRate(inserts.Counts().inserted, 0.5);

    sim::LinkFaults all({1, 2, 0.5}, 9);
    carry(all);
    EXPECT_EQ(all.Counts().bytes, static_cast<std::uint64_t>(kBytes));
    expectRate(all.Counts().dropped, 1);
    expectRate(all.Counts().flipped, 2 * 0.99);  // a dropped byte is not flipped too
    expectRate(all.Counts().inserted, 0.5 * 0.99);
    EXPECT_EQ(all.Counts().Total(), all.Counts().dropped + all.Counts().flipped + all.Counts().inserted);
}

TEST(LinkFaults, TheSeedDecidesTheFaults) {
    auto run = [](std::uint64_t seed) {
        sim::LinkFaults faults({3, 3, 3}, seed);
        Bytes out;
        for (int i = 0; i < 5000; ++i) faults.Carry(static_cast<std::uint8_t>(i), out);
        return out;
    };
    EXPECT_EQ(run(1), run(1));
    EXPECT_NE(run(1), run(2));
    sim::LinkFaults none({0, 0, 0}, 1);
    Bytes out;
    for (int i = 0; i < 256; ++i) none.Carry(static_cast<std::uint8_t>(i), out);
    EXPECT_EQ(out.size(), 256u);
    EXPECT_EQ(none.Counts().Total(), 0u);
}

TEST(SerialLine, RatesWithinFourPercentAgreeAndOthersGarbleEveryByte) {
    EXPECT_TRUE(sim::RatesAgree(57600, 57600));
    EXPECT_TRUE(sim::RatesAgree(9600, 9375));   // 3 MHz: reload 251
    EXPECT_TRUE(sim::RatesAgree(59904, 57600));  // 4 %
    EXPECT_FALSE(sim::RatesAgree(59905, 57600));
    EXPECT_FALSE(sim::RatesAgree(115200, 57600));
    EXPECT_TRUE(sim::RatesAgree(0, 57600));  // unknown: nothing to compare
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        // A receiver 2 % off still samples every bit inside its bit time.
        EXPECT_EQ(sim::SampleAcrossRates(byte, 57600, 58752), byte) << b;
        EXPECT_EQ(sim::SampleAcrossRates(byte, 58752, 57600), byte) << b;
        for (const auto& [from, to] : {std::pair{115200, 57600}, {57600, 115200}, {9600, 57600}, {57600, 62208}})
            EXPECT_NE(sim::Garble(byte, from, to), byte) << b << " " << from << "->" << to;
    }
    // Twice as fast: the receiver samples bits 2, 4 and 6, then the stop bit and the idle line.
    EXPECT_EQ(sim::SampleAcrossRates(0x55, 115200, 57600), 0xFF);
    EXPECT_EQ(sim::SampleAcrossRates(0x0B, 115200, 57600), 0xF8);
}

TEST(SerialLine, BytesInFlightTakeTheirTimeOneBehindTheOther) {
    sim::WireQueue q;
    const double t = sim::ByteMicroseconds(57600);  // 173.6 us
    EXPECT_NEAR(t, 173.611, 0.001);
    q.Put(0x01, 1000, t);
    q.Put(0x02, 1000, t);
    q.Put(0x03, 1100, t);
    EXPECT_FALSE(q.Take(1173));
    EXPECT_EQ(q.NextArrival(), 1174u);
    auto a = q.Take(1174);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->byte, 0x01);
    EXPECT_EQ(q.NextArrival(), 1348u);  // 1000 + 2 t, rounded up
    EXPECT_EQ(q.Take(5000)->byte, 0x02);
    EXPECT_EQ(q.Take(5000)->atUs, 1521u);  // behind the second, not 1100 + t
    EXPECT_TRUE(q.Empty());
    q.Put(0x04, 9000, t);  // an idle line starts again from now
    EXPECT_EQ(q.NextArrival(), 9174u);
    sim::WireQueue unpaced;
    unpaced.Put(0x05, 42, 0);
    EXPECT_EQ(unpaced.Take(42)->byte, 0x05);
}

// The programmer's SPI clock on a simulated time line: port accesses and clock readings
// take time, and the rising SCK edges are judged from the times the writes reach the
// port, as on the wire.

#include "lptlink/core/SpiBitClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "lptlink/core/SpiProgrammer.h"
#include "sim/Boards.h"
#include "sim/VirtualPort.h"

using namespace lptlink;

TEST(SpiBitClock, PeriodReadWaitAndTheLeadFromItsSamples) {
    SpiBitClock clock;
    EXPECT_FALSE(clock.Paced());
    clock.Start(1000000000, 300000, 500);
    EXPECT_TRUE(clock.Paced());
    EXPECT_EQ(clock.Period(), 3334u);  // rounded up: never a faster clock
    EXPECT_EQ(clock.Half(), 1667u);
    EXPECT_EQ(clock.ReadWait(), 10000u);
    EXPECT_EQ(clock.Lead(), 500u);
    for (std::size_t i = 0; i + 1 < SpiBitClock::kSamples; ++i) clock.ObserveLead(i % 2 ? 700 : 600);
    EXPECT_EQ(clock.Lead(), 500u);  // a full set of samples first
    clock.ObserveLead(90000);       // an interrupted bit among them
    EXPECT_EQ(clock.Lead(), 600u);  // the quarter of the samples that were fastest
    SpiBitClock none;
    none.Start(0, 300000, 500);
    EXPECT_FALSE(none.Paced());
    none.Start(3579545, 50000, 0);
    EXPECT_EQ(none.Period(), 72u);
    EXPECT_EQ(none.ReadWait(), 36u);
}

namespace {

// One time line in nanoseconds: every clock reading and port access moves it on.
struct TimeLine {
    std::uint64_t now = 5000000;
};

class SimulatedTime : public SpiTime {
public:
    explicit SimulatedTime(TimeLine& t) : t_(t) {}
    bool Frequency(std::uint64_t& f) override {
        f = 1000000000;
        return true;
    }
    std::uint64_t Now() override { return t_.now += 25; }
    void SleepMilliseconds(int ms) override { t_.now += static_cast<std::uint64_t>(ms) * 1000000; }
    void WaitMicroseconds(int us) override { t_.now += static_cast<std::uint64_t>(us) * 1000; }

private:
    TimeLine& t_;
};

struct Stamp {
    std::uint64_t ns;
    std::uint8_t value;
};

class TimedPort : public SpiPort {
public:
    TimedPort(TimeLine& t, sim::VirtualPort& port) : t_(t), port_(port) {}
    std::uint8_t Read(std::uint16_t address) override {
        t_.now += 200;
        return port_.Read(address);
    }
    void Write(std::uint16_t address, std::uint8_t value) override {
        if (address == 0x378) writes.push_back({t_.now, value});
        t_.now += 300;
        // The thread loses the processor in the middle of a bit of an exchange.
        if (address == 0x378 && (value & 0xC0) == 0x40 && ++programming_ == stallAt) t_.now += 50000;
        port_.Write(address, value);
    }
    std::vector<Stamp> writes;
    std::optional<std::size_t> stallAt;  // counted in writes with the programming pattern

private:
    std::size_t programming_ = 0;
    TimeLine& t_;
    sim::VirtualPort& port_;
};

// The rising SCK edges of each 32-bit exchange, found from the data-register writes
// alone: a word's bits are SCK low then SCK high with the programming pattern.
std::vector<std::vector<Stamp>> Words(const std::vector<Stamp>& writes) {
    std::vector<std::vector<Stamp>> words;
    std::vector<Stamp> current;
    bool low = false;
    for (const Stamp& w : writes) {
        const bool programming = (w.value & 0xC0) == 0x40;  // reset held, the SPI lines live
        if (programming && !(w.value & 0x10)) {
            if (low) {  // SCK low twice over: a word ended
                if (current.size() == 32) words.push_back(current);
                current.clear();
            }
            low = true;
        } else if (programming && low) {
            current.push_back(w);
            low = false;
        } else {
            if (current.size() == 32) words.push_back(current);
            current.clear();
            low = false;
        }
    }
    return words;
}

}  // namespace

TEST(SpiBitClock, EdgesComeOnePeriodApartAndAnInterruptionShortensNothing) {
    TimeLine t;
    sim::VirtualPort virtualPort({0x378, 0, 0});
    virtualPort.Attach(std::make_unique<sim::KX6500Board>());
    TimedPort port(t, virtualPort);
    SimulatedTime time(t);
    SpiProgrammer programmer(port, time, nullptr);
    port.stallAt = 40;  // the first handshake's twentieth bit
    const int rate = 100000;
    ASSERT_EQ(programmer.Transaction(nullptr, 0x378, 14745600.0f, rate, SPI_ACTION_READ_SIGNATURE, 0, {}, nullptr), 1u);

    const auto words = Words(port.writes);
    ASSERT_GE(words.size(), 2u);  // the handshake and the signature read
    const double period = 1e9 / rate;
    std::vector<double> periods;
    int long_ = 0;
    for (const auto& word : words) {
        for (std::size_t i = 0; i + 1 < word.size(); ++i) {
            const auto p = static_cast<double>(word[i + 1].ns - word[i].ns);
            EXPECT_GE(p, period) << "bit " << i;
            if (i != 23) periods.push_back(p);
            long_ += p > 2 * period;
        }
    }
    EXPECT_EQ(long_, 1);  // the interrupted bit, and no other
    std::sort(periods.begin(), periods.end());
    EXPECT_LT(periods[periods.size() / 2], period * 1.01);

    // The byte the signature read returns: SCK stays low 10 us before bit 24's rising
    // edge. And SCK is high for at least half a period.
    const auto& read = words.back();
    const auto rise24 = std::find_if(port.writes.begin(), port.writes.end(),
                                     [&](const Stamp& s) { return s.ns == read[24].ns; });
    ASSERT_NE(rise24, port.writes.begin());
    EXPECT_GE(rise24->ns - (rise24 - 1)->ns, 10000u);
    for (std::size_t i = 1; i < port.writes.size(); ++i) {
        const Stamp &a = port.writes[i - 1], &b = port.writes[i];
        if ((a.value & 0xD0) == 0x50 && (b.value & 0xD0) == 0x40) {
            EXPECT_GE(static_cast<double>(b.ns - a.ns), period / 2);
        }
    }
}

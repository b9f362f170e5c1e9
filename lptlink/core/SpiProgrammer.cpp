#include "lptlink/core/SpiProgrammer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace lptlink {

namespace {

constexpr std::uint32_t kProgrammingEnable = 0xAC530000;
constexpr std::uint32_t kChipErase = 0xAC800000;

std::string Format(const char* format, auto... args) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

struct Aborted {};

}  // namespace

void ProgrammerTrace::Line(std::uint64_t clockMs, const std::string& text) {
    if (!file_) {
        file_ = std::fopen(path_.c_str(), "w");
        openedMs_ = clockMs;
    }
    const std::uint64_t since = clockMs >= openedMs_ ? clockMs - openedMs_ : 0;
    if (file_) std::fprintf(file_, "%5llu: %s\n", static_cast<unsigned long long>(since), text.c_str());
}

void ProgrammerTrace::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

std::string DescribeExchange(std::uint32_t tx, std::uint32_t rx) {
    const std::uint32_t top16 = tx >> 16, top8 = tx >> 24;
    if (top16 == 0xAC53) return "Programming enable";
    if (top16 == 0xAC5D) return Format("Set flash timing to %d", static_cast<int>(tx & 0x3F));
    if (tx >= 0xAC800000 && tx <= 0xAC9FFFFF) return "Chip erase";
    if ((tx & 0xF7000000) == 0x40000000)
        return Format("Load program memory page with 0x%02x @ 0x%02x", tx & 0xFF,
                      ((tx >> 10) & 0x3F) * 2 + ((tx >> 27) & 1));
    if (top8 == 0x4C) return Format("Write program memory page to flash page 0x%02x", (tx >> 16) & 0xFF);
    if ((tx & 0xF7000000) == 0x20000000)
        return Format("Read program memory @ 0x%04x: 0x%02x", ((tx >> 10) & 0x3FFF) * 2 + ((tx >> 27) & 1), rx & 0xFF);
    if (tx >= 0xACE00000 && tx <= 0xACFFFFFF) return Format("Write lock bits: 0x%02x", tx & 0xFF);
    if (top8 == 0x58) return Format("Read lock bits: 0x%02x", rx & 0xFF);
    if (top8 == 0x30) return Format("Read signature byte from %d: 0x%02x", (tx >> 8) & 7, rx & 0xFF);
    return "Unknown command";
}

std::string DeviceName(int s) {
    if ((s & 0xFC) == 0) return Format("Norvane KX6500 (Rev %d)", s & 3);
    if ((s & 0xFC) == 4) return Format("Zensys MF (Rev %d)", s & 3);
    return Format("Unknown device (Rev %d)", s & 3);
}

int FlashTiming(double clockHz) { return static_cast<int>(clockHz * 0.0000015625 + 1.0); }

void SpiProgrammer::Trace(const std::string& text) {
    if (!trace_) return;
    // The whole counter, split so that ticks x 1000 cannot overflow: the low 32 bits
    // of a fast counter wrap within seconds.
    const std::uint64_t ticks = time_.Now();
    const std::uint64_t ms =
        frequency_ ? ticks / frequency_ * 1000 + ticks % frequency_ * 1000 / frequency_ : 0;
    trace_->Line(ms, text);
}

void SpiProgrammer::Calibrate(int spiRate) {
    clock_.Reset();
    edge_ = 0;
    if (!time_.Frequency(frequency_) || frequency_ == 0) {
        frequency_ = 0;
        return;
    }
    time_.SleepMilliseconds(10);
    // What a read and a write cost on this port: the best of several rounds, since an
    // interruption only ever makes a round slower.
    std::uint64_t best = ~std::uint64_t{0};
    for (int round = 0; round < 5; ++round) {
        const std::uint64_t start = time_.Now();
        for (int i = 0; i < 1000; ++i) {
            port_.Read(static_cast<std::uint16_t>(base_ + 1));
            port_.Write(base_, 0xC8);
        }
        best = std::min(best, time_.Now() - start);
    }
    clock_.Start(frequency_, spiRate, best / 1000);
    // Re-checked on bits clocked exactly as an exchange clocks them, with the idle
    // pattern, which the device ignores: their reads and writes set the lead.
    Bit(0xC8, 0xC8, BitKind::First);
    for (std::size_t i = 0; i < 2 * SpiBitClock::kSamples; ++i) Bit(0xC8, 0xC8, BitKind::Next);
}

std::uint64_t SpiProgrammer::SpinUntil(std::uint64_t t) {
    std::uint64_t now = time_.Now();
    while (static_cast<std::int64_t>(t - now) > 0) now = time_.Now();
    return now;
}

void SpiProgrammer::HalfBitWait() {
    if (clock_.Paced()) SpinUntil(time_.Now() + clock_.Half());
}

std::uint8_t SpiProgrammer::Bit(std::uint8_t low, std::uint8_t high, BitKind kind) {
    if (!clock_.Paced()) {
        port_.Write(base_, low);
        const std::uint8_t status = port_.Read(static_cast<std::uint16_t>(base_ + 1));
        port_.Write(base_, high);
        return status;
    }
    SpinUntil(edge_ + clock_.Half());
    port_.Write(base_, low);
    const std::uint64_t fell = time_.Now();
    // The low phase ends the lead before the rising edge is due. Counted from the
    // falling edge, so that a counter that wraps around changes nothing.
    const auto ticks = [](std::uint64_t t) { return static_cast<std::int64_t>(t); };
    const std::int64_t lead = ticks(clock_.Lead());
    std::int64_t until =
        (kind == BitKind::First ? ticks(clock_.Half()) : ticks(edge_ + clock_.Period() - fell)) - lead;
    if (kind == BitKind::BeforeReadByte) until = std::max(until, ticks(clock_.ReadWait()));
    const std::uint64_t ready = SpinUntil(fell + static_cast<std::uint64_t>(until));
    const std::uint8_t status = port_.Read(static_cast<std::uint16_t>(base_ + 1));
    port_.Write(base_, high);
    edge_ = time_.Now();
    if (kind == BitKind::Next) clock_.ObserveLead(edge_ - ready);
    return status;
}

std::uint32_t SpiProgrammer::Transfer(std::uint32_t word, bool readsAByte) {
    std::uint32_t received = 0;
    std::uint8_t mosi = 0;
    for (int i = 0; i < 32; ++i) {
        mosi = (word >> (31 - i)) & 1 ? 0x20 : 0x00;
        const BitKind kind = i == 0 ? BitKind::First : readsAByte && i == 24 ? BitKind::BeforeReadByte : BitKind::Next;
        const std::uint8_t status =
            Bit(static_cast<std::uint8_t>(0x49 | mosi), static_cast<std::uint8_t>(0x59 | mosi), kind);
        received = received << 1 | ((status >> 5) & 1u);
    }
    if (clock_.Paced()) SpinUntil(edge_ + clock_.Half());
    port_.Write(base_, static_cast<std::uint8_t>(0x49 | mosi));
    Trace(Format("TX(%08x) RX(%08x) ", word, received) + DescribeExchange(word, received));
    return received;
}

bool SpiProgrammer::EnterProgrammingMode() {
    port_.Write(base_, 0xC9);
    time_.WaitMicroseconds(300);
    port_.Write(base_, 0x09);
    Trace("Resetting device");
    time_.SleepMilliseconds(1);
    port_.Write(base_, 0x49);
    bool inStep = false;
    for (int attempt = 0; attempt < 32 && !inStep; ++attempt) {
        if (((Transfer(kProgrammingEnable, false) >> 8) & 0xFF) == 0x53) {
            inStep = true;
        } else {
            HalfBitWait();
            port_.Write(base_, 0x49);
            HalfBitWait();
            port_.Write(base_, 0x59);
            Trace("Sending extra clock pulse to synchronize word alignment");
        }
    }
    return inStep || simulation;
}

unsigned SpiProgrammer::Transaction(Mem8051* mem, int portBase, float clockHz, int spiRate, int action, int lockBits,
                                    const Progress& progress, char** deviceName) {
    base_ = static_cast<std::uint16_t>(portBase);
    Calibrate(spiRate);
    port_.Write(static_cast<std::uint16_t>(base_ + 2), 0x02);
    unsigned result = SPI_RESULT_OK;
    try {
        result = Run(mem, clockHz, action, lockBits, progress, deviceName);
    } catch (const Aborted&) {
        result = SPI_RESULT_ABORTED;
    }
    port_.Write(base_, 0x89);
    port_.Write(base_, 0xC8);
    port_.Write(static_cast<std::uint16_t>(base_ + 2), 0x00);
    return result;
}

unsigned SpiProgrammer::Run(Mem8051* mem, float clockHz, int action, int lockBits, const Progress& progress,
                            char** deviceName) {
    auto report = [&](const std::string& text, int percent) {
        if (progress && !progress(text.c_str(), percent)) throw Aborted{};
    };
    const int timing = FlashTiming(clockHz) & 0x3F;
    auto setTiming = [&] { Transfer(0xAC5D0000u | static_cast<std::uint32_t>(timing), false); };

    report("Checking for device.", 0);
    if (!EnterProgrammingMode()) return SPI_RESULT_NO_DEVICE;

    unsigned result = SPI_RESULT_OK;
    if (deviceName || (action & SPI_ACTION_READ_SIGNATURE)) {
        report("Reading signature byte.", 0);
        const int signature = static_cast<int>(Transfer(0x30000500, true) & 0xFF);
        if (deviceName) {
            const std::string name = DeviceName(signature);
            *deviceName = static_cast<char*>(std::malloc(name.size() + 1));
            if (*deviceName) std::memcpy(*deviceName, name.c_str(), name.size() + 1);
        }
        if (action & SPI_ACTION_READ_SIGNATURE) result = static_cast<unsigned>(signature);
    }

    const bool verify = (action & SPI_ACTION_VERIFY) != 0;
    const bool program = (action & SPI_ACTION_PROGRAM) != 0;
    if (program && mem) {
        report("Setting write cycle time.", 0);
        setTiming();
        report("Erasing Memory.", 1);
        Transfer(kChipErase, false);
        time_.SleepMilliseconds(350);
        if (!EnterProgrammingMode()) return SPI_RESULT_NO_DEVICE;
        report("Setting write cycle time.", 0);
        setTiming();
        const int v = verify ? 50 : 90;
        int n = 0;
        for (int p = 0; p < 256; ++p) {
            if (!mem->pageFlags || !mem->pageFlags[p]) continue;
            report(Format("Programming Memory. (Page 0x%02X)", p), v * n / (mem->usedPageCount ? mem->usedPageCount : 1) + 10);
            for (int j = 0; j < 128; ++j) {
                const std::uint32_t word = 0x40000000u | (static_cast<std::uint32_t>(j & 1) << 27) |
                                           (static_cast<std::uint32_t>(j >> 1) << 10) | mem->image[p * 128 + j];
                Transfer(word, false);
            }
            Transfer(0x4C000000u | (static_cast<std::uint32_t>(p) << 16), false);
            time_.WaitMicroseconds(4000);
            ++n;
            if (n % 10 == 9) {
                EnterProgrammingMode();
                setTiming();
            }
        }
    }

    const bool read = action == SPI_ACTION_READ;
    if (read && mem) {
        Mem8051Destroy(mem);
        Mem8051Init(mem, 7);
    } else if (verify && !EnterProgrammingMode()) {
        return SPI_RESULT_NO_DEVICE;
    }
    if ((read || verify) && mem) {
        const unsigned w = program ? 40 : 100, o = program ? 60 : 0;
        const unsigned d = read ? 256u : static_cast<unsigned>(mem->usedPageCount ? mem->usedPageCount : 1);
        unsigned m = 0;
        for (int p = 0; p < 256; ++p) {
            if (!read && (!mem->pageFlags || !mem->pageFlags[p])) continue;
            report(Format("%s (Page 0x%02X).", read ? "Reading" : "Verifying", p), static_cast<int>(w * m / d + o));
            const auto pageStart = static_cast<unsigned>(p * 128);
            auto readByte = [&](unsigned address) {
                const std::uint32_t word = 0x20000000u | ((address & 1) << 27) | ((address >> 1) << 10);
                return static_cast<unsigned char>(Transfer(word, true) & 0xFF);
            };
            if (read) {
                Mem8051AddSpan(mem, static_cast<int>(pageStart), 128);
                if (!mem->pageFlags[p]) {
                    mem->pageFlags[p] = 1;
                    ++mem->usedPageCount;
                }
                for (unsigned a = pageStart; a < pageStart + 128; ++a) mem->image[a] = readByte(a);
            } else {
                for (const Mem8051Span* s = mem->spans.next; s; s = s->next) {
                    for (unsigned a = s->first; a <= s->last; ++a) {
                        if (a < pageStart || a >= pageStart + 128) continue;
                        if (readByte(a) != mem->image[a] && !simulation) return SPI_RESULT_VERIFY_FAILED;
                    }
                }
            }
            ++m;
            if (m % 10 == 9) EnterProgrammingMode();
        }
    }

    if (lockBits != 0) {
        report("Writing lock bits", 100);
        EnterProgrammingMode();
        setTiming();
        Transfer(0xACE00000u | (static_cast<std::uint32_t>(~lockBits) & 0x1F), false);
        time_.SleepMilliseconds(20);
    }
    if (action == SPI_ACTION_READ_LOCK_BITS) {
        report("Reading lock bits.", 100);
        return (~Transfer(0x58000000, true)) & 0x1F;
    }
    return result;
}

unsigned SpiProgrammer::FlashTest(int randomPatterns, int portBase, float clockHz, int spiRate, const Progress& progress,
                                  char** deviceName) {
    const int total = randomPatterns + 4;
    int current = 0;
    std::vector<unsigned char> bytes(0x8000);
    bool seeded = false;
    for (int index = 0; index < total; ++index) {
        if (index == 0 || index == total - 2) bytes.assign(0x8000, 0x00);
        else if (index == 1 || index == total - 1) bytes.assign(0x8000, 0xFF);
        else {
            if (!seeded) std::srand(static_cast<unsigned>(std::time(nullptr)));
            seeded = true;
            for (auto& b : bytes) b = static_cast<unsigned char>(std::rand() & 0xFF);
        }
        auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
        if (!mem) return SPI_RESULT_PROGRAM_FAILED;
        Mem8051Init(mem, 7);
        lptlinkWriteTo8051Mem(mem, bytes.data(), 0, 0x8000);
        const char* pattern = (current == 0 || current == total - 2) ? "All-zeros"
                              : (current == 1 || current == total - 1) ? "All-ones"
                                                                       : "Random";
        const Progress wrapper = [&](const char* text, int percent) {
            const std::string line = Format("Test %d/%d (%s): %s", current + 1, total, pattern, text);
            return progress(line.c_str(), (percent + current * 100) / total);
        };
        const unsigned result = Transaction(mem, portBase, clockHz, spiRate, SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, 0,
                                            wrapper, deviceName);
        Mem8051Destroy(mem);
        std::free(mem);
        if (result != SPI_RESULT_OK) return result;
        ++current;
    }
    return SPI_RESULT_OK;
}

}  // namespace lptlink

#pragma once
// The virtual port's trace (LPTLINK_SIM_TRACE) as the benchmarks read it: timing judged
// on the wire, from the stamps of the port accesses, not from the program's own clock.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct Access {
    double us;  // microseconds since the port opened
    char kind;  // 'W' or 'R'
    unsigned address;
    unsigned value;
};

// Every line of the trace file; empty when it cannot be read.
std::vector<Access> ReadTrace(const std::string& path);

// The SPI clock on data bit 4 of the port at base: the bit periods between consecutive
// rising SCK edges inside one 32-bit word, without the period before bit 24 (it holds
// the extra wait of reads) and without the gaps between words. A bit is clocked as
// SCK low, status read, SCK high; anything else ends a word.
struct SpiClock {
    long words = 0;
    long periods = 0;
    double us = 0;  // their total time
    double BitsPerSecond() const { return us > 0 ? static_cast<double>(periods) / us * 1e6 : 0; }
};
SpiClock MeasureSpiClock(const std::vector<Access>& trace, unsigned base);

// Median and smallest of a set of durations.
struct Spread {
    double median = 0, shortest = 0, longest = 0;
    std::size_t count = 0;
};
Spread SpreadOf(std::vector<double> values);

// A temporary file for a trace, removed by the caller.
std::string TempPath(const std::string& name);

}  // namespace bench

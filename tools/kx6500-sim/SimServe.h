#pragma once
// kx6500-sim's serving door: the virtual target with its debug monitor on a
// pseudo-terminal, until SIGINT or SIGTERM.

#include <cstdint>
#include <iosfwd>
#include <string>

namespace tessary {

struct SimServeOptions {
    std::string flash;  // the flash file; empty: the flash lives in memory
    double clockMHz = 14.7456;
    std::string linkFaults;  // drop=P,flip=P[,insert=P]; empty: none
    std::uint64_t seed = 1;
    bool wireTime = false;
    bool noMonitor = false;
    bool quiet = false;
};

// Prints the pseudo-terminal's path as the first line of out and serves. Exit status:
// 0 after SIGINT or SIGTERM (flash saved, summary on err unless quiet); 1 a bad fault
// list or a flash file that cannot be read or written; 2 no pseudo-terminal.
int ServeMonitor(const SimServeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessary

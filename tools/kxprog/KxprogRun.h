#pragma once
// kxprog: the KX6500 flash programmer on the command line.

#include <optional>
#include <ostream>
#include <string>

namespace tessary {

struct KxprogOptions {
    int port = 1;
    double clockMHz = 14.7456;
    int rate = 300000;
    int lock = 0;
    std::string command;            // program, write, verify, read, info, test
    std::optional<std::string> file;  // the HEX file, or the pattern count for test
    bool progressBar = true;
};

int RunKxprog(const KxprogOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tessary

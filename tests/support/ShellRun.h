#pragma once
// A command line run through the shell for a test: its exit status and everything it
// wrote to standard output and standard error, in order.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tessary::testing {

struct ProgramRun {
    int status;
    std::string out;
};

inline ProgramRun Shell(const std::string& command) {
    ProgramRun run{};
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, "popen failed"};
    std::array<char, 65536> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The build's bin folder.
inline std::string Bin() {
    const char* bin = std::getenv("TESSARY_BIN");
    return bin ? bin : "build/bin";
}

}  // namespace tessary::testing

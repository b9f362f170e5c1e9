// Cost of one port register access through lptlink: the request-block path
// (lptlinkRead/lptlinkWrite) and the direct path, on whatever driver the library
// chooses (LPTLINK_DRIVER=sim for the virtual port, ppdev where a port exists).
//   bench_port_access [ACCESSES]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "lptlink/lptlink.h"

namespace {
template <typename F>
double NanosecondsPer(int count, F f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) f(i);
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / count;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_port_access [ACCESSES]\n");
        return 0;
    }
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    if (!lptlinkInit()) return 1;
    const int base = lptlinkGetParPortBaseAdr(1);
    const char* driver = std::getenv("LPTLINK_DRIVER");
    std::printf("driver %s, port 0x%X, %d accesses each\n", driver ? driver : "(default)", base, count);
    volatile int sink = 0;
    std::printf("lptlinkWrite        %8.1f ns\n", NanosecondsPer(count, [&](int i) { lptlinkWrite(base, i); }));
    std::printf("lptlinkRead         %8.1f ns\n", NanosecondsPer(count, [&](int) { sink = sink + lptlinkRead(base + 1); }));
    std::printf("lptlinkDirectWrite  %8.1f ns\n", NanosecondsPer(count, [&](int i) { lptlinkDirectWrite(base, i); }));
    std::printf("lptlinkDirectRead   %8.1f ns\n",
                NanosecondsPer(count, [&](int) { sink = sink + lptlinkDirectRead(base + 1); }));
    lptlinkRelease();
    return 0;
}

// Time from process start to the studio's main window shown, offscreen, without the
// start-up picture. Goal: under 300 ms.
//   bench_startup [RUNS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    if (argc > 1 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::printf("usage: bench_startup [RUNS]\n");
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::string program(argv[0]);
    program = program.substr(0, program.find_last_of('/') + 1) + "TessaryDevKit";
    const std::string command = "QT_QPA_PLATFORM=offscreen TESSARY_EXIT_AFTER_SHOW=1 " + program + " --nosplash 2>/dev/null";
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return 1;
        char line[256];
        bool shown = false;
        while (std::fgets(line, sizeof line, pipe))
            if (std::string_view(line).find("main window shown") != std::string_view::npos && !shown) {
                shown = true;
                times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            }
        pclose(pipe);
        if (!shown) {
            std::fprintf(stderr, "bench_startup: the studio did not report its window\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("start to main window: min %.1f ms, median %.1f ms, max %.1f ms over %d runs\n", times.front(),
                times[times.size() / 2], times.back(), runs);
    std::printf("goal (median under 300 ms): %s\n", times[times.size() / 2] < 300 ? "met" : "NOT met");
    return 0;
}

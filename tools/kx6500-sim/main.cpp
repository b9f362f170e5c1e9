#include <CLI/CLI.hpp>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "tools/kx6500-sim/SimRun.h"
#include "tools/kx6500-sim/SimServe.h"

int main(int argc, char** argv) {
    tessary::SimRunOptions run;
    std::string dump;
    tessary::SimServeOptions serve;
    if (const char* flash = std::getenv("LPTLINK_SIM_FLASH")) serve.flash = flash;
    CLI::App app{"kx6500-sim: the virtual KX6500 target.\n"
                 "  kx6500-sim --run FILE.hex --steps N [--dump json]\n"
                 "      loads FILE.hex into an erased flash, starts from reset with internal RAM and XDATA\n"
                 "      cleared, executes exactly N instructions and prints the state: PC, registers,\n"
                 "      changed SFRs and the counts as text, or with --dump json one JSON object with pc,\n"
                 "      acc, b, psw, sp, dptr, dps, r (R0-R7 of the selected bank), iram (0x00-0x7F),\n"
                 "      sfr (0x80-0xFF), xdata (0x0000-0x07FF), steps and cycles (machine cycles).\n"
                 "  kx6500-sim [--flash FILE] [--clock MHZ] [--link-faults SPEC] [--seed N] [--wire-time]\n"
                 "             [--no-monitor] [--quiet]\n"
                 "      serves the KX6500's debug monitor on a pseudo-terminal: prints the slave's path as\n"
                 "      the first line, then runs the chip until SIGINT or SIGTERM (flash saved, one summary\n"
                 "      line on standard error); SIGUSR1 is a power-on reset. A flash it creates holds the\n"
                 "      debug boot loader; a stored one is used as it is."};
    auto* runOption = app.add_option("--run", run.file, "run FILE.hex in batch")->type_name("FILE.hex");
    const CLI::Validator count(
        [](std::string& text) {
            return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos
                       ? std::string()
                       : "N is a number of instructions, 0 or more";
        },
        "N");
    auto* stepsOption =
        app.add_option("--steps", run.steps, "instructions to execute (with --run)")->check(count)->type_name("N");
    auto* dumpOption = app.add_option("--dump", dump, "print the state as json (with --run)")
                           ->check(CLI::IsMember({"json"}))
                           ->type_name("json");
    stepsOption->needs(runOption);
    dumpOption->needs(runOption);
    runOption->needs(stepsOption);
    const std::vector<CLI::Option*> serving = {
        app.add_option("--flash", serve.flash,
                       "serving: the flash file, raw 32 KiB (default LPTLINK_SIM_FLASH, else in memory)")
            ->type_name("FILE"),
        app.add_option("--clock", serve.clockMHz, "serving: the chip's clock in MHz")
            ->check(CLI::Range(0.1, 100.0))
            ->default_val(14.7456)
            ->type_name("MHZ"),
        app.add_option("--link-faults", serve.linkFaults,
                       "serving: drop=P,flip=P[,insert=P]: percent per byte, both directions")
            ->type_name("SPEC"),
        app.add_option("--seed", serve.seed, "serving: the fault injection's seed")->default_val(1)->type_name("N"),
        app.add_flag("--wire-time", serve.wireTime,
                     "serving: every byte takes its ten bit times at the bit rate the PC set"),
        app.add_flag("--no-monitor", serve.noMonitor, "serving: the chip answers nothing"),
        app.add_flag("--quiet", serve.quiet, "serving: no summary line at the end"),
    };
    for (CLI::Option* option : serving) runOption->excludes(option);
    app.footer("Exit status: 0 success (serving: ended by SIGINT or SIGTERM); 1 usage errors and files that\n"
               "cannot be read, loaded or written (data at 0x8000 or above does not fit the flash); 2 the\n"
               "pseudo-terminal cannot be created.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 1;
    }
    if (run.file.empty()) return tessary::ServeMonitor(serve, std::cout, std::cerr);
    run.json = dump == "json";
    if (isatty(STDERR_FILENO)) {
        const auto start = std::chrono::steady_clock::now();
        run.progress = [start](std::uint64_t done, std::uint64_t total) {
            if (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
            std::cerr << "\r" << done * 100 / total << "% of " << total << " instructions" << (done == total ? "\n" : "")
                      << std::flush;
        };
    }
    return tessary::RunBatch(run, std::cout, std::cerr);
}

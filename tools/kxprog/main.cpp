#include <CLI/CLI.hpp>
#include <unistd.h>

#include <iostream>

#include "tools/kxprog/KxprogRun.h"

int main(int argc, char** argv) {
    tessary::KxprogOptions o;
    o.progressBar = isatty(STDERR_FILENO) != 0;  // a bar only where someone watches
    std::string lock;
    std::vector<std::string> positional;
    CLI::App app{"kxprog: program, verify, read, lock and test the flash of a KX6500 on the parallel port.\n"
                 "Commands: program FILE (erase, program, verify), write FILE (erase, program), verify FILE,\n"
                 "read FILE, info (lock status and device identification), test [PATTERNS] (flash test)."};
    app.add_option("--port", o.port, "parallel port index")->default_val(1);
    app.add_option("--clock", o.clockMHz, "the device's clock in MHz (3 to 24)")->default_val(14.7456);
    app.add_option("--rate", o.rate, "SPI bit rate in bit/s")->default_val(300000);
    app.add_option("--lock", lock, "lock bits written after program or write (decimal or 0x-hex)");
    app.add_flag("!--no-progress", o.progressBar, "no progress bar on standard error");
    app.add_option("command", positional, "COMMAND [FILE.hex | PATTERNS]")->required()->expected(1, 2);
    app.footer("Exit status: 0 success, 1 usage or file errors, 2 the device operation failed.\n"
               "Without a parallel port the virtual KX6500 answers (LPTLINK_SIM_FLASH keeps its flash in a file).");
    try {
        app.parse(argc, argv);
        if (!lock.empty()) {
            std::size_t used = 0;
            o.lock = std::stoi(lock, &used, 0);
            if (used != lock.size() || o.lock < 0 || o.lock > 0x1F) throw CLI::ValidationError("--lock", "lock bits are 0 to 0x1F");
        }
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 1;
    } catch (const std::exception&) {
        std::cerr << "kxprog: --lock takes lock bits 0 to 0x1F, decimal or 0x-hex\n";
        return 1;
    }
    o.command = positional[0];
    if (positional.size() > 1) o.file = positional[1];
    return tessary::RunKxprog(o, std::cout, std::cerr);
}

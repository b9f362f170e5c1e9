#include "tools/kx6500-sim/SimServe.h"

#include <filesystem>
#include <optional>
#include <ostream>

#include "sim/chip/FlashFile.h"
#include "sim/chip/KX6500Chip.h"
#include "sim/linux/PtyDoor.h"
#include "sim/monitor/BootLoader.h"
#include "sim/target/VirtualTarget.h"

namespace tessary {

int ServeMonitor(const SimServeOptions& options, std::ostream& out, std::ostream& err) {
    sim::TargetOptions target;
    target.clockMHz = options.clockMHz;
    target.wireTime = options.wireTime;
    target.monitor = !options.noMonitor;
    target.seed = options.seed;
    if (!options.linkFaults.empty()) {
        std::string error;
        const auto rates = sim::ParseFaultRates(options.linkFaults, error);
        if (!rates) {
            err << "kx6500-sim: --link-faults " << options.linkFaults << ": " << error << "\n";
            return 1;
        }
        target.faults = *rates;
    }

    // A chip the simulator makes new ships with the boot loader; a stored one is used as
    // it is (after an erase it has none, and stays silent).
    sim::KX6500Chip chip;
    std::optional<sim::FlashFile> file;
    if (options.flash.empty()) {
        sim::monitor::InstallBootLoader(chip, options.clockMHz);
    } else {
        file.emplace(options.flash);
        std::error_code ec;
        const bool stored = std::filesystem::exists(options.flash, ec);
        if (!stored) sim::monitor::InstallBootLoader(chip, options.clockMHz);
        if (!(stored ? file->Load(chip) : file->Save(chip))) {
            err << "kx6500-sim: " << options.flash << ": " << file->Error() << "\n";
            return 1;
        }
        file->Follow(chip);
    }

    std::string error;
    const auto door = sim::PtyDoor::Open(error);
    if (!door) {
        err << "kx6500-sim: cannot create a pseudo-terminal (" << error << ")\n";
        return 2;
    }
    out << door->SlavePath() << "\n" << std::flush;

    target.notice = [&err](const std::string& text) { err << "kx6500-sim: " << text << "\n" << std::flush; };
    sim::VirtualTarget virtualTarget(chip, *door, target);
    virtualTarget.Serve();

    int status = 0;
    if (file && !file->Save(chip)) {
        err << "kx6500-sim: " << options.flash << ": " << file->Error() << "\n";
        status = 1;
    }
    if (!options.quiet) err << "kx6500-sim: " << virtualTarget.Summary() << "\n" << std::flush;
    return status;
}

}  // namespace tessary

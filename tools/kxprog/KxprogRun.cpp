#include "tools/kxprog/KxprogRun.h"

#include <csignal>
#include <cstdlib>
#include <string>

#include "lptlink/core/BootLoaderPatch.h"
#include "lptlink/core/ProgrammerTexts.h"
#include "lptlink/lptlink.h"

namespace tessary {

namespace {

volatile std::sig_atomic_t interrupted = 0;
std::ostream* progressStream = nullptr;
bool progressBar = true;

extern "C" void OnInterrupt(int) { interrupted = 1; }

extern "C" int ShowProgress(const char* text, int percent) {
    if (progressStream && progressBar) {
        const int filled = percent < 0 ? 0 : (percent > 100 ? 20 : percent / 5);
        *progressStream << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                        << std::string(static_cast<std::size_t>(20 - filled), ' ') << "] " << (percent < 10 ? "  " : percent < 100 ? " " : "")
                        << percent << "% " << text << "\033[K" << std::flush;
    }
    return interrupted ? 0 : 1;
}

struct ImageOwner {
    Mem8051* mem = nullptr;
    ~ImageOwner() {
        if (mem) {
            Mem8051Destroy(mem);
            std::free(mem);
        }
    }
};

}  // namespace

int RunKxprog(const KxprogOptions& o, std::ostream& out, std::ostream& err) {
    struct Action {
        const char* name;
        int action;
        bool needsFile;
    };
    static const Action kActions[] = {{"program", SPI_ACTION_PROGRAM | SPI_ACTION_VERIFY, true},
                                      {"write", SPI_ACTION_PROGRAM, true},
                                      {"verify", SPI_ACTION_VERIFY, true},
                                      {"read", SPI_ACTION_READ, true},
                                      {"info", 0, false},
                                      {"test", 0, false}};
    const Action* chosen = nullptr;
    for (const auto& a : kActions)
        if (o.command == a.name) chosen = &a;
    if (!chosen) {
        err << "kxprog: unknown command '" << o.command << "'; use program, write, verify, read, info or test\n";
        return 1;
    }
    if (chosen->needsFile && !o.file) {
        err << "kxprog: " << o.command << " needs a HEX file\n";
        return 1;
    }
    if (!(o.clockMHz >= 3 && o.clockMHz <= 24)) {
        err << "kxprog: The given device clock frequency is incorrect. The clock frequency must be between 3 and 24 MHz.\n";
        return 1;
    }
    int patterns = 16;
    if (o.command == "test" && o.file) {
        char* end = nullptr;
        patterns = static_cast<int>(std::strtol(o.file->c_str(), &end, 10));
        if (*end != '\0' || patterns < 0) {
            err << "kxprog: test takes a number of random patterns, not '" << *o.file << "'\n";
            return 1;
        }
    }

    ImageOwner image;
    if (o.command == "program" || o.command == "write" || o.command == "verify") {
        image.mem = lptlinkReadHexFile(o.file->c_str(), 7);  // shows its own message
        if (!image.mem) return 1;
        if (lptlink::BootLoaderPatch(*image.mem, o.clockMHz)) err << "kxprog: boot loader image patched for "
                                                                  << o.clockMHz << " MHz\n";
    } else if (o.command == "read") {
        image.mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
        Mem8051Init(image.mem, 7);
    }

    if (!lptlinkInit()) return 1;
    struct Release {
        ~Release() {
            lptlinkCloseProgrammerTrace();
            lptlinkRelease();
        }
    } release;
    if (o.port < 1 || o.port > lptlinkGetNumParPorts()) {
        err << "kxprog: there is no parallel port " << o.port << " (ports 1 to " << lptlinkGetNumParPorts() << ")\n";
        return 1;
    }
    const int base = lptlinkGetParPortBaseAdr(o.port);
    lptlinkSimAttachBoard("kx6500");

    interrupted = 0;
    progressStream = &err;
    progressBar = o.progressBar;
    std::signal(SIGINT, OnInterrupt);
    const float clockHz = static_cast<float>(o.clockMHz * 1e6);
    unsigned result = SPI_RESULT_OK;
    bool queryFailed = false;  // the device query has texts of its own
    if (o.command == "info") {
        result = lptlinkKX6500SPItransaction(nullptr, base, clockHz, o.rate, SPI_ACTION_READ_LOCK_BITS, 0, ShowProgress,
                                             nullptr);
        queryFailed = result > 255;
        if (!queryFailed) {
            const int lock = static_cast<int>(result);
            char* name = nullptr;
            result = lptlinkKX6500SPItransaction(nullptr, base, clockHz, o.rate, SPI_ACTION_READ_SIGNATURE, 0,
                                                 ShowProgress, &name);
            queryFailed = result > 255;
            if (!queryFailed) {
                char id[16];
                std::snprintf(id, sizeof id, "%02X: ", result);
                if (progressBar) err << "\n";
                out << "Lock status: " << lptlink::LockStatusText(lock, "\n") << "\nDevice ID: " << id << (name ? name : "") << "\n";
                std::free(name);
                result = SPI_RESULT_OK;
            }
        }
    } else if (o.command == "test") {
        result = lptlinkKX6500PerformFlashTest(patterns, base, clockHz, o.rate, ShowProgress, nullptr);
    } else {
        const int lock = (o.command == "program" || o.command == "write") ? o.lock : 0;
        result = lptlinkKX6500SPItransaction(image.mem, base, clockHz, o.rate, chosen->action, lock, ShowProgress,
                                             nullptr);
    }
    std::signal(SIGINT, SIG_DFL);
    if (progressBar) err << "\n";
    progressStream = nullptr;

    if (result == SPI_RESULT_OK && o.command == "read" && lptlinkWriteHexFile(image.mem, o.file->c_str()) != 0)
        return 1;
    const std::string text = queryFailed ? lptlink::DeviceQueryErrorText(result)
                                         : lptlink::ActionResultText(result, o.command == "test");
    (result == SPI_RESULT_OK ? out : err) << text << "\n";
    return result == SPI_RESULT_OK ? 0 : 2;
}

}  // namespace tessary

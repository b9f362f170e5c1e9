#include "sim/VirtualBoard.h"

#include "sim/Boards.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace sim {

namespace {

// 0x-hex or decimal, 0 to 255; the default (with a notice) otherwise.
int ByteFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    std::string_view t(text);
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t.remove_prefix(2);
        base = 16;
    }
    int value = -1;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value, base);
    if (ec != std::errc() || end != t.data() + t.size() || value < 0 || value > 255) {
        std::fprintf(stderr, "lptlink: %s '%s' is not a byte (0x-hex or decimal); using 0x%02X\n", name, text, fallback);
        return fallback;
    }
    return value;
}

// The demonstration board on the KX400/KX900 boards: LPTLINK_SIM_DEMO=none unplugs it,
// LPTLINK_SIM_DEMO_MEMORY keeps its part's memories in a file.
std::unique_ptr<Tiny12> DemoBoardFromEnvironment() {
    const char* demo = std::getenv("LPTLINK_SIM_DEMO");
    const std::string_view kind = demo ? demo : "";
    if (kind == "none") return nullptr;
    if (!kind.empty() && kind != "tiny12")
        std::fprintf(stderr, "lptlink: LPTLINK_SIM_DEMO '%s' is neither none nor tiny12; the board is plugged in\n", demo);
    const char* memory = std::getenv("LPTLINK_SIM_DEMO_MEMORY");
    auto part = std::make_unique<Tiny12>(ByteFromEnvironment("LPTLINK_SIM_DEMO_SIGNATURE", 0x1E),
                                         ByteFromEnvironment("LPTLINK_SIM_DEMO_CAL", 0x5A), memory ? memory : "");
    if (!part->Notice().empty()) std::fprintf(stderr, "lptlink: demonstration board: %s\n", part->Notice().c_str());
    return part;
}

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}
std::map<std::string, BoardFactory, std::less<>>& Registry() {
    static std::map<std::string, BoardFactory, std::less<>> boards = {
        {"loopback", [] { return std::make_unique<LoopbackPlug>(); }},
        {"kx400", [] { return std::make_unique<FrameBoard>(false, DemoBoardFromEnvironment()); }},
        {"kx900", [] { return std::make_unique<FrameBoard>(true, DemoBoardFromEnvironment()); }},
        {"kx6200", [] { return std::make_unique<ThreeWireBoard>("kx6200"); }},
        {"kx6300", [] { return std::make_unique<ThreeWireBoard>("kx6300"); }},
        {"kx6500",
         [] {
             const char* flash = std::getenv("LPTLINK_SIM_FLASH");
             const char* signature = std::getenv("LPTLINK_SIM_SIGNATURE");
             return std::make_unique<KX6500Board>(flash ? flash : "",
                                                  signature ? static_cast<int>(std::strtol(signature, nullptr, 0)) : 1);
         }},
    };
    return boards;
}
}  // namespace

void RegisterBoard(std::string name, BoardFactory factory) {
    std::lock_guard guard(RegistryLock());
    Registry()[std::move(name)] = std::move(factory);
}

std::unique_ptr<VirtualBoard> MakeBoard(std::string_view name) {
    std::lock_guard guard(RegistryLock());
    const auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second();
}

std::vector<std::string> BoardNames() {
    std::lock_guard guard(RegistryLock());
    std::vector<std::string> names;
    for (const auto& [name, factory] : Registry()) names.push_back(name);
    return names;
}

}  // namespace sim

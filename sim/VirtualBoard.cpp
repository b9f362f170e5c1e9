#include "sim/VirtualBoard.h"

#include "sim/Boards.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace sim {

namespace {
std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}
std::map<std::string, BoardFactory, std::less<>>& Registry() {
    static std::map<std::string, BoardFactory, std::less<>> boards = {
        {"loopback", [] { return std::make_unique<LoopbackPlug>(); }},
        {"kx400", [] { return std::make_unique<FrameBoard>(false); }},
        {"kx900", [] { return std::make_unique<FrameBoard>(true); }},
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

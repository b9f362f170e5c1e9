#include "sim/VirtualBoard.h"

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

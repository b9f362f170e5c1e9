#include "host/PluginLibrary.h"

#include <dlfcn.h>

#include <filesystem>

namespace kxdebug {

PluginLibrary::~PluginLibrary() { Unload(); }

bool PluginLibrary::Load(const std::string& path, std::string& error) {
    Unload();
    if (!std::filesystem::exists(path)) {
        error = path + ": no such file";
        return false;
    }
    // A name without a folder would send dlopen searching the library path: the
    // plug-in is the file named, so name it by its path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error = why ? why : path + ": cannot be loaded";
        return false;
    }
    path_ = path;
    return true;
}

void* PluginLibrary::Symbol(const char* name, std::string& error) const {
    void* address = handle_ ? dlsym(handle_, name) : nullptr;
    if (!address) error = path_ + ": missing export " + name;
    return address;
}

void PluginLibrary::Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

namespace {
template <typename Fn>
bool Find(const PluginLibrary& library, const char* name, Fn& fn, std::string& error) {
    fn = reinterpret_cast<Fn>(library.Symbol(name, error));
    return fn != nullptr;
}
}  // namespace

bool FindMonitorApi(const PluginLibrary& library, MonitorApi& api, std::string& error) {
    return Find(library, "EnumUv351", api.EnumUv351, error) && Find(library, "DllUv3Cap", api.DllUv3Cap, error) &&
           Find(library, "AG_Init", api.Init, error) && Find(library, "AG_MemAcc", api.MemAcc, error) &&
           Find(library, "AG_RegAcc", api.RegAcc, error) && Find(library, "AG_AllReg", api.AllReg, error) &&
           Find(library, "AG_MemAtt", api.MemAtt, error) && Find(library, "AG_BpInfo", api.BpInfo, error) &&
           Find(library, "AG_BreakFunc", api.BreakFunc, error) && Find(library, "AG_GoStep", api.GoStep, error) &&
           Find(library, "AG_Serial", api.Serial, error) && Find(library, "AG_HistFunc", api.HistFunc, error);
}

std::string LibraryFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "../lib";
    return (exe.parent_path().parent_path() / "lib").string();
}

}  // namespace kxdebug

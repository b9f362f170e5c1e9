#include "lptlink/dialog/DisplayProbe.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace lptlink {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// What Qt's xcb platform does first: connect to the X server named by DISPLAY.
bool XServerAnswers() {
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool answers = false;
    if (connect && hasError && disconnect) {
        void* connection = connect(nullptr, nullptr);
        answers = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
    }
    ::dlclose(xcb);
    return answers;
}

bool WaylandAnswers() {
    const std::string display = Env("WAYLAND_DISPLAY");
    if (display.empty()) return false;
    const std::string path = display.front() == '/' ? display : Env("XDG_RUNTIME_DIR") + "/" + display;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The platform Qt picks when QT_QPA_PLATFORM is not set: xcb, but wayland in a Wayland
// session other than GNOME's.
std::string DefaultPlatform() {
    if (Env("XDG_SESSION_TYPE") != "wayland") return "xcb";
    const bool gnome = Lower(Env("XDG_CURRENT_DESKTOP")).find("gnome") != std::string::npos ||
                       Lower(Env("XDG_SESSION_DESKTOP")).find("gnome") != std::string::npos;
    return gnome ? "xcb" : "wayland";
}

}  // namespace

std::vector<std::string> PlatformsQtTries() {
    // QT_QPA_PLATFORM may list fallbacks ("wayland;xcb"), each with options after ':'.
    std::vector<std::string> platforms;
    std::stringstream list(Env("QT_QPA_PLATFORM"));
    for (std::string entry; std::getline(list, entry, ';');) platforms.push_back(entry.substr(0, entry.find(':')));
    if (platforms.empty()) platforms.push_back(DefaultPlatform());
    return platforms;
}

bool DisplayAvailable(std::string& why) {
    for (const auto& platform : PlatformsQtTries()) {
        if (platform.empty() || platform == "xcb") {
            if (!Env("DISPLAY").empty() && XServerAnswers()) return true;
        } else if (platform.rfind("wayland", 0) == 0) {
            if (WaylandAnswers()) return true;
        } else {
            return true;  // offscreen, minimal and the rest need no display server
        }
    }
    if (Env("DISPLAY").empty() && Env("WAYLAND_DISPLAY").empty())
        why = "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
    else
        why = "no display answers for QT_QPA_PLATFORM '" + Env("QT_QPA_PLATFORM") + "'";
    return false;
}

}  // namespace lptlink

#include "lptlink/linux/PpdevBackend.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace lptlink {

namespace {

std::uint16_t BaseAddress(int n) {
    std::ifstream in("/proc/sys/dev/parport/parport" + std::to_string(n) + "/base-addr");
    unsigned long base = 0;
    if (!(in >> base) || base > 0xFFFF) return 0;
    return static_cast<std::uint16_t>(base);
}

std::string DevicePath(int n) { return "/dev/parport" + std::to_string(n); }

}  // namespace

bool PpdevBackend::MachineHasParallelPort() {
    for (int n = 0; n < 3; ++n)
        if (::access(DevicePath(n).c_str(), F_OK) == 0) return true;
    return false;
}

std::unique_ptr<PpdevBackend> PpdevBackend::Open(std::string& error) {
    std::unique_ptr<PpdevBackend> backend(new PpdevBackend);
    for (int n = 0; n < 3; ++n) {
        const std::string path = DevicePath(n);
        if (::access(path.c_str(), F_OK) != 0) continue;
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            const int err = errno;
            error = "cannot open " + path + ": " + std::strerror(err);
            if (err == EACCES || err == EPERM)
                error += " (the user needs read and write access to it, usually through the 'lp' group)";
            return nullptr;
        }
        if (::ioctl(fd, PPCLAIM) != 0) {
            error = "cannot claim " + path + ": " + std::strerror(errno) + " (is another program using the port?)";
            ::close(fd);
            return nullptr;
        }
        backend->fds_[n] = fd;
        backend->bases_[n] = BaseAddress(n);
    }
    return backend;
}

PpdevBackend::~PpdevBackend() {
    for (int fd : fds_) {
        if (fd < 0) continue;
        ::ioctl(fd, PPRELEASE);
        ::close(fd);
    }
}

int PpdevBackend::PortOf(std::uint16_t address) const {
    for (int i = 0; i < 3; ++i)
        if (fds_[i] >= 0 && bases_[i] != 0 && address >= bases_[i] && address <= bases_[i] + 2) return i;
    return -1;
}

std::uint8_t PpdevBackend::Read(std::uint16_t address) {
    const int port = PortOf(address);
    if (port < 0) return 0xFF;
    unsigned char value = 0xFF;
    static constexpr unsigned long kRequests[] = {PPRDATA, PPRSTATUS, PPRCONTROL};
    ::ioctl(fds_[port], kRequests[address - bases_[port]], &value);
    return value;
}

void PpdevBackend::Write(std::uint16_t address, std::uint8_t value) {
    const int port = PortOf(address);
    if (port < 0) return;
    unsigned char v = value;
    switch (address - bases_[port]) {
        case 0: ::ioctl(fds_[port], PPWDATA, &v); break;
        case 2: ::ioctl(fds_[port], PPWCONTROL, &v); break;
        default: break;  // the status register is input only
    }
}

}  // namespace lptlink

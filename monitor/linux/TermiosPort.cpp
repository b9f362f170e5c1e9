#include "monitor/linux/TermiosPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace kx6500mon {

namespace {

speed_t StandardSpeed(int rate) {
    switch (rate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

using Steady = std::chrono::steady_clock;

int RemainingMs(Steady::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string ComDevicePath(int portNumber) {
    const std::string variable = "KX6500MON_COM" + std::to_string(portNumber);
    if (const char* path = std::getenv(variable.c_str()); path && *path) return path;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

bool TermiosPort::Open(int portNumber, int bitRate) {
    Close();
    if (portNumber < 1 || portNumber > 8) return false;
    const std::string path = ComDevicePath(portNumber);
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    // Unshared: no second program may open the port while the debugger has it.
    if (ioctl(fd_, TIOCEXCL) != 0 || !Configure(bitRate)) {
        Close();
        return false;
    }
    return true;
}

bool TermiosPort::Configure(int bitRate) {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;  // not a terminal
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNBRK | BRKINT | PARMRK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = StandardSpeed(bitRate);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
    if (speed == B0 && !SetCustomBitRate(fd_, bitRate)) return false;
    SetDtr(false);
    SetRts(true);
    DiscardInput();
    DiscardOutput();
    return true;
}

void TermiosPort::Close() {
    if (fd_ < 0) return;
    tcflush(fd_, TCIOFLUSH);
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

std::size_t TermiosPort::Read(std::uint8_t* buffer, std::size_t count, int constantMs, int perByteMs) {
    if (fd_ < 0) return 0;
    const auto deadline =
        Steady::now() + std::chrono::milliseconds(constantMs + static_cast<long long>(perByteMs) * static_cast<long long>(count));
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd_, buffer + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        const int left = RemainingMs(deadline);
        if (left == 0) break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) break;
        // A terminal whose other side is gone reports a hang-up: wait out the time as
        // a silent line would, then give up.
        if (p.revents & (POLLHUP | POLLERR)) {
            const int rest = RemainingMs(deadline);
            if (rest > 0) ::poll(nullptr, 0, rest);
            break;
        }
    }
    return got;
}

bool TermiosPort::Write(std::span<const std::uint8_t> bytes, int timeoutMs) {
    if (fd_ < 0) return false;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        const int left = RemainingMs(deadline);
        if (left == 0) return false;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) return false;
    }
    return true;
}

std::size_t TermiosPort::Available() {
    int n = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return 0;
    return static_cast<std::size_t>(n);
}

void TermiosPort::DiscardInput() {
    if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

void TermiosPort::DiscardOutput() {
    if (fd_ >= 0) tcflush(fd_, TCOFLUSH);
}

void TermiosPort::SetModemLine(int line, bool on) {
    // Devices without modem lines (a pseudo-terminal answers ENOTTY) are not an error:
    // the reset is then simply not wired.
    if (fd_ >= 0) ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

}  // namespace kx6500mon

#include "sim/linux/PtyDoor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace sim {

namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::unique_ptr<PtyDoor> PtyDoor::Open(std::string& error) {
    std::unique_ptr<PtyDoor> door(new PtyDoor);
    door->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (door->master_ < 0) {
        error = Reason("posix_openpt");
        return nullptr;
    }
    char name[128];
    if (grantpt(door->master_) != 0 || unlockpt(door->master_) != 0) {
        error = Reason("grantpt/unlockpt");
        return nullptr;
    }
    if (ptsname_r(door->master_, name, sizeof name) != 0) {
        error = Reason("ptsname");
        return nullptr;
    }
    door->slavePath_ = name;
    door->slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (door->slave_ < 0) {
        error = Reason(name);
        return nullptr;
    }
    termios tio{};
    if (tcgetattr(door->slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(door->slave_, TCSANOW, &tio);
    }
    if (fcntl(door->master_, F_SETFL, fcntl(door->master_, F_GETFL) | O_NONBLOCK) != 0) {
        error = Reason("fcntl");
        return nullptr;
    }
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGUSR1}) sigaddset(&set, s);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0 ||
        (door->signals_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC)) < 0) {
        error = Reason("signalfd");
        return nullptr;
    }
    // The wire's byte times are short: sleeps must end when asked, not up to 50 us later.
    prctl(PR_SET_TIMERSLACK, 1UL);
    return door;
}

PtyDoor::~PtyDoor() {
    for (int fd : {master_, slave_, signals_})
        if (fd >= 0) ::close(fd);
}

std::uint64_t PtyDoor::NowUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000u + static_cast<std::uint64_t>(t.tv_nsec) / 1000u;
}

void PtyDoor::WaitUntil(std::uint64_t us) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {signals_, POLLIN, 0}};
    const std::uint64_t now = NowUs();
    timespec timeout{};
    timespec* limit = nullptr;
    if (us != UINT64_MAX) {
        const std::uint64_t left = us > now ? us - now : 0;
        timeout.tv_sec = static_cast<time_t>(left / 1000000u);
        timeout.tv_nsec = static_cast<long>(left % 1000000u) * 1000;
        limit = &timeout;
    }
    ppoll(fds, 2, limit, nullptr);
    if (fds[1].revents & POLLIN) {
        signalfd_siginfo info{};
        while (::read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (info.ssi_signo == SIGUSR1) events_.powerOn = true;
            else events_.quit = true;
        }
    }
}

std::size_t PtyDoor::Read(std::span<std::uint8_t> buffer) {
    const ssize_t n = ::read(master_, buffer.data(), buffer.size());
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

// Bytes nobody takes (no host has the port open and its input is full) are lost, as
// on a wire.
void PtyDoor::Write(std::span<const std::uint8_t> bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

int PtyDoor::HostBitRate() { return TerminalBitRate(master_); }

TargetLine::Events PtyDoor::TakeEvents() {
    const Events e = events_;
    events_ = {};
    return e;
}

}  // namespace sim

#include "tests/monitor/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <vector>

namespace kx6500mon::testing {

PtyPeer::PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) return;
    slave_ = name;
    // Raw from the start, so that nothing the target sends is echoed or translated
    // before the driver has configured its side.
    if (int s = ::open(name, O_RDWR | O_NOCTTY); s >= 0) {
        termios tio{};
        tcgetattr(s, &tio);
        cfmakeraw(&tio);
        tcsetattr(s, TCSANOW, &tio);
        ::close(s);
    }
    thread_ = std::thread([this] { Serve(); });
}

PtyPeer::~PtyPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
}

void PtyPeer::SetFaults(double dropRate, double flipRate, unsigned seed) {
    std::lock_guard lock(mutex_);
    drop_ = dropRate;
    flip_ = flipRate;
    random_.seed(seed);
}

void PtyPeer::Serve() {
    std::vector<std::uint8_t> buffer(512);
    while (!stop_) {
        pollfd p{master_, POLLIN, 0};
        std::vector<std::uint8_t> bytes;
        if (::poll(&p, 1, 10) <= 0) {
            // A running program goes on; it may come back at a breakpoint.
            std::lock_guard lock(mutex_);
            bytes = monitor_.Tick();
        } else {
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n <= 0) {
                // Nobody has the terminal open: wait for the driver to open it again.
                usleep(2000);
                continue;
            }
            std::lock_guard lock(mutex_);
            bytes = monitor_.Feed(std::span(buffer.data(), static_cast<std::size_t>(n)));
            bytes.insert(bytes.end(), monitor_.later.begin(), monitor_.later.end());
            monitor_.later.clear();
        }
        if (bytes.empty()) continue;
        std::vector<std::uint8_t> answer;
        {
            std::lock_guard lock(mutex_);
            std::uniform_real_distribution<double> chance(0, 1);
            for (std::uint8_t b : bytes) {
                if (drop_ > 0 && chance(random_) < drop_) {
                    ++faults_;
                    continue;
                }
                if (flip_ > 0 && chance(random_) < flip_) {
                    ++faults_;
                    b = static_cast<std::uint8_t>(b ^ (1u << (random_() % 8)));
                }
                answer.push_back(b);
            }
        }
        std::size_t sent = 0;
        while (sent < answer.size()) {
            const ssize_t w = ::write(master_, answer.data() + sent, answer.size() - sent);
            if (w <= 0) break;
            sent += static_cast<std::size_t>(w);
        }
    }
}

}  // namespace kx6500mon::testing

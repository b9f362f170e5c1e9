#pragma once
// A fake monitor on the master side of a pseudo-terminal, answering from a thread of
// its own, so that the real termios back end can be driven end to end. Faults can be
// injected into its answers: bytes dropped or with one bit flipped.

#include <atomic>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "tests/monitor/FakeMonitor.h"

namespace kx6500mon::testing {

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool Ok() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slave_; }
    // Runs f on the fake monitor while the peer's thread keeps off it.
    template <typename F>
    auto With(F f) {
        std::lock_guard lock(mutex_);
        return f(monitor_);
    }
    void SetFaults(double dropRate, double flipRate, unsigned seed);
    int FaultsInjected() const { return faults_; }

private:
    void Serve();

    int master_ = -1;
    std::string slave_;
    std::mutex mutex_;
    FakeMonitor monitor_;
    double drop_ = 0, flip_ = 0;
    std::mt19937 random_{1};
    std::atomic<int> faults_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kx6500mon::testing

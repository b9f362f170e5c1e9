#pragma once
// While a board operation drives the application's port from a worker thread it holds
// the claim, and every other user of the port (the main frame's lock poll, any timer
// that reads the board) skips its turn: two writers on one port would garble both.

#include <atomic>

namespace tessary {

class PortClaim {
public:
    PortClaim() { Flag().store(true); }
    ~PortClaim() { Flag().store(false); }
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;
    static bool Held() { return Flag().load(); }

private:
    static std::atomic<bool>& Flag() {
        static std::atomic<bool> held{false};
        return held;
    }
};

}  // namespace tessary

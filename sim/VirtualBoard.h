#pragma once
// A virtual evaluation board on the virtual parallel port. It sees only line levels:
// the data and control registers as the PC drives them, after every write; it
// answers on the status register.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class VirtualBoard {
public:
    virtual ~VirtualBoard() = default;
    virtual std::string_view Name() const = 0;
    virtual void OnLines(std::uint8_t data, std::uint8_t control) = 0;
    // The time of the write that follows (microseconds, monotonic), for boards whose
    // chips keep time.
    virtual void OnTime(std::uint64_t) {}
    virtual std::uint8_t Status() const = 0;
};

using BoardFactory = std::function<std::unique_ptr<VirtualBoard>()>;

// The boards that can be attached by name. Registering a name again replaces it.
void RegisterBoard(std::string name, BoardFactory factory);
std::unique_ptr<VirtualBoard> MakeBoard(std::string_view name);
std::vector<std::string> BoardNames();

// A loopback plug: the five status inputs read the low five data lines, the way a
// port-test plug wires them. Status bits 2 to 0 are not connected and read 1.
class LoopbackPlug : public VirtualBoard {
public:
    std::string_view Name() const override { return "loopback"; }
    void OnLines(std::uint8_t data, std::uint8_t) override { data_ = data; }
    std::uint8_t Status() const override { return static_cast<std::uint8_t>(((data_ & 0x1F) << 3) | 0x07); }

private:
    std::uint8_t data_ = 0;
};

}  // namespace sim

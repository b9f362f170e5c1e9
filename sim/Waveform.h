#pragma once
// The virtual port's line levels as a Value Change Dump, the text format that
// waveform viewers and logic-analyser programs read. One scope per port of the table,
// one 1-bit wire per data, status and control bit, named by the role the attached
// board gives the line (SCK, MOSI, ...) or else by register and bit (D0, S7, C1).

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class PortRegister { Data, Status, Control };

// The three registers' levels, in register values.
struct PortLines {
    std::uint8_t data = 0;
    std::uint8_t status = 0xFF;
    std::uint8_t control = 0;
    std::uint8_t Of(PortRegister r) const {
        return r == PortRegister::Data ? data : r == PortRegister::Status ? status : control;
    }
};

// The 24 wire names of one port: index register * 8 + bit.
using LineNames = std::array<std::string, 24>;
// D0..D7, S0..S7, C0..C7 with the roles a board of that name gives its lines; the
// generic names alone for an unknown board or none ("").
LineNames NamesForBoard(std::string_view board);

class VcdWriter {
public:
    struct Port {
        std::uint16_t base;
        LineNames names;
        PortLines lines;  // the levels at the start
    };

    // The file is created at once; the header is written by Start.
    explicit VcdWriter(const std::string& path);
    ~VcdWriter();
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;
    bool IsOpen() const { return file_ != nullptr; }
    bool Started() const { return started_; }

    // The header (timescale 1 ns), the wires of every port and their first levels at
    // time 0.
    void Start(const std::vector<Port>& ports);
    // The levels of port index after a change at ns: the bits that changed, under a
    // time stamp of their own that is later than every one before it (port writes
    // come faster than the clock's resolution). Nothing when nothing changed.
    void Change(std::uint64_t ns, std::size_t port, const PortLines& lines);
    // A note for the reader, under the time of the last change.
    void Comment(std::string_view text);

private:
    static char Id(std::size_t port, int line) { return static_cast<char>('!' + port * 24 + line); }

    std::FILE* file_ = nullptr;
    bool started_ = false;
    std::vector<PortLines> levels_;
    std::uint64_t last_ = 0;
};

}  // namespace sim

#include "sim/Waveform.h"

#include <algorithm>

namespace sim {

namespace {

struct Role {
    PortRegister reg;
    int bit;
    const char* name;
};

struct BoardRoles {
    const char* board;
    std::vector<Role> roles;
};

// The evaluation boards' wiring, as the bus transfers and the programmer drive it.
// Lines a board leaves unused keep their register names.
const std::vector<BoardRoles>& Wiring() {
    using R = PortRegister;
    static const std::vector<Role> frameBus = {
        {R::Data, 1, "CLOCK"}, {R::Data, 2, "DATA"}, {R::Data, 3, "LOAD"}, {R::Status, 4, "LOCK"}};
    static const std::vector<Role> threeWire = {{R::Data, 1, "CLOCK"},   {R::Data, 2, "DATA"},
                                                {R::Data, 3, "LATCH"},   {R::Status, 7, "DATA_IN"},
                                                {R::Status, 4, "LOCK"}};
    static const std::vector<BoardRoles> boards = {
        {"kx400", frameBus},
        {"kx900", frameBus},
        {"kx6200", threeWire},
        {"kx6300", threeWire},
        {"kx6500",
         {{R::Data, 1, "FIRST"},
          {R::Data, 2, "DATA"},
          {R::Data, 4, "SCK"},
          {R::Data, 5, "MOSI"},
          {R::Data, 7, "RESET"},
          {R::Control, 0, "CLOCK"},
          {R::Control, 1, "ENABLE"},
          {R::Status, 4, "DATA_IN"},
          {R::Status, 5, "MISO"}}},
    };
    return boards;
}

constexpr char kRegisterLetter[] = {'D', 'S', 'C'};

}  // namespace

LineNames NamesForBoard(std::string_view board) {
    LineNames names;
    for (int i = 0; i < 24; ++i) names[static_cast<std::size_t>(i)] = std::string(1, kRegisterLetter[i / 8]) + std::to_string(i % 8);
    for (const auto& b : Wiring()) {
        if (board != b.board) continue;
        for (const Role& r : b.roles) names[static_cast<std::size_t>(static_cast<int>(r.reg) * 8 + r.bit)] = r.name;
    }
    return names;
}

VcdWriter::VcdWriter(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {}

VcdWriter::~VcdWriter() {
    if (file_) std::fclose(file_);
}

void VcdWriter::Start(const std::vector<Port>& ports) {
    if (!file_ || started_) return;
    started_ = true;
    std::fprintf(file_, "$version lptlink virtual parallel port $end\n$timescale 1 ns $end\n");
    for (std::size_t p = 0; p < ports.size(); ++p) {
        std::fprintf(file_, "$scope module port_%X $end\n", ports[p].base);
        for (int line = 0; line < 24; ++line)
            std::fprintf(file_, "$var wire 1 %c %s $end\n", Id(p, line), ports[p].names[static_cast<std::size_t>(line)].c_str());
        std::fprintf(file_, "$upscope $end\n");
        levels_.push_back(ports[p].lines);
    }
    std::fprintf(file_, "$enddefinitions $end\n#0\n$dumpvars\n");
    for (std::size_t p = 0; p < ports.size(); ++p)
        for (int line = 0; line < 24; ++line)
            std::fprintf(file_, "%d%c\n", (ports[p].lines.Of(static_cast<PortRegister>(line / 8)) >> (line % 8)) & 1,
                         Id(p, line));
    std::fprintf(file_, "$end\n");
}

void VcdWriter::Change(std::uint64_t ns, std::size_t port, const PortLines& lines) {
    if (!file_ || !started_ || port >= levels_.size()) return;
    PortLines& was = levels_[port];
    bool stamped = false;
    for (int line = 0; line < 24; ++line) {
        const auto reg = static_cast<PortRegister>(line / 8);
        const int bit = (lines.Of(reg) >> (line % 8)) & 1;
        if (bit == ((was.Of(reg) >> (line % 8)) & 1)) continue;
        if (!stamped) {
            last_ = std::max(ns, last_ + 1);
            std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(last_));
            stamped = true;
        }
        std::fprintf(file_, "%d%c\n", bit, Id(port, line));
    }
    was = lines;
}

void VcdWriter::Comment(std::string_view text) {
    if (!file_ || !started_) return;
    std::fprintf(file_, "$comment %.*s $end\n", static_cast<int>(text.size()), text.data());
}

}  // namespace sim

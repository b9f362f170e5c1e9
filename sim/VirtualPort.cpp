#include "sim/VirtualPort.h"

#include <charconv>

namespace sim {

std::optional<PortTable> ParsePortList(std::string_view text) {
    PortTable table{};
    if (text.empty()) return table;
    std::size_t entry = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (entry >= table.size() || item.empty()) return std::nullopt;
        int base = 10;
        if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) {
            item.remove_prefix(2);
            base = 16;
        }
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value, base);
        if (ec != std::errc() || end != item.data() + item.size() || value > 0xFFFF) return std::nullopt;
        table[entry++] = static_cast<std::uint16_t>(value);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return table;
}

VirtualPort::VirtualPort(PortTable table, const std::string& tracePath, Clock clock)
    : table_(table), clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                  std::chrono::steady_clock::now().time_since_epoch())
                                                  .count());
        };
    }
    start_ = clock_();
    for (int i = 0; i < 3; ++i) {
        if (table_[i] != 0) {
            boardPort_ = i;
            break;
        }
    }
    if (!tracePath.empty()) trace_ = std::fopen(tracePath.c_str(), "w");
}

VirtualPort::~VirtualPort() {
    if (trace_) std::fclose(trace_);
}

int VirtualPort::PortOf(std::uint16_t address) const {
    for (int i = 0; i < 3; ++i)
        if (table_[i] != 0 && address >= table_[i] && address <= table_[i] + 2) return i;
    return -1;
}

bool VirtualPort::DumpWaveform(const std::string& vcdPath) {
    std::lock_guard guard(lock_);
    auto vcd = std::make_unique<VcdWriter>(vcdPath);
    if (!vcd->IsOpen()) return false;
    vcd_ = std::move(vcd);
    return true;
}

void VirtualPort::Trace(char kind, std::uint16_t address, std::uint8_t value, std::uint64_t ns) {
    if (!trace_) return;
    // Microseconds to the nanosecond: port accesses follow each other far faster than
    // one a microsecond.
    std::fprintf(trace_, "%llu.%03llu %c %X %02X\n", static_cast<unsigned long long>(ns / 1000),
                 static_cast<unsigned long long>(ns % 1000), kind, address, value);
}

PortLines VirtualPort::LinesOf(int port) const {
    const Registers& r = registers_[static_cast<std::size_t>(port)];
    return {r.data, port == boardPort_ && board_ ? board_->Status() : std::uint8_t{0xFF}, r.control};
}

void VirtualPort::StartWaveform() {
    std::vector<VcdWriter::Port> ports;
    for (int i = 0; i < 3; ++i) {
        if (table_[i] == 0) continue;
        const std::string_view board = i == boardPort_ && board_ ? board_->Name() : std::string_view{};
        ports.push_back({table_[i], NamesForBoard(board), LinesOf(i)});
    }
    vcd_->Start(ports);
}

std::uint8_t VirtualPort::Read(std::uint16_t address) {
    std::lock_guard guard(lock_);
    const std::uint64_t now = trace_ ? clock_() - start_ : 0;
    std::uint8_t value = 0xFF;
    const int port = PortOf(address);
    if (port >= 0) {
        const Registers& r = registers_[port];
        switch (address - table_[port]) {
            case 0: value = r.data; break;
            case 1: value = port == boardPort_ && board_ ? board_->Status() : 0xFF; break;
            default: value = r.control; break;
        }
    }
    Trace('R', address, value, now);
    return value;
}

void VirtualPort::Write(std::uint16_t address, std::uint8_t value) {
    std::lock_guard guard(lock_);
    const std::uint64_t now = trace_ || vcd_ ? clock_() - start_ : 0;
    Trace('W', address, value, now);
    if (vcd_ && !vcd_->Started()) StartWaveform();
    const int port = PortOf(address);
    if (port < 0) return;
    Registers& r = registers_[port];
    const int offset = address - table_[port];
    if (offset == 1) return;  // the status register is input only
    (offset == 0 ? r.data : r.control) = value;
    if (port == boardPort_ && board_) {
        board_->OnTime(clock_() - start_);
        board_->OnLines(r.data, r.control);
    }
    if (vcd_) vcd_->Change(now, Scope(port), LinesOf(port));
}

void VirtualPort::Attach(std::unique_ptr<VirtualBoard> board) {
    std::lock_guard guard(lock_);
    board_ = std::move(board);
    if (board_ && boardPort_ >= 0) board_->OnLines(registers_[boardPort_].data, registers_[boardPort_].control);
    if (vcd_ && vcd_->Started() && boardPort_ >= 0) {
        // The wires keep the names they were given; the reader learns what hangs on them now.
        vcd_->Comment(std::string("board ") + (board_ ? std::string(board_->Name()) : std::string("none")) + " attached");
        vcd_->Change(clock_() - start_, Scope(boardPort_), LinesOf(boardPort_));
    }
}

std::size_t VirtualPort::Scope(int port) const {
    std::size_t scope = 0;
    for (int i = 0; i < port; ++i) scope += table_[i] != 0;
    return scope;
}

}  // namespace sim

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
            return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
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

void VirtualPort::Trace(char kind, std::uint16_t address, std::uint8_t value) {
    if (!trace_) return;
    std::fprintf(trace_, "%llu %c %X %02X\n", static_cast<unsigned long long>(clock_() - start_), kind, address, value);
}

std::uint8_t VirtualPort::Read(std::uint16_t address) {
    std::lock_guard guard(lock_);
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
    Trace('R', address, value);
    return value;
}

void VirtualPort::Write(std::uint16_t address, std::uint8_t value) {
    std::lock_guard guard(lock_);
    Trace('W', address, value);
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
}

void VirtualPort::Attach(std::unique_ptr<VirtualBoard> board) {
    std::lock_guard guard(lock_);
    board_ = std::move(board);
    if (board_ && boardPort_ >= 0) board_->OnLines(registers_[boardPort_].data, registers_[boardPort_].control);
}

}  // namespace sim

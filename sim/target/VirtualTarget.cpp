#include "sim/target/VirtualTarget.h"

#include <algorithm>
#include <array>
#include <limits>

namespace sim {

namespace {
// How far the program may run ahead of the clock to take a byte that just arrived.
constexpr std::uint64_t kTakeByteCycles = 64;
}  // namespace

VirtualTarget::VirtualTarget(KX6500Chip& chip, TargetLine& line, TargetOptions options)
    : chip_(chip),
      line_(line),
      options_(std::move(options)),
      toTarget_(options_.faults, options_.seed * 2),
      toHost_(options_.faults, options_.seed * 2 + 1) {
    if (options_.monitor) monitor_ = std::make_unique<monitor::DebugMonitor>(chip_, options_.clockMHz);
}

void VirtualTarget::PowerOn() {
    if (monitor_) monitor_->PowerOn(line_.NowUs());
    else chip_.PowerOn();
    running_ = false;
}

void VirtualTarget::Serve() {
    PowerOn();
    while (Turn()) {
    }
}

bool VirtualTarget::Turn() {
    const std::uint64_t now = line_.NowUs();
    const TargetLine::Events events = line_.TakeEvents();
    if (events.quit) return false;
    if (events.powerOn) PowerOn();
    const int hostRate = line_.HostBitRate();
    TakeInput(now, hostRate);
    Deliver(now);
    SendOutput(now, hostRate);
    line_.WaitUntil(NextWake(now));
    return true;
}

bool VirtualTarget::Garbling(int hostRate) {
    const int monitorRate = monitor_ ? monitor_->BitRate() : 0;
    if (RatesAgree(hostRate, monitorRate)) return false;
    if (!rateNoticed_ && options_.notice)
        options_.notice("the PC's end of the line is at " + std::to_string(hostRate) + " bit/s, the monitor's at " +
                        std::to_string(monitorRate) + " bit/s: every byte is garbled");
    rateNoticed_ = true;
    return true;
}

void VirtualTarget::TakeInput(std::uint64_t now, int hostRate) {
    const double byteUs = options_.wireTime ? ByteMicroseconds(hostRate) : 0;
    std::array<std::uint8_t, 4096> buffer;
    std::vector<std::uint8_t> carried;
    while (const std::size_t n = line_.Read(buffer)) {
        for (std::size_t i = 0; i < n; ++i) {
            carried.clear();
            toTarget_.Carry(buffer[i], carried);
            for (std::uint8_t b : carried) {
                const int monitorRate = monitor_ ? monitor_->BitRate() : 0;
                inbound_.Put(Garbling(hostRate) ? Garble(b, hostRate, monitorRate) : b, now, byteUs);
            }
        }
    }
}

void VirtualTarget::Deliver(std::uint64_t now) {
    bool toProgram = false;
    replyFromUs_ = now;
    while (const auto arrival = inbound_.Take(now)) {
        if (!monitor_) continue;  // nobody listens
        toProgram |= monitor_->ProgramRunning();
        monitor_->Receive(arrival->byte, arrival->atUs);
        replyFromUs_ = arrival->atUs;
    }
    RunProgram(now, toProgram);
}

void VirtualTarget::RunProgram(std::uint64_t now, bool takeByte) {
    if (!monitor_ || !monitor_->ProgramRunning()) {
        running_ = false;
        return;
    }
    const double perUs = options_.clockMHz / 12;
    if (!running_) {
        running_ = true;
        anchorUs_ = now;
        anchorCycle_ = chip_.Cycles();
    }
    std::uint64_t target = anchorCycle_ + static_cast<std::uint64_t>(static_cast<double>(now - anchorUs_) * perUs);
    const auto maxLag = static_cast<std::uint64_t>(kMaxLagUs * perUs);
    if (target > chip_.Cycles() + maxLag) {
        target = chip_.Cycles() + maxLag;
        anchorUs_ = now;
        anchorCycle_ = target;
    }
    if (takeByte) target = std::max(target, chip_.Cycles() + kTakeByteCycles);
    monitor_->Run(target, now);
    if (!monitor_->ProgramRunning()) running_ = false;
}

void VirtualTarget::SendOutput(std::uint64_t now, int hostRate) {
    if (monitor_) {
        const double byteUs = options_.wireTime ? ByteMicroseconds(hostRate) : 0;
        std::vector<std::uint8_t> carried;
        for (std::uint8_t byte : monitor_->TakeTransmitted()) {
            carried.clear();
            toHost_.Carry(byte, carried);
            for (std::uint8_t b : carried)
                outbound_.Put(Garbling(hostRate) ? Garble(b, monitor_->BitRate(), hostRate) : b, replyFromUs_, byteUs);
        }
    }
    std::vector<std::uint8_t> due;
    while (const auto arrival = outbound_.Take(now)) due.push_back(arrival->byte);
    if (!due.empty()) line_.Write(due);
}

std::uint64_t VirtualTarget::NextWake(std::uint64_t now) const {
    std::uint64_t wake = std::numeric_limits<std::uint64_t>::max();
    if (running_) wake = now + kSliceUs;
    if (const auto next = inbound_.NextArrival()) wake = std::min(wake, *next);
    if (const auto next = outbound_.NextArrival()) wake = std::min(wake, *next);
    return wake;
}

std::string VirtualTarget::Summary() const {
    const monitor::MonitorStats s = monitor_ ? monitor_->Stats() : monitor::MonitorStats{};
    const FaultCounts& a = toTarget_.Counts();
    const FaultCounts& b = toHost_.Counts();
    auto n = [](std::uint64_t v) { return std::to_string(v); };
    return n(s.frames) + " frames served (" + n(s.refused) + " refused), " + n(s.badCrc + s.incomplete) +
           " bad frames (" + n(s.badCrc) + " bad CRC, " + n(s.incomplete) + " incomplete), " +
           n(a.Total() + b.Total()) + " faults injected (" + n(a.dropped + b.dropped) + " dropped, " +
           n(a.flipped + b.flipped) + " flipped, " + n(a.inserted + b.inserted) + " inserted)";
}

}  // namespace sim

#include "tests/monitor/FakeMonitor.h"

#include <algorithm>

#include "common/Crc16.h"

namespace kx6500mon::testing {

FakeMonitor::FakeMonitor() {
    for (std::size_t i = 0; i < xdata.size(); ++i) {
        xdata[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
        code[i] = static_cast<std::uint8_t>(i * 13 + 5 + (i >> 8));
    }
    for (std::size_t i = 0; i < iram.size(); ++i) {
        iram[i] = static_cast<std::uint8_t>(0x40 + i);
        sfr[i] = static_cast<std::uint8_t>(0xC0 ^ i);
    }
}

std::vector<std::uint8_t> FakeMonitor::Reply(std::uint8_t code, std::span<const std::uint8_t> data) {
    return EncodeFrame(code, data);
}

std::uint16_t FakeMonitor::PageCrc(std::span<const std::uint8_t> page) { return tessary::Crc16(page); }

std::uint16_t FakeMonitor::Pc() const {
    return static_cast<std::uint16_t>(xdata[(saveArea + 4) & 0xFFFF] << 8 | xdata[(saveArea + 5) & 0xFFFF]);
}

void FakeMonitor::SetPc(std::uint16_t pc) {
    Saved(4) = static_cast<std::uint8_t>(pc >> 8);
    Saved(5) = static_cast<std::uint8_t>(pc & 0xFF);
}

std::uint8_t FakeMonitor::Fetch(std::uint16_t address) {
    const std::uint8_t rdata = Saved(18);
    const std::uint16_t radr = static_cast<std::uint16_t>(Saved(20) << 8 | Saved(19));
    const bool armed = rdata != 0 || radr != 0;
    return armed && address == radr ? rdata : code[address];
}

bool FakeMonitor::Execute(long n) {
    for (long i = 0; i < n; ++i) {
        std::uint16_t pc = Pc();
        const std::uint8_t op = Fetch(pc);
        ++executed;
        std::uint8_t& acc = Saved(0);
        const auto dptr = static_cast<std::uint16_t>(Saved(3) << 8 | Saved(2));
        switch (op) {
        case 0xA5: SetPc(static_cast<std::uint16_t>(pc + 1)); return true;
        case 0x02: pc = static_cast<std::uint16_t>(code[(pc + 1) & 0xFFFF] << 8 | code[(pc + 2) & 0xFFFF]); break;
        case 0x80: pc = static_cast<std::uint16_t>(pc + 2 + static_cast<std::int8_t>(code[(pc + 1) & 0xFFFF])); break;
        case 0x74:
            acc = code[(pc + 1) & 0xFFFF];
            pc = static_cast<std::uint16_t>(pc + 2);
            break;
        case 0x04: ++acc, ++pc; break;
        case 0xA3:
            Saved(2) = static_cast<std::uint8_t>((dptr + 1) & 0xFF);
            Saved(3) = static_cast<std::uint8_t>(((dptr + 1) >> 8) & 0xFF);
            ++pc;
            break;
        case 0xF0: xdata[dptr] = acc, ++pc; break;
        default: ++pc; break;
        }
        SetPc(pc);
    }
    return false;
}

std::vector<std::uint8_t> FakeMonitor::Status(std::uint8_t status) {
    const std::uint8_t data[] = {status};
    return Reply(reply::kStatus, data);
}

std::vector<std::uint8_t> FakeMonitor::Tick() {
    if (!running || !Execute(runBudget)) return {};
    running = false;
    return Status(breakpointStatus);
}

void FakeMonitor::HardReset() {
    ++resets;
    silentUntilReset = false;
    statuses = afterReset;
}

std::vector<std::uint8_t> FakeMonitor::Feed(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (std::uint8_t b : bytes) {
        pending_.push_back(b);
        if (pending_[0] != 0) {
            if (pending_.size() < 2 || pending_.size() < pending_[1] + 4u) continue;
            if (tessary::Crc16(pending_) != 0) {
                ++badFrames;
                pending_.clear();
                continue;
            }
        }
        Frame request;
        request.code = pending_[0];
        if (pending_[0] != 0) request.data.assign(pending_.begin() + 2, pending_.end() - 2);
        pending_.clear();
        requests.push_back(request);
        if (silent || silentUntilReset) continue;
        std::vector<std::uint8_t> answer;
        if (override) {
            if (auto replaced = override(request)) answer = *replaced;
            else answer = Answer(request);
        } else {
            answer = Answer(request);
        }
        out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
}

std::uint8_t* FakeMonitor::Space(std::uint8_t space, std::uint16_t address) {
    switch (space) {
    case space::kInternal: return &iram[address & 0xFF];
    case space::kSfr: return &sfr[address & 0xFF];
    default: return &xdata[address];
    }
}

std::vector<std::uint8_t> FakeMonitor::Answer(const Frame& r) {
    const auto& d = r.data;
    auto bytesFrom = [](const auto& memory, std::size_t address, std::size_t count) {
        std::vector<std::uint8_t> v(count);
        for (std::size_t i = 0; i < count; ++i) v[i] = memory[(address + i) % memory.size()];
        return v;
    };
    switch (r.code) {
    case cmd::kStatusPoll: {
        if (running) {
            // The poll interrupts the program and the monitor takes over.
            running = false;
            return Status(stoppedStatus);
        }
        std::uint8_t s = readyStatus;
        if (!statuses.empty()) {
            s = statuses.front();
            statuses.pop_front();
        }
        return Status(s);
    }
    case cmd::kStep: {
        Execute(1);
        std::vector<std::uint8_t> out;
        for (std::uint8_t s : stepStatuses) {
            const auto frame = Status(s);
            out.insert(out.end(), frame.begin(), frame.end());
        }
        return out;
    }
    case cmd::kEndStep: return Status(endStepStatus);
    case cmd::kPrepareRun: return Status(prepareStatus);
    case cmd::kRun:
        running = true;
        if (Execute(runBudget)) {
            running = false;
            later = Status(breakpointStatus);
        }
        return Reply(reply::kDone, {});
    case cmd::kStop:
        if (!answersStop) return {};
        return Reply(reply::kDone, {});
    case cmd::kRegisterBuffer: {
        const std::uint8_t data[] = {static_cast<std::uint8_t>(saveArea >> 8), static_cast<std::uint8_t>(saveArea)};
        return Reply(0xE8, data);
    }
    case cmd::kReadInternal: return Reply(0xE0, bytesFrom(iram, d.at(0), d.at(1)));
    case cmd::kReadSfr: return Reply(0xE4, bytesFrom(sfr, d.at(0), d.at(1)));
    case cmd::kReadXdata: return Reply(0xE1, bytesFrom(xdata, d.at(0) << 8 | d.at(1), d.at(2)));
    case cmd::kReadCode: return Reply(0xE2, bytesFrom(code, d.at(0) << 8 | d.at(1), d.at(2)));
    case cmd::kWriteHeader:
        writeSpace_ = d.at(0);
        writeAddress_ = static_cast<std::uint16_t>(d.at(1) << 8 | d.at(2));
        writeCount_ = d.at(3);
        return Reply(reply::kDone, {});
    case cmd::kWriteData:
        for (std::size_t i = 0; i < std::min(writeCount_, d.size()); ++i)
            *Space(writeSpace_, static_cast<std::uint16_t>(writeAddress_ + i)) = d[i];
        return Reply(reply::kDone, {});
    case cmd::kPageCrc: {
        const std::uint16_t crc = PageCrc(std::span(code).subspan(d.at(0) * 128u, 128));
        const std::uint8_t data[] = {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
        return Reply(0xEA, data);
    }
    case cmd::kLoadPage: {
        const std::size_t page = static_cast<std::size_t>(d.at(0) << 8 | d.at(1));
        std::copy_n(code.begin() + static_cast<std::ptrdiff_t>(page), 128, xdata.begin());
        return Reply(reply::kDone, {});
    }
    case cmd::kProgramPage:
        ++pagePrograms;
        if (failPrograms > 0)
            --failPrograms;
        else
            std::copy_n(xdata.begin(), 128, code.begin() + d.at(0) * 128);
        return Reply(reply::kDone, {});
    default: return {};
    }
}

}  // namespace kx6500mon::testing

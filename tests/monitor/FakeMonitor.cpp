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
        std::uint8_t s = readyStatus;
        if (!statuses.empty()) {
            s = statuses.front();
            statuses.pop_front();
        }
        const std::uint8_t data[] = {s};
        return Reply(reply::kStatus, data);
    }
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
        std::copy_n(xdata.begin(), 128, code.begin() + d.at(0) * 128);
        return Reply(reply::kDone, {});
    default: return {};
    }
}

}  // namespace kx6500mon::testing

#include "monitor/core/MonitorLink.h"

#include <array>
#include <cstdio>

#include "common/Crc16.h"

namespace kx6500mon {

namespace {
constexpr int kNormalConstantMs = 50;
}  // namespace

bool MonitorLink::Open(int portNumber, int bitRate) {
    if (port_.IsOpen()) port_.Close();
    if (bitRate <= 0) return false;
    bitRate_ = bitRate;
    perByteMs_ = 10000 / bitRate;
    if (!port_.Open(portNumber, bitRate)) return false;
    port_.DiscardInput();
    port_.DiscardOutput();
    return true;
}

void MonitorLink::Close() {
    if (!port_.IsOpen()) return;
    port_.ClearErrors();
    port_.DiscardInput();
    port_.DiscardOutput();
    port_.Close();
}

bool MonitorLink::Send(std::uint8_t code, std::span<const std::uint8_t> data) {
    port_.ClearErrors();
    const std::vector<std::uint8_t> wire = EncodeFrame(code, data);
    if (wire.empty()) return false;
    const bool written = port_.Write(wire, kNormalConstantMs + perByteMs_ * static_cast<int>(wire.size()));
    trace_.Sent(wire);
    if (!written) trace_.Text("PC->KX6500: WRITE FAILED\n");
    return written;
}

void MonitorLink::Drain(std::size_t count) {
    std::array<std::uint8_t, 64> scratch{};
    while (count > 0) {
        const std::size_t n = count < scratch.size() ? count : scratch.size();
        const std::size_t got = port_.Read(scratch.data(), n, kNormalConstantMs, perByteMs_);
        if (got < n) return;  // the rest never came
        count -= n;
    }
}

Received MonitorLink::Receive(int firstByteTimeoutMs, std::size_t bufferSize) {
    Received result;
    std::vector<std::uint8_t> wire(2);
    if (port_.Read(&wire[0], 1, firstByteTimeoutMs, 0) != 1) return result;  // silence is not a frame
    if (wire[0] == 0) {
        wire.resize(1);
        trace_.Received(wire);
        result.status = ReceiveStatus::Ok;
        return result;
    }
    if (port_.Read(&wire[1], 1, kNormalConstantMs, perByteMs_) != 1) {
        wire.resize(1);
        trace_.Text(MonitorTrace::DescribeFrame("KX6500->PC: ", wire) + " INCOMPLETE\n");
        result.status = ReceiveStatus::Incomplete;
        return result;
    }
    const std::size_t n = wire[1];
    if (n > bufferSize) {
        // Its data and CRC are still coming; take them off the line so that they are not
        // read as the next frame.
        trace_.Text(MonitorTrace::DescribeFrame("KX6500->PC: ", wire) + " TOO LONG\n");
        Drain(n + 2);
        result.status = ReceiveStatus::TooLong;
        return result;
    }
    wire.resize(n + 4);
    const std::size_t got = port_.Read(&wire[2], n + 2, kNormalConstantMs, perByteMs_);
    if (got < n + 2) {
        wire.resize(2 + got);
        trace_.Text(MonitorTrace::DescribeFrame("KX6500->PC: ", wire) + " INCOMPLETE\n");
        result.status = ReceiveStatus::Incomplete;
        return result;
    }
    trace_.Received(wire);
    if (tessary::Crc16(wire) != 0) {
        trace_.Text("KX6500->PC: BAD CRC\n");
        result.status = ReceiveStatus::BadCrc;
        return result;
    }
    result.status = ReceiveStatus::Ok;
    result.frame.code = wire[0];
    result.frame.data.assign(wire.begin() + 2, wire.begin() + 2 + static_cast<std::ptrdiff_t>(n));
    return result;
}

bool MonitorLink::Exchange(std::uint8_t code, std::span<const std::uint8_t> request, std::uint8_t expectedCode,
                           std::size_t expectedLength, int firstByteTimeoutMs, std::vector<std::uint8_t>& reply) {
    // Whatever is waiting in the input is an answer to an earlier request (a resent
    // request can draw two replies): it must not be taken for this one.
    auto send = [&] {
        port_.DiscardInput();
        return Send(code, request);
    };
    ++stats_.exchanges;
    if (send()) {
        for (int attempt = 1; attempt <= kExchangeAttempts; ++attempt) {
            Received r = Receive(firstByteTimeoutMs, expectedLength);
            if (r.Ok() && r.frame.code == expectedCode && r.frame.data.size() == expectedLength) {
                reply = std::move(r.frame.data);
                return true;
            }
            if (attempt == kExchangeAttempts) break;
            if (!r.Ok() && !Resynchronise()) break;
            ++stats_.resends;
            if (!send()) break;
        }
    }
    ++stats_.failedExchanges;
    failed_ = true;
    return false;
}

bool MonitorLink::Exchange(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply) {
    const CommandInfo* info = FindCommand(code);
    const auto length = info ? ExpectedReplyLength(*info, request) : std::nullopt;
    if (!length) {
        failed_ = true;
        return false;
    }
    return Exchange(code, request, info->reply, static_cast<std::size_t>(*length), info->firstByteTimeoutMs, reply);
}

std::optional<std::uint8_t> MonitorLink::PollStatus(int firstByteTimeoutMs) {
    if (!Send(cmd::kStatusPoll, {})) return std::nullopt;
    return ReceiveStatus(firstByteTimeoutMs);
}

std::optional<std::uint8_t> MonitorLink::ReceiveStatus(int firstByteTimeoutMs) {
    const Received r = Receive(firstByteTimeoutMs, 1);
    if (r.Ok() && r.frame.code == reply::kStatus && r.frame.data.size() == 1) return r.frame.data[0];
    return std::nullopt;
}

bool MonitorLink::Resynchronise() {
    ++stats_.resyncs;
    const std::uint64_t start = clock_.NowMs();
    const bool ok = ResynchroniseAttempts();
    stats_.resyncMs += clock_.NowMs() - start;
    if (!ok) ++stats_.failedResyncs;
    return ok;
}

bool MonitorLink::ResynchroniseAttempts() {
    static constexpr std::array<std::uint8_t, 6> kZeros{};
    for (int attempt = 0; attempt < kResyncAttempts; ++attempt) {
        port_.DiscardInput();
        port_.DiscardOutput();
        port_.ClearErrors();
        port_.Write(kZeros, kNormalConstantMs + perByteMs_ * static_cast<int>(kZeros.size()));
        trace_.Text("PC->KX6500: RESYNC STRING SENT\n");
        const Received r = Receive(50, 1);
        if (!r.Ok() || r.frame.code != reply::kStatus) {
            clock_.SleepMs(50);
            continue;
        }
        // Each of the six bytes was a poll; let their answers arrive and drop them, then
        // ask once more on a quiet line.
        clock_.SleepMs(50);
        port_.DiscardInput();
        const auto s = PollStatus(50);
        if (s && !(*s & status::kBusy)) {
            trace_.Text("PC->KX6500: RESYNC OK\n");
            return true;
        }
        notifier_.Beep(500, 10);
    }
    return false;
}

void MonitorLink::HardReset() {
    port_.SetDtr(true);
    port_.SetRts(false);
    clock_.SleepMs(1);
    port_.SetDtr(false);
    port_.SetRts(true);
    trace_.Text("PC->KX6500: HARD RESET\n");
}

bool MonitorLink::Connect() {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        bool inControl = false;
        if (Send(cmd::kStop, {})) {
            const Received r = Receive(50, 0);
            inControl = r.Ok() && r.frame.code == reply::kDone;
        }
        if (inControl) {
            for (int poll = 0; poll < kConnectPolls; ++poll) {
                const auto s = PollStatus(50);
                if (!s) {
                    clock_.SleepMs(5);
                    continue;
                }
                if (!(*s & status::kBusy)) return true;
            }
            break;
        }
        // The monitor did not answer the stop: restart the chip and watch it come up.
        HardReset();
        bool answered = false, starting = false, again = false;
        for (int poll = 0; poll < kConnectPolls && !again; ++poll) {
            const auto s = PollStatus(5);
            if (!s) {
                clock_.SleepMs(5);
                continue;
            }
            answered = true;
            if (*s & status::kBusy)
                starting = true;
            else if (starting)
                return true;
            else
                again = true;  // ready before it was seen starting: not our reset's doing
        }
        if (!answered) break;
    }
    failed_ = true;
    return false;
}

}  // namespace kx6500mon

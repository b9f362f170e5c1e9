#pragma once
// The PC side of the serial link to the debug monitor: the port with its timeouts,
// frames out and in, the retrying exchange, resynchronisation, the hard reset through
// the modem lines and the connect sequence. One request is outstanding at a time; the
// caller serialises all use.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "monitor/core/MonitorTrace.h"
#include "monitor/core/Protocol.h"
#include "monitor/core/Seams.h"

namespace kx6500mon {

enum class ReceiveStatus { Ok, Silent, Incomplete, TooLong, BadCrc };

struct Received {
    ReceiveStatus status = ReceiveStatus::Silent;
    Frame frame;
    bool Ok() const { return status == ReceiveStatus::Ok; }
};

// What the link has been through, for benchmarks and diagnostics.
struct LinkStats {
    long exchanges = 0;        // exchanges begun
    long resends = 0;          // requests sent again within an exchange
    long failedExchanges = 0;
    long resyncs = 0;          // resynchronisations begun
    long failedResyncs = 0;
    std::uint64_t resyncMs = 0;  // time spent resynchronising
};

class MonitorLink {
public:
    static constexpr int kExchangeAttempts = 21;
    static constexpr int kResyncAttempts = 6;
    static constexpr int kConnectAttempts = 21;
    static constexpr int kConnectPolls = 20;

    MonitorLink(SerialPort& port, Clock& clock, Notifier& notifier, MonitorTrace& trace)
        : port_(port), clock_(clock), notifier_(notifier), trace_(trace) {}

    bool Open(int portNumber, int bitRate);
    void Close();
    bool IsOpen() const { return port_.IsOpen(); }
    int BitRate() const { return bitRate_; }
    // The per-byte part of the normal timeouts (their constant part is 50 ms).
    int PerByteMs() const { return perByteMs_; }

    bool Send(std::uint8_t code, std::span<const std::uint8_t> data);
    Received Receive(int firstByteTimeoutMs, std::size_t bufferSize);
    // The retrying request and reply. A reply counts only with the expected code and
    // the expected length; anything else draws the request again.
    bool Exchange(std::uint8_t code, std::span<const std::uint8_t> request, std::uint8_t expectedCode,
                  std::size_t expectedLength, int firstByteTimeoutMs, std::vector<std::uint8_t>& reply);
    // The same with code, length and timeout from the command table.
    bool Exchange(std::uint8_t code, std::span<const std::uint8_t> request, std::vector<std::uint8_t>& reply);
    bool Resynchronise();
    void HardReset();
    bool Connect();
    // One status poll: the status byte, or nothing when no status reply came.
    std::optional<std::uint8_t> PollStatus(int firstByteTimeoutMs);
    // A status reply already on its way: the status byte, or nothing when none came
    // within the first-byte timeout or the frame was another one.
    std::optional<std::uint8_t> ReceiveStatus(int firstByteTimeoutMs);
    // Whether the monitor has sent something that is not read yet.
    bool InputPending() { return port_.Available() > 0; }
    void DiscardInput() { port_.DiscardInput(); }

    // Set by every failed exchange and failed connect; the debugger entry points do
    // nothing while it is set. Read from the host's threads while a run sets it.
    bool Failed() const { return failed_; }
    void SetFailed(bool failed) { failed_ = failed; }
    const LinkStats& Stats() const { return stats_; }

private:
    void Drain(std::size_t count);
    bool ResynchroniseAttempts();

    SerialPort& port_;
    Clock& clock_;
    Notifier& notifier_;
    MonitorTrace& trace_;
    int bitRate_ = 0;
    int perByteMs_ = 0;
    std::atomic<bool> failed_{false};
    LinkStats stats_;
};

}  // namespace kx6500mon

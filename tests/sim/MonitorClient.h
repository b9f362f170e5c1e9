#pragma once
// The tests' own client of the virtual target's monitor: the PC's end of the line on the
// pseudo-terminal, its frames built and checked here (only the CRC-16 is common's), so
// that the monitor is checked by code that is not the driver's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

struct Reply {
    std::uint8_t code = 0;
    Bytes data;
    bool operator==(const Reply&) const = default;
};

class MonitorClient {
public:
    // Opens the slave raw, 8N1, at the bit rate (one of the standard ones).
    MonitorClient(const std::string& path, int rate = 57600);
    ~MonitorClient();
    MonitorClient(const MonitorClient&) = delete;
    MonitorClient& operator=(const MonitorClient&) = delete;
    bool Ok() const { return fd_ >= 0; }
    void Close();

    static Bytes Frame(std::uint8_t code, const Bytes& data = {});
    void SendRaw(const Bytes& bytes);
    void Send(std::uint8_t code, const Bytes& data = {}) { SendRaw(Frame(code, data)); }
    // The next whole frame within the time; nothing on silence, a broken frame or a bad
    // CRC (the bytes are then in LastBytes()).
    std::optional<Reply> Receive(int timeoutMs = 2000);
    std::optional<Reply> Request(std::uint8_t code, const Bytes& data = {}, int timeoutMs = 2000);
    // The status of reply 0x55 to a poll; nothing when the reply is anything else.
    std::optional<std::uint8_t> Poll(int timeoutMs = 2000);
    // Polls until the monitor is ready (status 0x00); false when it is not in time.
    bool WaitReady(int timeoutMs = 10000);
    // Whatever arrives until the line has been quiet for quietMs.
    Bytes Drain(int quietMs = 100);
    const Bytes& LastBytes() const { return last_; }

    // Commands, each expecting its reply: the data, or nothing.
    std::optional<Bytes> Read(std::uint8_t command, unsigned address, int count);  // 0x10, 0x11, 0x12, 0x14
    bool Write(std::uint8_t space, unsigned address, const Bytes& bytes);         // 0x20 and 0x21
    std::uint16_t SaveAreaAddress();
    Bytes SaveArea();

private:
    bool ReadByte(std::uint8_t& byte, int timeoutMs);
    int fd_ = -1;
    Bytes last_;
};

}  // namespace simtest

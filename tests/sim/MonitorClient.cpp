#include "tests/sim/MonitorClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/Crc16.h"

namespace simtest {

namespace {

speed_t Speed(int rate) {
    switch (rate) {
        case 1200: return B1200;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 115200: return B115200;
        default: return B57600;
    }
}

}  // namespace

MonitorClient::MonitorClient(const std::string& path, int rate) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, Speed(rate));
    cfsetospeed(&tio, Speed(rate));
    tcsetattr(fd_, TCSANOW, &tio);
    tcflush(fd_, TCIOFLUSH);
}

MonitorClient::~MonitorClient() { Close(); }

void MonitorClient::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Bytes MonitorClient::Frame(std::uint8_t code, const Bytes& data) {
    Bytes wire;
    wire.reserve(data.size() + 4);
    wire.push_back(code);
    if (code == 0) return wire;
    wire.push_back(static_cast<std::uint8_t>(data.size()));
    for (std::uint8_t b : data) wire.push_back(b);
    const std::uint16_t crc = tessary::Crc16(wire);
    wire.push_back(static_cast<std::uint8_t>(crc >> 8));
    wire.push_back(static_cast<std::uint8_t>(crc));
    return wire;
}

void MonitorClient::SendRaw(const Bytes& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) sent += static_cast<std::size_t>(n);
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool MonitorClient::ReadByte(std::uint8_t& byte, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0) {
        if (::read(fd_, &byte, 1) == 1) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd_, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
    return false;
}

std::optional<Reply> MonitorClient::Receive(int timeoutMs) {
    last_.clear();
    std::uint8_t b = 0;
    if (!ReadByte(b, timeoutMs)) return std::nullopt;
    last_.push_back(b);
    if (b == 0) return Reply{0, {}};
    if (!ReadByte(b, 1000)) return std::nullopt;
    last_.push_back(b);
    for (int i = 0; i < last_[1] + 2; ++i) {
        if (!ReadByte(b, 1000)) return std::nullopt;
        last_.push_back(b);
    }
    if (tessary::Crc16(last_) != 0) return std::nullopt;
    return Reply{last_[0], Bytes(last_.begin() + 2, last_.end() - 2)};
}

std::optional<Reply> MonitorClient::Request(std::uint8_t code, const Bytes& data, int timeoutMs) {
    Send(code, data);
    return Receive(timeoutMs);
}

std::optional<std::uint8_t> MonitorClient::Poll(int timeoutMs) {
    const auto r = Request(0x00, {}, timeoutMs);
    if (!r || r->code != 0x55 || r->data.size() != 1) return std::nullopt;
    return r->data[0];
}

bool MonitorClient::WaitReady(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Poll(200) == 0x00) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

Bytes MonitorClient::Drain(int quietMs) {
    Bytes bytes;
    std::uint8_t b = 0;
    while (ReadByte(b, quietMs)) bytes.push_back(b);
    return bytes;
}

std::optional<Bytes> MonitorClient::Read(std::uint8_t command, unsigned address, int count) {
    Bytes request;
    if (command == 0x11 || command == 0x12) request.push_back(static_cast<std::uint8_t>(address >> 8));
    request.push_back(static_cast<std::uint8_t>(address));
    request.push_back(static_cast<std::uint8_t>(count));
    const auto r = Request(command, request);
    if (!r || r->code != static_cast<std::uint8_t>(command + 0xD0) || r->data.size() != static_cast<std::size_t>(count))
        return std::nullopt;
    return r->data;
}

bool MonitorClient::Write(std::uint8_t space, unsigned address, const Bytes& bytes) {
    const auto header = Request(0x20, {space, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
                                       static_cast<std::uint8_t>(bytes.size())});
    if (!header || header->code != 0xF0) return false;
    const auto data = Request(0x21, bytes);
    return data && data->code == 0xF0;
}

std::uint16_t MonitorClient::SaveAreaAddress() {
    const auto r = Request(0x18);
    if (!r || r->code != 0xE8 || r->data.size() != 2) return 0;
    return static_cast<std::uint16_t>(r->data[0] << 8 | r->data[1]);
}

Bytes MonitorClient::SaveArea() { return Read(0x11, SaveAreaAddress(), 22).value_or(Bytes{}); }

}  // namespace simtest

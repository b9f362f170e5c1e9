#pragma once
// The serial seam on POSIX terminals: real ports (/dev/ttyS*, USB adapters) and the
// pseudo-terminals of the virtual target alike. COMn is /dev/ttyS(n-1) unless
// KX6500MON_COMn names another device.

#include <string>

#include "monitor/core/Seams.h"

namespace kx6500mon {

std::string ComDevicePath(int portNumber);

class TermiosPort : public SerialPort {
public:
    ~TermiosPort() override { Close(); }
    bool Open(int portNumber, int bitRate) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    std::size_t Read(std::uint8_t* buffer, std::size_t count, int constantMs, int perByteMs) override;
    bool Write(std::span<const std::uint8_t> bytes, int timeoutMs) override;
    std::size_t Available() override;
    void DiscardInput() override;
    void DiscardOutput() override;
    void ClearErrors() override {}  // a terminal keeps no error state to clear
    void SetDtr(bool on) override { SetModemLine(kDtr, on); }
    void SetRts(bool on) override { SetModemLine(kRts, on); }

private:
    static constexpr int kDtr = 0x002;  // TIOCM_DTR
    static constexpr int kRts = 0x004;  // TIOCM_RTS
    void SetModemLine(int line, bool on);
    bool Configure(int bitRate);

    int fd_ = -1;
};

// Sets a bit rate that has no Bnnn constant; false when the device refuses it.
bool SetCustomBitRate(int fd, int bitRate);

}  // namespace kx6500mon

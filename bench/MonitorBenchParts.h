#pragma once
// What the monitor benchmarks put around the link: a port that counts the bytes that
// cross it (for the wire time), a trace that keeps nothing and messages nobody sees.

#include <span>
#include <string>

#include "monitor/core/Seams.h"

namespace kx6500mon {

class CountingPort : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner) : inner_(inner) {}
    bool Open(int n, int rate) override { return inner_.Open(n, rate); }
    void Close() override { inner_.Close(); }
    bool IsOpen() const override { return inner_.IsOpen(); }
    std::size_t Read(std::uint8_t* b, std::size_t c, int k, int p) override {
        const std::size_t n = inner_.Read(b, c, k, p);
        bytes += static_cast<long>(n);
        return n;
    }
    bool Write(std::span<const std::uint8_t> b, int t) override {
        bytes += static_cast<long>(b.size());
        return inner_.Write(b, t);
    }
    std::size_t Available() override { return inner_.Available(); }
    void DiscardInput() override { inner_.DiscardInput(); }
    void DiscardOutput() override { inner_.DiscardOutput(); }
    void ClearErrors() override { inner_.ClearErrors(); }
    void SetDtr(bool on) override { inner_.SetDtr(on); }
    void SetRts(bool on) override { inner_.SetRts(on); }
    long bytes = 0;

private:
    SerialPort& inner_;
};

class NullTrace : public TraceOutput {
public:
    void Write(const std::string&) override {}
};

class QuietNotifier : public Notifier {
public:
    bool Show(const tessary::UserMessage&, Buttons) override { return false; }
    void Beep(int, int) override {}
};

}  // namespace kx6500mon

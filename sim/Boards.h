#pragma once
// The virtual evaluation boards. Each decodes the wire protocol from line levels the
// way the chip does, keeps the chip's register file, and reports lock from its own
// registers: synthesiser powered, calibrated since the last frequency change, and the
// active frequency word inside the synthesiser's range.

#include <array>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/Synthesiser.h"
#include "sim/Tiny12.h"
#include "sim/VirtualBoard.h"
#include "sim/chip/FlashFile.h"
#include "sim/chip/KX6500Chip.h"

namespace sim {

// Register access for tests and programs that inspect a board after a run.
class RegisterFileBoard : public VirtualBoard {
public:
    // The register at an address (a frame index 0 to 7 for the frame boards), if the
    // chip has one there.
    virtual std::optional<int> Register(int address) const = 0;
    virtual bool Locked() const = 0;
    // Every register (or frame) write the chip decoded, in order: address, value.
    const std::vector<std::pair<int, int>>& Writes() const { return writes_; }

protected:
    std::vector<std::pair<int, int>> writes_;
};

// KX6200 and KX6300: three-wire slave. The chip takes address and data bits on the
// falling clock edge while the address latch is low (address) or high (data), and
// puts read data on status bit 7, one bit per falling edge. Lock pin on status bit 4,
// low when locked.
class ThreeWireBoard : public RegisterFileBoard {
public:
    explicit ThreeWireBoard(std::string name) : name_(std::move(name)) {}
    std::string_view Name() const override { return name_; }
    void OnLines(std::uint8_t data, std::uint8_t control) override;
    std::uint8_t Status() const override;
    std::optional<int> Register(int address) const override;
    bool Locked() const override;

    static bool HasRegister(int address);

private:
    enum class Phase { Idle, Address, WriteData, ReadOut };
    void WriteChip(int address, std::uint8_t value);
    int ActiveWord() const;

    std::string name_;
    std::array<std::uint8_t, 0x47> registers_{};
    SynthesiserState synth_;
    Phase phase_ = Phase::Idle;
    unsigned shift_ = 0;
    int bits_ = 0;
    int address_ = 0;
    std::uint8_t readValue_ = 0;
    int outBit_ = 1;
    std::uint8_t lastData_ = 0;
};

// KX400/KX900: a 16-bit shift register clocked on the falling clock edge and latched
// into frame (bits 15-13) on the rising edge of the load strobe. Lock pin on status
// bit 4, low when locked. The demonstration board, when plugged in, reads 1 on status
// bit 7 and hangs its ATtiny12 on data bits 4 to 6 and status bit 5.
class FrameBoard : public RegisterFileBoard {
public:
    // With a demonstration board holding an erased part.
    explicit FrameBoard(bool kx900) : FrameBoard(kx900, std::make_unique<Tiny12>()) {}
    // demo: nullptr for no demonstration board.
    FrameBoard(bool kx900, std::unique_ptr<Tiny12> demo) : kx900_(kx900), demo_(std::move(demo)) {}
    std::string_view Name() const override { return kx900_ ? "kx900" : "kx400"; }
    void OnTime(std::uint64_t microseconds) override { now_ = microseconds; }
    void OnLines(std::uint8_t data, std::uint8_t control) override;
    std::uint8_t Status() const override;
    std::optional<int> Register(int frame) const override;
    bool Locked() const override;
    Tiny12* Demo() { return demo_.get(); }

private:
    bool kx900_;
    std::unique_ptr<Tiny12> demo_;
    std::uint64_t now_ = 0;
    std::array<int, 8> frames_{0x002, 0, 0x040, 0, 0, 0, 0, 0};
    unsigned shift_ = 0;
    std::uint8_t lastData_ = 0;
};

// KX6500: the board bus of the adapter program and the flash programming interface,
// two doors on one chip model. Bits are taken on the rising edge of control bit 0 while
// control bit 1 is set; data bit 1 marks the first bit of a transfer. A read answers on
// status bit 4, one bit per rising edge. The transfers read and write the chip's SFRs
// 80h to FFh as the adapter program's MOV instructions would (LOCK at E4h shows the
// radio's lock in bit 0). Data bit 7 low holds the chip in reset (the hardware reset
// takes bits 6 and 7 low).
//
// While reset is held the flash programming interface listens: SCK on data bit 4, MOSI
// on data bit 5 taken at SCK's rising edge, MISO on status bit 5, 32-bit command words
// after the programming-enable handshake. The 32 KiB flash (and its lock bits) can live
// in a file so that it survives from one run to the next.
class KX6500Board : public RegisterFileBoard {
public:
    explicit KX6500Board(std::string flashPath = "", int signature = 1);
    KX6500Chip& Chip() { return chip_; }
    const KX6500Chip::FlashImage& Flash() const { return chip_.Flash(); }
    int LockBits() const { return chip_.LockBits(); }
    // Bits swallowed after each reset before the device counts words: a host must
    // realign with extra clock pulses.
    void SetMisalignment(int bits) { misalignment_ = bits; }
    int Erases() const { return erases_; }
    std::string_view Name() const override { return "kx6500"; }
    void OnLines(std::uint8_t data, std::uint8_t control) override;
    std::uint8_t Status() const override;
    std::optional<int> Register(int address) const override;
    bool Locked() const override;
    bool InReset() const { return inReset_; }
    int Resets() const { return resets_; }

private:
    enum class Phase { Idle, First, WriteData, ReadOut };
    void WriteChip(int address, std::uint8_t value);

    KX6500Chip chip_;
    std::optional<FlashFile> file_;
    Phase phase_ = Phase::Idle;
    unsigned shift_ = 0;
    int bits_ = 0;
    int address_ = 0;
    std::uint8_t readValue_ = 0;
    int outBit_ = 1;
    std::uint8_t lastControl_ = 0;
    bool inReset_ = true;  // the port's data register starts at 0: reset held
    int resets_ = 0;

    // The programming interface.
    void ProgrammingLines(std::uint8_t data);
    void Execute(std::uint32_t word);
    std::uint8_t ReadResult(std::uint32_t word) const;
    std::array<std::uint8_t, KX6500Chip::kPageSize> pageBuffer_;
    int signature_;
    bool enabled_ = false;
    int spiBits_ = 0;
    std::uint32_t spiWord_ = 0;
    std::uint8_t reply_[4] = {0, 0, 0, 0};
    std::uint8_t lastData_ = 0;
    int misalignment_ = 0;
    int erases_ = 0;
};

}  // namespace sim

#pragma once
// The virtual KX6500: 32 KiB flash, 2 KiB XDATA, 128 bytes of internal RAM, the special
// function registers, lock bits and an 8051 core with its timers, serial ports,
// interrupts and radio. Plain C++: whoever keeps the flash in a file, paces the core
// at a clock or connects the serial ports does so from outside, through the doors and
// hooks below.
//
// Execution: Step() is one instruction (a pending interrupt the rules allow is entered
// first; entering is not an instruction). RunUntil() executes until the cycle counter
// reaches a mark or the program counter reaches a watched address, the instruction
// there not yet executed; the first instruction of a run is never stopped at, so a run
// continues from a watched address.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "sim/chip/ChipMemory.h"
#include "sim/chip/Core8051.h"
#include "sim/chip/Interrupts.h"
#include "sim/chip/KX6500Radio.h"
#include "sim/chip/SerialDoor.h"

namespace sim {

class KX6500Chip : private CoreBus {
public:
    static constexpr int kFlashSize = ChipMemory::kFlashSize;
    static constexpr int kPageSize = 128;
    static constexpr int kPages = kFlashSize / kPageSize;
    static constexpr int kXdataSize = ChipMemory::kXdataSize;
    static constexpr int kIramSize = ChipMemory::kIramSize;
    using FlashImage = std::array<std::uint8_t, kFlashSize>;
    using Page = std::span<const std::uint8_t, kPageSize>;
    // What the program reads from a register, given what the register holds.
    using SfrReadHook = std::function<std::uint8_t(std::uint8_t address, std::uint8_t stored)>;
    // After the program (or a door) wrote a register.
    using SfrWriteHook = std::function<void(std::uint8_t address, std::uint8_t value)>;
    enum class Stop { Cycles, Watch };

    // Erased flash, no lock bits, powered on.
    KX6500Chip();
    KX6500Chip(const KX6500Chip&) = delete;
    KX6500Chip& operator=(const KX6500Chip&) = delete;

    // ---- power and reset
    // Internal RAM and XDATA cleared, counters back to 0, then a reset.
    void PowerOn();
    // SFRs to their reset values, PC 0, no interrupt in progress; the memories keep
    // their contents and the serial lines their waiting bytes.
    void Reset();

    // ---- execution
    void Step();
    Stop RunUntil(std::uint64_t cycle);
    void Watch(std::uint16_t address, bool on = true);
    bool Watched(std::uint16_t address) const { return (watches_[address >> 6] >> (address & 63)) & 1; }
    std::uint16_t Pc() const { return core_.Pc(); }
    void SetPc(std::uint16_t pc) { core_.SetPc(pc); }
    std::uint64_t Cycles() const { return cycles_; }
    std::uint64_t Instructions() const { return instructions_; }
    // -1 none, 0 low, 1 high.
    int InterruptLevel() const { return interrupts_.Level(); }
    // Ends the highest interrupt level in progress as RETI does (and, as after RETI, one
    // instruction runs before the next interrupt), leaving PC and stack to the caller:
    // for code outside the core that was entered through a vector and resumes the program.
    void EndInterruptLevel() { ReturnFromInterrupt(); }
    // Lets a pending interrupt be entered before the next instruction after all (RETI and
    // writes to IE, IP, EIE or EIP hold it off for one): for code outside the core that
    // executes one instruction of the program and wants it to start as the chip would
    // from a running program.
    void CancelInterruptHoldOff() { blockNext_ = false; }

    // ---- memories, as the program sees them (0xFF where the chip has no memory)
    std::uint8_t Iram(int address) const { return address >= 0 && address < kIramSize ? memory_.iram[address] : 0xFF; }
    void SetIram(int address, std::uint8_t value);
    std::uint8_t Xdata(int address) const { return address >= 0 && address < kXdataSize ? memory_.xdata[address] : 0xFF; }
    void SetXdata(int address, std::uint8_t value);
    std::uint8_t Code(int address) const { return address >= 0 && address < kFlashSize ? memory_.flash[address] : 0xFF; }
    // An SFR (0x80 to 0xFF) read and written as a MOV direct of the program would, with
    // every side effect and hook.
    std::uint8_t ReadSfr(int address) const;
    void WriteSfr(int address, std::uint8_t value);
    // R0 to R7 of the bank PSW selects.
    std::uint8_t R(int n) const { return memory_.iram[static_cast<std::size_t>((memory_.Sfr(sfr::PSW) & 0x18) | (n & 7))]; }
    const ChipMemory& Memory() const { return memory_; }

    // ---- flash and lock bits
    const FlashImage& Flash() const { return memory_.flash; }
    // Flash to 0xFF and the lock bits cleared.
    void EraseChip();
    // Pages inside the write-protected upper area are left alone (false).
    bool ErasePage(int page);
    // Programming only clears bits: a page not erased first comes out as old AND new.
    bool ProgramPage(int page, Page bytes);
    bool PageWriteProtected(int page) const;
    // The lock bits as a programmer gives them (bit 0 read protection, bits 1-3 the
    // write-protected upper area, bit 4 the boot block), and as the wire carries them
    // (inverted: a 0 bit is a programmed lock).
    int LockBits() const { return ~lockWire_ & 0x1F; }
    std::uint8_t LockWire() const { return lockWire_; }
    // Programming lock bits only adds locks; only a chip erase removes them.
    void ProgramLockWire(std::uint8_t wire);
    // A stored chip's contents, as a file keeps them.
    void RestoreFlash(const FlashImage& image, std::uint8_t lockWire);
    // Called after every change of the flash or the lock bits, whoever made it.
    void OnFlashChanged(std::function<void()> listener) { flashChanged_ = std::move(listener); }

    // ---- doors and hooks
    SerialDoor& Uart0() { return uart0_; }
    SerialDoor& Uart1() { return uart1_; }
    const KX6500Radio& Radio() const { return radio_; }
    // One hook per register; an empty function removes it.
    void OnSfrRead(std::uint8_t address, SfrReadHook hook);
    void OnSfrWrite(std::uint8_t address, SfrWriteHook hook);

private:
    std::uint8_t ReadSpecial(std::uint8_t address) override;
    void WriteSpecial(std::uint8_t address, std::uint8_t value) override;
    void ReturnFromInterrupt() override;
    std::uint8_t Read(std::uint8_t address) const;
    void Write(std::uint8_t address, std::uint8_t value);
    bool EnterInterrupt();
    void Execute();
    void AdvanceSerial();
    void UpdateSpecial(std::uint8_t address);
    void FlashChanged() const;

    ChipMemory memory_;
    Core8051 core_{memory_, *this};
    InterruptController interrupts_;
    SerialDoor uart0_;
    SerialDoor uart1_;
    KX6500Radio radio_;
    std::uint8_t lockWire_ = 0x1F;
    std::uint64_t cycles_ = 0;
    std::uint64_t instructions_ = 0;
    bool blockNext_ = false;  // RETI or an IE/IP/EIE/EIP write: one more instruction first
    std::array<std::uint64_t, 1024> watches_{};
    int watchCount_ = 0;
    std::array<SfrReadHook, 0x80> readHooks_;
    std::array<SfrWriteHook, 0x80> writeHooks_;
    std::function<void()> flashChanged_;
};

}  // namespace sim

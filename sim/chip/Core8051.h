#pragma once
// The 8051 core of the KX6500: the standard instruction set with the machine-cycle
// counts of the 12-clock core, two data pointers (DPS bit 0), MOVX @Ri paged by
// MPAGE, the breakpoint instruction 0xA5 and the opcode replacement of RDATA at
// RADRH:RADRL. Registers that do more than store (serial buffers, interrupt enables,
// radio, hooks) are marked special and reach the chip through the bus.

#include <array>
#include <cstdint>

#include "sim/chip/ChipMemory.h"
#include "sim/chip/Sfr.h"

namespace sim {

class CoreBus {
public:
    virtual std::uint8_t ReadSpecial(std::uint8_t address) = 0;
    virtual void WriteSpecial(std::uint8_t address, std::uint8_t value) = 0;
    virtual void ReturnFromInterrupt() = 0;

protected:
    ~CoreBus() = default;
};

class Core8051 {
public:
    static constexpr std::uint8_t kBreakpoint = 0xA5;

    Core8051(ChipMemory& memory, CoreBus& bus) : m_(memory), bus_(bus) {}

    // Executes the instruction at the program counter; the machine cycles it took.
    int Execute();
    // The hardware call into an interrupt vector.
    void Call(std::uint16_t vector);

    // The opcode the next instruction fetch reads (RDATA where the replacement applies).
    std::uint8_t NextOpcode() const;
    std::uint16_t Pc() const { return pc_; }
    void SetPc(std::uint16_t pc) { pc_ = pc; }
    void MarkSpecial(std::uint8_t address, bool special) { special_[address - 0x80u] = special; }

    std::uint8_t ReadDirect(std::uint8_t address);
    void WriteDirect(std::uint8_t address, std::uint8_t value);
    // Machine cycles of every opcode.
    static int Cycles(std::uint8_t opcode);

private:
    std::uint8_t Fetch() { return m_.Code(pc_++); }
    std::uint8_t FetchOpcode();
    std::uint8_t& Psw() { return m_.Sfr(sfr::PSW); }
    std::uint8_t& Acc() { return m_.Sfr(sfr::ACC); }
    std::uint8_t& R(int n) { return m_.iram[static_cast<std::size_t>((m_.Sfr(sfr::PSW) & 0x18) | n)]; }
    std::uint8_t ReadIndirect(std::uint8_t address) const { return address < 0x80 ? m_.iram[address] : 0xFF; }
    void WriteIndirect(std::uint8_t address, std::uint8_t value) {
        if (address < 0x80) m_.iram[address] = value;
    }
    bool ReadBit(std::uint8_t bit);
    void WriteBit(std::uint8_t bit, bool value);
    bool Carry() const { return (m_.Sfr(sfr::PSW) & sfr::kCY) != 0; }
    void SetCarry(bool c) { Psw() = static_cast<std::uint8_t>(c ? (Psw() | sfr::kCY) : (Psw() & ~sfr::kCY)); }
    void Push(std::uint8_t value);
    std::uint8_t Pop();
    std::uint8_t DplAddress() const { return (m_.Sfr(sfr::DPS) & 1) ? sfr::DPL1 : sfr::DPL; }
    std::uint16_t Dptr() const;
    void SetDptr(std::uint16_t value);
    void Jump(std::int8_t offset) { pc_ = static_cast<std::uint16_t>(pc_ + offset); }
    void Branch(bool taken);  // the relative offset follows
    // The second operand of the arithmetic and logic rows: #data, direct, @Ri or Rn.
    std::uint8_t Operand(std::uint8_t op);
    void Add(std::uint8_t value, bool carry);
    void Subtract(std::uint8_t value);
    void DecimalAdjust();

    ChipMemory& m_;
    CoreBus& bus_;
    std::uint16_t pc_ = 0;
    std::array<bool, 0x80> special_{};
};

}  // namespace sim

#include "sim/chip/Core8051.h"

#include <bit>

namespace sim {

namespace {

constexpr std::uint8_t u8(unsigned v) { return static_cast<std::uint8_t>(v); }

// Machine cycles of the standard 12-clock core, by opcode (0xA5, the breakpoint, takes one).
// clang-format off
constexpr std::uint8_t kCycles[256] = {
    1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x
    2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 1x
    2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 2x
    2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 3x
    2, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 4x
    2, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 5x
    2, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 6x
    2, 2, 2, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 7x
    2, 2, 2, 2, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // 8x
    2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 9x
    2, 2, 1, 2, 4, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // Ax
    2, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // Bx
    2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // Cx
    2, 2, 1, 1, 1, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2,  // Dx
    2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // Ex
    2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // Fx
};
// clang-format on

}  // namespace

int Core8051::Cycles(std::uint8_t opcode) { return kCycles[opcode]; }

std::uint8_t Core8051::ReadDirect(std::uint8_t address) {
    if (address < 0x80) return m_.iram[address];
    return special_[address - 0x80u] ? bus_.ReadSpecial(address) : m_.Sfr(address);
}

void Core8051::WriteDirect(std::uint8_t address, std::uint8_t value) {
    if (address < 0x80) {
        m_.iram[address] = value;
    } else if (special_[address - 0x80u]) {
        bus_.WriteSpecial(address, value);
    } else {
        m_.Sfr(address) = value;
    }
}

// Bits 0x00 to 0x7F live in internal RAM 0x20 to 0x2F, the others in the SFRs whose
// address is a multiple of eight.
bool Core8051::ReadBit(std::uint8_t bit) {
    const std::uint8_t byte = bit < 0x80 ? u8(0x20 + (bit >> 3)) : u8(bit & 0xF8);
    return (ReadDirect(byte) >> (bit & 7)) & 1;
}

void Core8051::WriteBit(std::uint8_t bit, bool value) {
    const std::uint8_t byte = bit < 0x80 ? u8(0x20 + (bit >> 3)) : u8(bit & 0xF8);
    const std::uint8_t mask = u8(1u << (bit & 7));
    const std::uint8_t old = ReadDirect(byte);
    WriteDirect(byte, value ? u8(old | mask) : u8(old & ~mask));
}

void Core8051::Push(std::uint8_t value) {
    std::uint8_t& sp = m_.Sfr(sfr::SP);
    ++sp;
    WriteIndirect(sp, value);
}

std::uint8_t Core8051::Pop() {
    std::uint8_t& sp = m_.Sfr(sfr::SP);
    const std::uint8_t value = ReadIndirect(sp);
    --sp;
    return value;
}

std::uint16_t Core8051::Dptr() const {
    const std::uint8_t low = DplAddress();
    return static_cast<std::uint16_t>(m_.Sfr(u8(low + 1)) << 8 | m_.Sfr(low));
}

void Core8051::SetDptr(std::uint16_t value) {
    const std::uint8_t low = DplAddress();
    m_.Sfr(low) = u8(value);
    m_.Sfr(u8(low + 1)) = u8(value >> 8);
}

void Core8051::Call(std::uint16_t vector) {
    Push(u8(pc_));
    Push(u8(pc_ >> 8));
    pc_ = vector;
}

// The replacement mechanism: an opcode fetch at RADRH:RADRL reads RDATA instead.
std::uint8_t Core8051::NextOpcode() const {
    const unsigned replaced = static_cast<unsigned>(m_.Sfr(sfr::RADRH) << 8 | m_.Sfr(sfr::RADRL));
    return replaced != 0 && replaced == pc_ ? m_.Sfr(sfr::RDATA) : m_.Code(pc_);
}

std::uint8_t Core8051::FetchOpcode() {
    const std::uint8_t op = NextOpcode();
    ++pc_;
    return op;
}

void Core8051::Branch(bool taken) {
    const auto offset = static_cast<std::int8_t>(Fetch());
    if (taken) Jump(offset);
}

std::uint8_t Core8051::Operand(std::uint8_t op) {
    const int low = op & 0x0F;
    if (low == 4) return Fetch();
    if (low == 5) return ReadDirect(Fetch());
    if (low < 8) return ReadIndirect(R(low & 1));
    return R(low - 8);
}

void Core8051::Add(std::uint8_t value, bool carry) {
    const unsigned a = Acc(), c = carry ? 1 : 0;
    const unsigned sum = a + value + c;
    std::uint8_t psw = u8(Psw() & ~(sfr::kCY | sfr::kAC | sfr::kOV));
    if (sum > 0xFF) psw |= sfr::kCY;
    if ((a & 0x0F) + (value & 0x0Fu) + c > 0x0F) psw |= sfr::kAC;
    if (((a & 0x7F) + (value & 0x7Fu) + c > 0x7F) != (sum > 0xFF)) psw |= sfr::kOV;
    Acc() = u8(sum);
    Psw() = psw;
}

void Core8051::Subtract(std::uint8_t value) {
    const int a = Acc(), v = value, c = Carry() ? 1 : 0;
    const bool borrow = a - v - c < 0;
    std::uint8_t psw = u8(Psw() & ~(sfr::kCY | sfr::kAC | sfr::kOV));
    if (borrow) psw |= sfr::kCY;
    if ((a & 0x0F) - (v & 0x0F) - c < 0) psw |= sfr::kAC;
    if (((a & 0x7F) - (v & 0x7F) - c < 0) != borrow) psw |= sfr::kOV;
    Acc() = u8(static_cast<unsigned>(a - v - c));
    Psw() = psw;
}

// Each adjustment may set the carry but never clears it.
void Core8051::DecimalAdjust() {
    unsigned a = Acc();
    bool carry = Carry();
    if ((a & 0x0F) > 9 || (Psw() & sfr::kAC)) {
        a += 0x06;
        if (a > 0xFF) carry = true;
        a &= 0xFF;
    }
    if ((a >> 4) > 9 || carry) {
        a += 0x60;
        if (a > 0xFF) carry = true;
    }
    Acc() = u8(a);
    SetCarry(carry);
}

int Core8051::Execute() {
    const std::uint8_t op = FetchOpcode();
    const int low = op & 0x0F;
    // The location of the regular rows: direct (low nibble 5), @Ri (6, 7) or Rn (8 to F).
    auto read = [&](std::uint8_t direct) -> std::uint8_t {
        if (low == 5) return ReadDirect(direct);
        if (low < 8) return ReadIndirect(R(low & 1));
        return R(low - 8);
    };
    auto write = [&](std::uint8_t direct, std::uint8_t value) {
        if (low == 5) WriteDirect(direct, value);
        else if (low < 8) WriteIndirect(R(low & 1), value);
        else R(low - 8) = value;
    };
    auto directOf = [&]() -> std::uint8_t { return low == 5 ? Fetch() : 0; };

    if ((op & 0x1F) == 0x01 || (op & 0x1F) == 0x11) {  // AJMP, ACALL: within the 2 KiB page of the next instruction
        const std::uint8_t target = Fetch();
        const std::uint16_t next = pc_;
        if (op & 0x10) {
            Push(u8(next));
            Push(u8(next >> 8));
        }
        pc_ = static_cast<std::uint16_t>((next & 0xF800) | ((op & 0xE0) << 3) | target);
    } else if (low >= 4) {
        const std::uint8_t row = op >> 4;
        switch (row) {
            case 0x0:  // INC
            case 0x1: {  // DEC
                const int delta = row == 0 ? 1 : -1;
                if (low == 4) {
                    Acc() = u8(Acc() + delta);
                } else {
                    const std::uint8_t d = directOf();
                    write(d, u8(read(d) + delta));
                }
                break;
            }
            case 0x2: Add(Operand(op), false); break;
            case 0x3: Add(Operand(op), Carry()); break;
            case 0x4: Acc() = u8(Acc() | Operand(op)); break;
            case 0x5: Acc() = u8(Acc() & Operand(op)); break;
            case 0x6: Acc() = u8(Acc() ^ Operand(op)); break;
            case 0x7: {  // MOV x,#data
                if (low == 4) {
                    Acc() = Fetch();
                } else {
                    const std::uint8_t d = directOf();
                    write(d, Fetch());
                }
                break;
            }
            case 0x8: {
                if (low == 4) {  // DIV AB
                    const std::uint8_t a = Acc(), b = m_.Sfr(sfr::B);
                    std::uint8_t psw = u8(Psw() & ~(sfr::kCY | sfr::kOV));
                    if (b == 0) {
                        psw |= sfr::kOV;
                    } else {
                        Acc() = u8(a / b);
                        m_.Sfr(sfr::B) = u8(a % b);
                    }
                    Psw() = psw;
                } else if (low == 5) {  // MOV direct,direct: source first
                    const std::uint8_t source = Fetch();
                    const std::uint8_t destination = Fetch();
                    WriteDirect(destination, ReadDirect(source));
                } else {  // MOV direct,@Ri / Rn
                    const std::uint8_t d = Fetch();
                    WriteDirect(d, read(0));
                }
                break;
            }
            case 0x9: Subtract(Operand(op)); break;
            case 0xA: {
                if (low == 4) {  // MUL AB
                    const unsigned product = static_cast<unsigned>(Acc() * m_.Sfr(sfr::B));
                    Acc() = u8(product);
                    m_.Sfr(sfr::B) = u8(product >> 8);
                    std::uint8_t psw = u8(Psw() & ~(sfr::kCY | sfr::kOV));
                    if (product > 0xFF) psw |= sfr::kOV;
                    Psw() = psw;
                } else if (low == 5) {  // the breakpoint: raises the flash-write interrupt flag
                    WriteDirect(sfr::EICON, u8(ReadDirect(sfr::EICON) | 0x10));
                } else {  // MOV @Ri / Rn,direct
                    const std::uint8_t value = ReadDirect(Fetch());
                    write(0, value);
                }
                break;
            }
            case 0xB: {  // CJNE
                std::uint8_t x, y;
                if (low == 4) {
                    x = Acc();
                    y = Fetch();
                } else if (low == 5) {
                    x = Acc();
                    y = ReadDirect(Fetch());
                } else {
                    x = read(0);
                    y = Fetch();
                }
                SetCarry(x < y);
                Branch(x != y);
                break;
            }
            case 0xC: {
                if (low == 4) {  // SWAP A
                    Acc() = u8(Acc() << 4 | Acc() >> 4);
                } else {  // XCH A,x
                    const std::uint8_t d = directOf();
                    const std::uint8_t value = read(d);
                    write(d, Acc());
                    Acc() = value;
                }
                break;
            }
            case 0xD: {
                if (low == 4) {
                    DecimalAdjust();
                } else if (low == 6 || low == 7) {  // XCHD A,@Ri
                    const std::uint8_t address = R(low & 1);
                    const std::uint8_t value = ReadIndirect(address);
                    WriteIndirect(address, u8((value & 0xF0) | (Acc() & 0x0F)));
                    Acc() = u8((Acc() & 0xF0) | (value & 0x0F));
                } else {  // DJNZ
                    const std::uint8_t d = directOf();
                    const std::uint8_t value = u8(read(d) - 1);
                    write(d, value);
                    Branch(value != 0);
                }
                break;
            }
            case 0xE: {
                if (low == 4) {
                    Acc() = 0;
                } else {
                    const std::uint8_t d = directOf();
                    Acc() = read(d);
                }
                break;
            }
            case 0xF: {
                if (low == 4) {
                    Acc() = u8(~Acc());
                } else {
                    const std::uint8_t d = directOf();
                    write(d, Acc());
                }
                break;
            }
        }
    } else {
        switch (op) {
            case 0x00: break;
            case 0x02: {
                const std::uint8_t high = Fetch();
                pc_ = static_cast<std::uint16_t>(high << 8 | Fetch());
                break;
            }
            case 0x12: {
                const std::uint8_t high = Fetch();
                const std::uint8_t lowByte = Fetch();
                Call(static_cast<std::uint16_t>(high << 8 | lowByte));
                break;
            }
            case 0x03: Acc() = u8(Acc() >> 1 | Acc() << 7); break;
            case 0x13: {
                const bool c = Acc() & 1;
                Acc() = u8(Acc() >> 1 | (Carry() ? 0x80 : 0));
                SetCarry(c);
                break;
            }
            case 0x23: Acc() = u8(Acc() << 1 | Acc() >> 7); break;
            case 0x33: {
                const bool c = Acc() & 0x80;
                Acc() = u8(Acc() << 1 | (Carry() ? 1 : 0));
                SetCarry(c);
                break;
            }
            case 0x10: {  // JBC
                const std::uint8_t bit = Fetch();
                const bool set = ReadBit(bit);
                if (set) WriteBit(bit, false);
                Branch(set);
                break;
            }
            case 0x20: Branch(ReadBit(Fetch())); break;
            case 0x30: Branch(!ReadBit(Fetch())); break;
            case 0x22:
            case 0x32: {
                const std::uint8_t high = Pop();
                pc_ = static_cast<std::uint16_t>(high << 8 | Pop());
                if (op == 0x32) bus_.ReturnFromInterrupt();
                break;
            }
            case 0x40: Branch(Carry()); break;
            case 0x50: Branch(!Carry()); break;
            case 0x60: Branch(Acc() == 0); break;
            case 0x70: Branch(Acc() != 0); break;
            case 0x80: Branch(true); break;
            case 0x42:
            case 0x52:
            case 0x62:
            case 0x43:
            case 0x53:
            case 0x63: {  // ORL, ANL, XRL direct,A / direct,#data
                const std::uint8_t d = Fetch();
                const std::uint8_t value = (op & 1) ? Fetch() : Acc();
                const std::uint8_t old = ReadDirect(d);
                const int row = op >> 4;
                WriteDirect(d, row == 4 ? u8(old | value) : row == 5 ? u8(old & value) : u8(old ^ value));
                break;
            }
            case 0x72:
            case 0x82:
            case 0xA0:
            case 0xB0: {  // ORL and ANL C with a bit or its complement
                const bool bit = ReadBit(Fetch()) != (op >= 0xA0);
                SetCarry(op == 0x82 || op == 0xB0 ? Carry() && bit : Carry() || bit);
                break;
            }
            case 0x73: pc_ = static_cast<std::uint16_t>(Acc() + Dptr()); break;
            case 0x83: Acc() = m_.Code(static_cast<std::uint16_t>(pc_ + Acc())); break;
            case 0x93: Acc() = m_.Code(static_cast<std::uint16_t>(Dptr() + Acc())); break;
            case 0x90: {
                const std::uint8_t high = Fetch();
                SetDptr(static_cast<std::uint16_t>(high << 8 | Fetch()));
                break;
            }
            case 0x92: WriteBit(Fetch(), Carry()); break;
            case 0xA2: SetCarry(ReadBit(Fetch())); break;
            case 0xA3: SetDptr(static_cast<std::uint16_t>(Dptr() + 1)); break;
            case 0xB2: {
                const std::uint8_t bit = Fetch();
                WriteBit(bit, !ReadBit(bit));
                break;
            }
            case 0xB3: SetCarry(!Carry()); break;
            case 0xC2: WriteBit(Fetch(), false); break;
            case 0xC3: SetCarry(false); break;
            case 0xD2: WriteBit(Fetch(), true); break;
            case 0xD3: SetCarry(true); break;
            case 0xC0: {  // PUSH: SP first, then the operand (PUSH SP stores the new SP)
                const std::uint8_t d = Fetch();
                std::uint8_t& sp = m_.Sfr(sfr::SP);
                ++sp;
                WriteIndirect(sp, ReadDirect(d));
                break;
            }
            case 0xD0: {  // POP: the value is written after SP has moved (POP SP keeps the value)
                const std::uint8_t d = Fetch();
                WriteDirect(d, Pop());
                break;
            }
            case 0xE0: {
                const std::uint16_t address = Dptr();
                Acc() = address < ChipMemory::kXdataSize ? m_.xdata[address] : 0xFF;
                break;
            }
            case 0xE2:
            case 0xE3: {
                const unsigned address = static_cast<unsigned>(m_.Sfr(sfr::MPAGE) << 8 | R(op & 1));
                Acc() = address < ChipMemory::kXdataSize ? m_.xdata[address] : 0xFF;
                break;
            }
            case 0xF0: {
                const std::uint16_t address = Dptr();
                if (address < ChipMemory::kXdataSize) m_.xdata[address] = Acc();
                break;
            }
            case 0xF2:
            case 0xF3: {
                const unsigned address = static_cast<unsigned>(m_.Sfr(sfr::MPAGE) << 8 | R(op & 1));
                if (address < ChipMemory::kXdataSize) m_.xdata[address] = Acc();
                break;
            }
            default: break;  // every other opcode below low nibble 4 is handled above
        }
    }
    // P is the parity of ACC, whatever wrote PSW.
    Psw() = u8((Psw() & ~sfr::kP) | (std::popcount(Acc()) & 1));
    return kCycles[op];
}

}  // namespace sim

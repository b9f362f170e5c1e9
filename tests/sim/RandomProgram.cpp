#include "tests/sim/RandomProgram.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "lptlink/core/HexFile.h"

namespace simtest {

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Ref { Abs16, Addr11, Low8, High8 };
struct Fixup {
    std::size_t at;  // relative to the start of its Code
    Ref kind;
    int label;
    int addend;
};

struct Code {
    Bytes bytes;
    std::vector<Fixup> fixups;
    void Put(std::initializer_list<int> values) {
        for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    }
    void Refer(Ref kind, int label, int addend = 0) {
        fixups.push_back({bytes.size(), kind, label, addend});
        bytes.push_back(0);
        if (kind == Ref::Abs16 || kind == Ref::Addr11) bytes.push_back(0);
    }
    void Append(const Code& other) {
        for (Fixup f : other.fixups) {
            f.at += bytes.size();
            fixups.push_back(f);
        }
        bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end());
    }
};

// Where random instructions may write: internal RAM below the stack and the registers
// both simulators model alike (PSW needs the ACC write after it).
constexpr int kWritableRam = 0x50;
constexpr std::uint8_t kPsw = 0xD0, kAcc = 0xE0;
const std::vector<int> kWritableSfrs = {0xE0, 0xF0, 0xD0, 0x82, 0x83, 0x8A, 0x8B, 0x8C, 0x8D};
const std::vector<int> kReadableSfrs = {0xE0, 0xF0, 0xD0, 0x81, 0x82, 0x83, 0x8A, 0x8B, 0x8C, 0x8D,
                                        0x80, 0x90, 0xA0, 0xB0, 0x88, 0x89, 0xA8, 0xB8, 0x87};

class Generator {
public:
    explicit Generator(std::uint32_t seed) : rng_(seed) {}
    RandomProgram Build();

private:
    int Rand(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Rand(0, 99) < percent; }
    template <typename T>
    T Pick(const std::vector<T>& v) {
        return v[static_cast<std::size_t>(Rand(0, static_cast<int>(v.size()) - 1))];
    }
    int DirectRead() { return Chance(70) ? Rand(0, 0x7F) : Pick(kReadableSfrs); }
    int DirectWrite(bool allowPsw = true) {
        if (Chance(70)) return Rand(0, kWritableRam - 1);
        int d;
        do d = Pick(kWritableSfrs);
        while (!allowPsw && d == kPsw);
        return d;
    }
    int BitRead() {
        const int kind = Rand(0, 3);
        if (kind <= 1) return Rand(0, 0x7F);
        return (kind == 2 ? Pick(std::vector<int>{0xE0, 0xF0}) : 0xD0) + Rand(0, 7);
    }
    int BitWrite() {
        const int kind = Rand(0, 3);
        if (kind <= 1) return Rand(0, 0x7F);
        if (kind == 2) return Pick(std::vector<int>{0xE0, 0xF0}) + Rand(0, 7);
        return 0xD0 + Pick(std::vector<int>{1, 2, 5, 6, 7});  // not P, not the bank bits
    }
    // MOV Ri,#address before an @Ri instruction.
    void PointR(Code& c, int op, bool writes) { c.Put({0x78 + (op & 1), writes ? Rand(0, kWritableRam - 1) : Rand(0, 0x7F)}); }
    static void AfterPsw(Code& c, int direct) {
        if (direct == kPsw) c.Put({0x44, 0x00});  // ORL A,#0: s51 brings P up to date
    }
    Code Item(bool leaf, int page);
    Code Block(int page);
    Code Leaf(int page);
    void Transfer(Code& c, int page);

    std::mt19937 rng_;
    std::vector<int> labels_;  // addresses
    std::vector<std::vector<int>> blocks_, leaves_;  // label ids per page
};

Code Generator::Item(bool leaf, int page) {
    Code c;
    int op;
    while (true) {
        op = Rand(0, 255);
        const bool ajmp = (op & 0x1F) == 0x01;
        if (op == 0xA5 || ajmp || op == 0x02 || op == 0x22 || op == 0x32 || op == 0x73) continue;
        if (leaf && (op == 0xC0 || op == 0xD0 || op == 0x12 || (op & 0x1F) == 0x11)) continue;
        break;
    }
    const int low = op & 0x0F, row = op >> 4;
    const bool skip = (low == 0 && op <= 0x80 && op != 0x00) || (row == 0xB && low >= 4) || op == 0xD5 ||
                      (row == 0xD && low >= 8);
    if (skip) {
        Code next = Item(leaf, page);
        const int rel = static_cast<int>(next.bytes.size());
        if (rel > 127) return next;
        switch (op) {
            case 0x10: c.Put({op, BitWrite(), rel}); break;
            case 0x20:
            case 0x30: c.Put({op, BitRead(), rel}); break;
            case 0xB4: c.Put({op, Rand(0, 255), rel}); break;
            case 0xB5: c.Put({op, DirectRead(), rel}); break;
            case 0xB6:
            case 0xB7:
                PointR(c, op, false);
                c.Put({op, Rand(0, 255), rel});
                break;
            case 0xD5: c.Put({op, DirectWrite(false), rel}); break;
            default:
                if (row == 0xB) c.Put({op, Rand(0, 255), rel});
                else c.Put({op, rel});  // JC JNC JZ JNZ SJMP DJNZ Rn
        }
        c.Append(next);
        return c;
    }
    if ((op & 0x1F) == 0x11 || op == 0x12) {  // a call into a leaf: ACALL within the page
        if (op == 0x12) {
            c.Put({0x12});
            c.Refer(Ref::Abs16, Pick(leaves_[static_cast<std::size_t>(Rand(0, 7))]));
        } else {
            c.Refer(Ref::Addr11, Pick(leaves_[static_cast<std::size_t>(page)]), 0x11);
        }
        return c;
    }
    switch (row) {
        case 0x0:
        case 0x1:
            if (low == 5) {
                const int d = DirectWrite();
                c.Put({op, d});
                AfterPsw(c, d);
            } else if (low == 6 || low == 7) {
                PointR(c, op, true);
                c.Put({op});
            } else {
                c.Put({op});  // NOP, RR, RRC, INC/DEC A, INC/DEC Rn
            }
            return c;
        case 0x4:
        case 0x5:
        case 0x6:
            if (low == 2 || low == 3) {
                const int d = DirectWrite();
                if (low == 2) c.Put({op, d});
                else c.Put({op, d, Rand(0, 255)});
                AfterPsw(c, d);
                return c;
            }
            [[fallthrough]];
        case 0x2:
        case 0x3:
        case 0x9:
            if (low < 4) break;
            if (low == 4) c.Put({op, Rand(0, 255)});
            else if (low == 5) c.Put({op, DirectRead()});
            else if (low == 6 || low == 7) {
                PointR(c, op, false);
                c.Put({op});
            } else c.Put({op});  // RL, RLC, ALU A,Rn
            return c;
        default: break;
    }
    switch (op) {
        case 0x72:
        case 0x82:
        case 0xA0:
        case 0xB0:
        case 0xA2: c.Put({op, BitRead()}); return c;
        case 0x92:
        case 0xB2:
        case 0xC2:
        case 0xD2: c.Put({op, BitWrite()}); return c;
        case 0x74: c.Put({op, Rand(0, 255)}); return c;
        case 0x75: {
            const int d = DirectWrite();
            c.Put({op, d, Rand(0, 255)});
            AfterPsw(c, d);
            return c;
        }
        case 0x85: {
            const int source = DirectRead(), d = DirectWrite();
            c.Put({op, source, d});
            AfterPsw(c, d);
            return c;
        }
        case 0x90: c.Put({op, Rand(0, 255), Rand(0, 255)}); return c;
        case 0xA6:
        case 0xA7:
            PointR(c, op, true);
            c.Put({op, DirectRead()});
            return c;
        case 0xC0: c.Put({op, DirectRead()}); return c;
        case 0xD0:
        case 0xC5: {
            const int d = DirectWrite();
            c.Put({op, d});
            AfterPsw(c, d);
            return c;
        }
        case 0xE5: c.Put({op, DirectRead()}); return c;
        case 0xF5: {
            const int d = DirectWrite();
            c.Put({op, d});
            AfterPsw(c, d);
            return c;
        }
        case 0xE0:
        case 0xF0: {
            const int address = Rand(0, 0x7FF);
            c.Put({0x90, address >> 8, address & 0xFF, op});
            return c;
        }
        case 0xE2:
        case 0xE3:
        case 0xF2:
        case 0xF3: c.Put({0x78 + (op & 1), Rand(0, 255), op}); return c;
        default: break;
    }
    if (low == 6 || low == 7) {
        // MOV @Ri,#data, XCH/XCHD A,@Ri, MOV A,@Ri, MOV @Ri,A, MOV direct,@Ri
        const bool writes = op != 0xE6 && op != 0xE7 && op != 0x86 && op != 0x87;
        PointR(c, op, writes);
        if (op == 0x76 || op == 0x77) c.Put({op, Rand(0, 255)});
        else if (op == 0x86 || op == 0x87) {
            const int d = DirectWrite();
            c.Put({op, d});
            AfterPsw(c, d);
        } else c.Put({op});
        return c;
    }
    if (low >= 8) {
        if (row == 0x7) c.Put({op, Rand(0, 255)});
        else if (row == 0x8) {
            const int d = DirectWrite();
            c.Put({op, d});
            AfterPsw(c, d);
        } else if (row == 0xA) c.Put({op, DirectRead()});
        else c.Put({op});  // XCH A,Rn, MOV A,Rn, MOV Rn,A
        return c;
    }
    c.Put({op});  // MOVC, DIV, MUL, INC DPTR, CPL C, CLR C, SETB C, SWAP, DA, CLR A, CPL A
    return c;
}

// The end of a block: on to one or two other blocks.
void Generator::Transfer(Code& c, int page) {
    auto any = [&] { return Pick(blocks_[static_cast<std::size_t>(Rand(0, 7))]); };
    switch (Rand(0, 5)) {
        case 0:
            c.Put({0x02});
            c.Refer(Ref::Abs16, any());
            break;
        case 1: c.Refer(Ref::Addr11, Pick(blocks_[static_cast<std::size_t>(page)]), 0x01); break;
        case 2: {  // JMP @A+DPTR
            const int offset = Rand(0, 0x1F);
            c.Put({0x90});
            c.Refer(Ref::Abs16, any(), -offset);
            c.Put({0x74, offset, 0x73});
            break;
        }
        case 3:
        case 4: {  // RET or RETI to an address pushed here
            const int target = any();
            c.Put({0x74});
            c.Refer(Ref::Low8, target);
            c.Put({0xC0, kAcc, 0x74});
            c.Refer(Ref::High8, target);
            c.Put({0xC0, kAcc, Chance(50) ? 0x22 : 0x32});
            break;
        }
        default: {  // a conditional jump over the first of two LJMPs
            static const std::vector<int> kinds = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0xB4, 0xB5, 0xB6, 0xB8, 0xD5, 0xD8};
            const int kind = Pick(kinds);
            switch (kind) {
                case 0x10: c.Put({kind, BitWrite(), 3}); break;
                case 0x20:
                case 0x30: c.Put({kind, BitRead(), 3}); break;
                case 0xB4: c.Put({kind, Rand(0, 255), 3}); break;
                case 0xB5: c.Put({kind, DirectRead(), 3}); break;
                case 0xB6:
                    PointR(c, 0xB6, false);
                    c.Put({0xB6, Rand(0, 255), 3});
                    break;
                case 0xB8: c.Put({0xB8 + Rand(0, 7), Rand(0, 255), 3}); break;
                case 0xD5: c.Put({kind, DirectWrite(false), 3}); break;
                case 0xD8: c.Put({0xD8 + Rand(0, 7), 3}); break;
                default: c.Put({kind, 3});
            }
            c.Put({0x02});
            c.Refer(Ref::Abs16, any());
            c.Put({0x02});
            c.Refer(Ref::Abs16, any());
        }
    }
}

Code Generator::Block(int page) {
    Code c;
    c.Put({0x75, 0x81, Rand(0x62, 0x66)});  // MOV SP,#: the stack stays above the writable RAM
    const int items = Rand(3, 12);
    for (int i = 0; i < items; ++i) c.Append(Item(false, page));
    Transfer(c, page);
    return c;
}

Code Generator::Leaf(int page) {
    Code c;
    const int items = Rand(1, 6);
    for (int i = 0; i < items; ++i) c.Append(Item(true, page));
    c.Put({Chance(50) ? 0x22 : 0x32});
    return c;
}

RandomProgram Generator::Build() {
    RandomProgram program;
    program.image.fill(0xFF);
    blocks_.assign(8, {});
    leaves_.assign(8, {});
    // Eight units a page, one at each 256-byte step, so that jumps and calls into them
    // use all eight AJMP and ACALL encodings.
    std::vector<std::vector<bool>> isLeaf(8);
    std::vector<std::vector<int>> unitIds(8);
    for (std::size_t page = 0; page < 8; ++page) {
        isLeaf[page].assign(8, false);
        // One to three leaves, never in the entry's first unit, and at least one block.
        for (int i = Rand(1, 3); i > 0; --i) isLeaf[page][static_cast<std::size_t>(Rand(page == 0 ? 1 : 0, 7))] = true;
        for (std::size_t unit = 0; unit < 8; ++unit) {
            const int id = static_cast<int>(labels_.size());
            labels_.push_back(static_cast<int>(page * 0x800 + unit * 0x100 + (page == 0 && unit == 0 ? 0x20 : 0)));
            (isLeaf[page][unit] ? leaves_[page] : blocks_[page]).push_back(id);
            unitIds[page].push_back(id);
        }
    }
    // The reset entry: the same XDATA page for MOVX @Ri in both simulators (s51 takes P2,
    // the KX6500 MPAGE), then the first block.
    const int xpage = Rand(0, 7);
    Code entry;
    entry.Put({0x75, 0xA0, xpage, 0x75, 0x92, xpage, 0x02});
    entry.Refer(Ref::Abs16, unitIds[0][0]);
    std::vector<std::pair<int, Code>> segments = {{0, entry}};
    for (std::size_t page = 0; page < 8; ++page) {
        for (std::size_t unit = 0; unit < 8; ++unit) {
            const int base = labels_[static_cast<std::size_t>(unitIds[page][unit])];
            const std::size_t room = 0x100 - static_cast<std::size_t>(base & 0xFF);
            Code code;
            do code = isLeaf[page][unit] ? Leaf(static_cast<int>(page)) : Block(static_cast<int>(page));
            while (code.bytes.size() > room);
            segments.emplace_back(base, std::move(code));
        }
    }
    for (auto& [base, code] : segments) {
        for (const Fixup& f : code.fixups) {
            const int target = labels_[static_cast<std::size_t>(f.label)];
            const std::size_t at = f.at;
            switch (f.kind) {
                case Ref::Abs16: {
                    const int value = target + f.addend;
                    code.bytes[at] = static_cast<std::uint8_t>(value >> 8);
                    code.bytes[at + 1] = static_cast<std::uint8_t>(value);
                    break;
                }
                case Ref::Addr11:  // the addend is the opcode's low five bits
                    code.bytes[at] = static_cast<std::uint8_t>(((target >> 3) & 0xE0) | f.addend);
                    code.bytes[at + 1] = static_cast<std::uint8_t>(target);
                    break;
                case Ref::Low8: code.bytes[at] = static_cast<std::uint8_t>(target); break;
                case Ref::High8: code.bytes[at] = static_cast<std::uint8_t>(target >> 8); break;
            }
        }
        std::copy(code.bytes.begin(), code.bytes.end(), program.image.begin() + base);
        program.spans.emplace_back(base, static_cast<int>(code.bytes.size()));
    }
    return program;
}

}  // namespace

std::string RandomProgram::Hex() const {
    auto* mem = static_cast<Mem8051*>(std::malloc(sizeof(Mem8051)));
    Mem8051Init(mem, 7);
    for (const auto& [first, length] : spans) lptlinkWriteTo8051Mem(mem, image.data() + first, first, length);
    std::string text = lptlink::FormatHex(*mem);
    Mem8051Destroy(mem);
    std::free(mem);
    return text;
}

RandomProgram GenerateProgram(std::uint32_t seed) { return Generator(seed).Build(); }

}  // namespace simtest

#pragma once
// The register page the host shows: a tree of group headings, registers and the bits
// of some of them, each row with its text and a mark while its value has changed.
//
// Row ids: 0 to 7 R0 to R7, 8 the program counter, a special function register's
// address for a byte register (130 and 132: the 16-bit data pointers), and multiples of
// 256 for registers shown with their bits (the register at the multiple, bit n at the
// multiple + 1 + n). Headings have ids from 0x10000 on.

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>

#include "host/kx6500_host.h"

namespace kx6500mon {

class RegisterPage {
public:
    static constexpr std::uint32_t kHeadingBase = 0x10000;
    static constexpr std::uint32_t kPcRow = 8;
    static constexpr std::uint32_t kDptr0Row = 130;
    static constexpr std::uint32_t kDptr1Row = 132;

    static std::span<const HostRegisterRow> Rows();

    // Where a row's value lives.
    enum class Kind { Heading, Register, ProgramCounter, Word, Byte, Bit, Unknown };
    struct Target {
        Kind kind = Kind::Unknown;
        std::uint32_t index = 0;  // R0..R7 number, or the special function register (the low byte of a word)
        int bit = 0;
    };
    static Target Describe(std::uint32_t id);

    // The row's text from the block ("0x%04x", "0x%02x", "%d       ", nothing for a
    // heading), and whether it is marked changed: its value differs from what it showed
    // last, until a read finds it unchanged.
    bool Read(std::uint32_t id, const HostRegisterBlock& block, char* text, std::uint32_t size);
    void Forget() { last_.clear(); }

private:
    static std::optional<std::uint32_t> Value(const Target& target, const HostRegisterBlock& block);
    std::unordered_map<std::uint32_t, std::uint32_t> last_;
};

}  // namespace kx6500mon

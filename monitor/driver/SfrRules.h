#pragma once
// What the monitor does to special function registers: the ones it saves while it is
// in control (the program's values live in the save area), the bits it owns (writes
// keep them at the target's values), what reads show of bits the program cannot see
// as they are, and the port registers, whose values the pins decide.

#include <cstdint>

namespace kx6500mon {

struct SfrRule {
    std::uint8_t sfr;
    int saveOffset;           // -1: not saved
    std::uint8_t keep;        // bits a write leaves at the target's value
    std::uint8_t readSet;     // shown = (value & ~readClear) | readSet
    std::uint8_t readClear;
    bool port;
};

inline constexpr std::uint8_t kSfrSp = 0x81;
inline constexpr std::uint8_t kSfrDps = 0x86;
inline constexpr std::uint8_t kSfrPsw = 0xD0;
inline constexpr std::uint8_t kSfrAcc = 0xE0;
inline constexpr std::uint8_t kSfrPendingFlags = 0xE7;  // low four bits: flags the monitor leaves behind
inline constexpr std::uint8_t kPswBankBits = 0x18;

inline constexpr SfrRule kSfrRules[] = {
    {0x80, -1, 0x00, 0x00, 0x00, true},  // P0
    {0x81, 6, 0xFF, 0x00, 0x00, false},  // SP
    {0x82, 2, 0x00, 0x00, 0x00, false},  // DPL
    {0x83, 3, 0x00, 0x00, 0x00, false},  // DPH
    {0x86, -1, 0xFF, 0x00, 0x00, false}, // DPS
    {0x89, 15, 0x00, 0x00, 0x00, false}, // TMOD
    {0x8B, 16, 0x00, 0x00, 0x00, false}, // TL1
    {0x8D, 17, 0x00, 0x00, 0x00, false}, // TH1
    {0x8E, 21, 0x00, 0x00, 0x00, false}, // CKCON
    {0x90, -1, 0x00, 0x00, 0x00, true},  // P1
    {0xA0, -1, 0x02, 0x02, 0x00, true},  // P2: bit 1 serves the monitor
    {0xA6, -1, 0x03, 0x01, 0x03, false}, // P2DIR: bits 0 and 1 likewise
    {0xB0, -1, 0x00, 0x00, 0x00, true},  // P3
    {0xB9, 18, 0x00, 0x00, 0x00, false}, // RDATA
    {0xBA, 19, 0x00, 0x00, 0x00, false}, // RADRL
    {0xBB, 20, 0x00, 0x00, 0x00, false}, // RADRH
    {0xD0, 1, 0x18, 0x00, 0x00, false},  // PSW: the bank is the program's to choose
    {0xE0, 0, 0x00, 0x00, 0x00, false},  // ACC
    {0xE7, -1, 0xFF, 0x00, 0x00, false}, // PRESCALER and the pending flags
};

inline const SfrRule* FindSfrRule(std::uint32_t sfr) {
    for (const SfrRule& r : kSfrRules)
        if (r.sfr == sfr) return &r;
    return nullptr;
}

}  // namespace kx6500mon

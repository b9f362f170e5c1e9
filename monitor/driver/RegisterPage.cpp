#include "monitor/driver/RegisterPage.h"

#include <cstdio>

namespace kx6500mon {

namespace {

constexpr std::uint32_t kHeading = RegisterPage::kHeadingBase;

// The registers shown with their bits: row id k * 256 is kBitRegisters[k - 1].
constexpr std::uint8_t kBitRegisters[] = {0xD0, 0xA8, 0xB8, 0xD8, 0x91, 0xE8, 0xF8, 0x87};

constexpr HostRegisterRow kRows[] = {
    {0, kHeading + 0, "Registers"},
    {1, 0, "R0"},
    {1, 1, "R1"},
    {1, 2, "R2"},
    {1, 3, "R3"},
    {1, 4, "R4"},
    {1, 5, "R5"},
    {1, 6, "R6"},
    {1, 7, "R7"},
    {1, 0xE0, "ACC (0xE0)"},
    {1, 0xF0, "B (0xF0)"},
    {1, 0x81, "SP (0x81)"},
    {1, 0x82, "DPTR0 (0x82)"},
    {1, 0x84, "DPTR1 (0x84)"},
    {1, 0x86, "DPS (0x86)"},
    {1, 0x92, "MPAGE (0x92)"},
    {1, 8, "PC  $"},
    {1, 1 * 256, "PSW (0xD0)"},
    {2, 1 * 256 + 1, "p"},
    {2, 1 * 256 + 2, "f1"},
    {2, 1 * 256 + 3, "ov"},
    {2, 1 * 256 + 4, "rs0"},
    {2, 1 * 256 + 5, "rs1"},
    {2, 1 * 256 + 6, "f0"},
    {2, 1 * 256 + 7, "ac"},
    {2, 1 * 256 + 8, "cy"},
    {0, kHeading + 1, "System"},
    {1, 2 * 256, "IE (0xA8)"},
    {2, 2 * 256 + 1, "ex0"},
    {2, 2 * 256 + 2, "et0"},
    {2, 2 * 256 + 3, "ex1"},
    {2, 2 * 256 + 4, "et1"},
    {2, 2 * 256 + 5, "es0"},
    {2, 2 * 256 + 7, "es1"},
    {2, 2 * 256 + 8, "ea"},
    {1, 3 * 256, "IP (0xB8)"},
    {2, 3 * 256 + 1, "px0"},
    {2, 3 * 256 + 2, "pt0"},
    {2, 3 * 256 + 3, "px1"},
    {2, 3 * 256 + 4, "pt1"},
    {2, 3 * 256 + 5, "ps0"},
    {2, 3 * 256 + 7, "ps1"},
    {1, 4 * 256, "EICON (0xD8)"},
    {2, 4 * 256 + 3, "rtcif"},
    {2, 4 * 256 + 5, "fwif"},
    {2, 4 * 256 + 6, "fwie"},
    {2, 4 * 256 + 8, "smod1"},
    {1, 5 * 256, "EXIF (0x91)"},
    {2, 5 * 256 + 5, "rfif"},
    {2, 5 * 256 + 6, "tf2"},
    {2, 5 * 256 + 7, "adif"},
    {2, 5 * 256 + 8, "tf3"},
    {1, 6 * 256, "EIE (0xE8)"},
    {2, 6 * 256 + 1, "erfi"},
    {2, 6 * 256 + 2, "et2"},
    {2, 6 * 256 + 3, "eadi"},
    {2, 6 * 256 + 4, "et3"},
    {2, 6 * 256 + 5, "ertci"},
    {1, 7 * 256, "EIP (0xF8)"},
    {2, 7 * 256 + 1, "prfi"},
    {2, 7 * 256 + 2, "pt2"},
    {2, 7 * 256 + 3, "padi"},
    {2, 7 * 256 + 4, "pt3"},
    {2, 7 * 256 + 5, "prtci"},
    {1, 8 * 256, "PCON (0x87)"},
    {2, 8 * 256 + 1, "idle"},
    {2, 8 * 256 + 8, "smod0"},
    {1, 0x93, "ADCON (0x93)"},
    {1, 0x94, "ADDATL (0x94)"},
    {1, 0x95, "ADDATH (0x95)"},
    {1, 0x96, "ADCON2 (0x96)"},
    {1, 0x97, "ADTRH (0x97)"},
    {1, 0xB4, "CRPINI0 (0xB4)"},
    {1, 0xB5, "CRPINI1 (0xB5)"},
    {1, 0xB6, "CRPINI2 (0xB6)"},
    {1, 0xB7, "CRPINI3 (0xB7)"},
    {1, 0xBC, "CRPINI4 (0xBC)"},
    {1, 0xBD, "CRPINI5 (0xBD)"},
    {1, 0xBE, "CRPINI6 (0xBE)"},
    {1, 0xBF, "CRPINI7 (0xBF)"},
    {1, 0xC3, "CRPCON (0xC3)"},
    {1, 0xC4, "CRPKEY (0xC4)"},
    {1, 0xC5, "CRPDAT (0xC5)"},
    {1, 0xC6, "CRPCNT (0xC6)"},
    {0, kHeading + 2, "Flash"},
    {1, 0xAE, "FLADR (0xAE)"},
    {1, 0xAF, "FLCON (0xAF)"},
    {1, 0xDD, "FLTIM (0xDD)"},
    {0, kHeading + 3, "Modem"},
    {1, 0xC2, "RFCON (0xC2)"},
    {1, 0xD3, "PDET (0xD3)"},
    {1, 0xD4, "BSYNC (0xD4)"},
    {1, 0xD9, "MODEM2 (0xD9)"},
    {1, 0xDA, "MODEM1 (0xDA)"},
    {1, 0xDB, "MODEM0 (0xDB)"},
    {0, kHeading + 4, "Radio"},
    {1, 0xC8, "RFMAIN (0xC8)"},
    {1, 0xC9, "RFBUF (0xC9)"},
    {1, 0xCC, "FREQ2A (0xCC)"},
    {1, 0xCB, "FREQ1A (0xCB)"},
    {1, 0xCA, "FREQ0A (0xCA)"},
    {1, 0xCF, "FREQ2B (0xCF)"},
    {1, 0xCE, "FREQ1B (0xCE)"},
    {1, 0xCD, "FREQ0B (0xCD)"},
    {1, 0xDC, "MATCH (0xDC)"},
    {1, 0xE1, "CURRENT (0xE1)"},
    {1, 0xE2, "PA_POW (0xE2)"},
    {1, 0xE3, "PLL (0xE3)"},
    {1, 0xE4, "LOCK (0xE4)"},
    {1, 0xE5, "CAL (0xE5)"},
    {1, 0xE7, "PRESCAL. (0xE7)"},
    {1, 0xE9, "FSDELAY (0xE9)"},
    {1, 0xEA, "FSEP0"},
    {1, 0xEB, "FSEP1"},
    {1, 0xEC, "FSCTRL (0xEC)"},
    {1, 0xEE, "FREND (0xEE)"},
    {1, 0xF1, "FSHAPE7 (0xF1)"},
    {1, 0xF2, "FSHAPE6 (0xF2)"},
    {1, 0xF3, "FSHAPE5 (0xF3)"},
    {1, 0xF4, "FSHAPE4 (0xF4)"},
    {1, 0xF5, "FSHAPE3 (0xF5)"},
    {1, 0xF6, "FSHAPE2 (0xF6)"},
    {1, 0xF7, "FSHAPE1 (0xF7)"},
    {1, 0xF9, "TEST0 (0xF9)"},
    {1, 0xFA, "TEST1 (0xFA)"},
    {1, 0xFB, "TEST2 (0xFB)"},
    {1, 0xFC, "TEST3 (0xFC)"},
    {1, 0xFD, "TEST4 (0xFD)"},
    {1, 0xFE, "TEST5 (0xFE)"},
    {1, 0xFF, "TEST6 (0xFF)"},
    {0, kHeading + 5, "Ports"},
    {1, 0x80, "P0 (0x80)"},
    {1, 0xA4, "P0DIR (0xA4)"},
    {1, 0x90, "P1 (0x90)"},
    {1, 0xA5, "P1DIR (0xA5)"},
    {1, 0xA0, "P2 (0xA0)"},
    {1, 0xA6, "P2DIR (0xA6)"},
    {1, 0xB0, "P3 (0xB0)"},
    {1, 0xA7, "P3DIR (0xA7)"},
    {0, kHeading + 6, "Serial Interfaces"},
    {1, 0xA1, "SPCR (0xA1)"},
    {1, 0xA2, "SPDR (0xA2)"},
    {1, 0xA3, "SPSR (0xA3)"},
    {1, 0x98, "SCON0 (0x98)"},
    {1, 0x99, "SBUF0 (0x99)"},
    {1, 0xC0, "SCON1 (0xC0)"},
    {1, 0xC1, "SBUF1 (0xC1)"},
    {0, kHeading + 7, "Timers"},
    {1, 0x88, "TCON (0x88)"},
    {1, 0x89, "TMOD (0x89)"},
    {1, 0xA9, "TCON2 (0xA9)"},
    {1, 0x8A, "TL0 (0x8A)"},
    {1, 0x8C, "TH0 (0x8C)"},
    {1, 0x8B, "TL1 (0x8B)"},
    {1, 0x8D, "TH1 (0x8D)"},
    {1, 0xAC, "T2 (0xAC)"},
    {1, 0xAA, "T2PRE (0xAA)"},
    {1, 0xAD, "T3 (0xAD)"},
    {1, 0xAB, "T3PRE (0xAB)"},
    {1, 0x8E, "CKCON (0x8E)"},
    {1, 0xD2, "WDT (0xD2)"},
    {1, 0xED, "RTCON (0xED)"},
    {0, kHeading + 8, "Triac"},
    {1, 0x9A, "TRICON (0x9A)"},
    {1, 0x9B, "TRI3 (0x9B)"},
    {1, 0x9C, "TRI2 (0x9C)"},
    {1, 0x9D, "TRI1 (0x9D)"},
    {1, 0x9E, "TRI0 (0x9E)"},
    {0, kHeading + 9, "Replacement mech."},
    {1, 0xB9, "RDATA (0xB9)"},
    {1, 0xBA, "RADRL (0xBA)"},
    {1, 0xBB, "RADRH (0xBB)"},
    {0, kHeading + 10, "Others"},
    {1, 0x9F, "CHVER (0x9F)"},
    {1, 0xC7, "RANCON (0xC7)"},
    {1, 0xD1, "POWER 0xD1)"},
};
static_assert(sizeof kRows / sizeof kRows[0] == 176);

}  // namespace

std::span<const HostRegisterRow> RegisterPage::Rows() { return kRows; }

RegisterPage::Target RegisterPage::Describe(std::uint32_t id) {
    if (id >= kHeadingBase) return {Kind::Heading};
    if (id < 8) return {Kind::Register, id};
    if (id == kPcRow) return {Kind::ProgramCounter};
    if (id == kDptr0Row || id == kDptr1Row) return {Kind::Word, id};
    if (id >= 0x80 && id <= 0xFF) return {Kind::Byte, id};
    const std::uint32_t k = id / 256, n = id % 256;
    if (k < 1 || k > sizeof kBitRegisters || n > 8) return {};
    if (n == 0) return {Kind::Byte, kBitRegisters[k - 1]};
    return {Kind::Bit, kBitRegisters[k - 1], static_cast<int>(n - 1)};
}

std::optional<std::uint32_t> RegisterPage::Value(const Target& t, const HostRegisterBlock& block) {
    auto sfr = [&](std::uint32_t address) { return std::uint32_t{block.sfr[address - 0x80]}; };
    switch (t.kind) {
    case Kind::Register: return block.r[t.index];
    case Kind::ProgramCounter: return block.pc & 0xFFFF;
    case Kind::Word: return sfr(t.index + 1) << 8 | sfr(t.index);
    case Kind::Byte: return sfr(t.index);
    case Kind::Bit: return (sfr(t.index) >> t.bit) & 1;
    default: return std::nullopt;
    }
}

bool RegisterPage::Read(std::uint32_t id, const HostRegisterBlock& block, char* text, std::uint32_t size) {
    if (!text || size == 0) return false;
    const Target target = Describe(id);
    const auto value = Value(target, block);
    if (!value) {
        text[0] = 0;
        return false;
    }
    if (target.kind == Kind::ProgramCounter || target.kind == Kind::Word)
        std::snprintf(text, size, "0x%04x", static_cast<unsigned>(*value));
    else if (target.kind == Kind::Bit)
        std::snprintf(text, size, "%d       ", static_cast<int>(*value));
    else
        std::snprintf(text, size, "0x%02x", static_cast<unsigned>(*value));
    const auto last = last_.find(id);
    const bool changed = last != last_.end() && last->second != *value;
    last_[id] = *value;
    return changed;
}

}  // namespace kx6500mon

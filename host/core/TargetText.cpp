#include "host/core/TargetText.h"

#include <cctype>
#include <cstdio>

#include "host/core/CommandTable.h"
#include "host/core/MemoryLines.h"

namespace kxdebug {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::uint8_t Sfr(const HostRegisterBlock& block, unsigned address) { return block.sfr[address - 0x80]; }

}  // namespace

std::optional<TargetAddress> ParseTargetAddress(const std::string& text, std::string& error) {
    if (text.find(':') != 1) {
        error = "'" + text + "' is not S:ADDR (S one of c, x, d, i)";
        return std::nullopt;
    }
    if (std::string("cxdiCXDI").find(text[0]) == std::string::npos) {
        error = "'" + text + "': unknown space '" + text.substr(0, 1) + "' (c, x, d or i)";
        return std::nullopt;
    }
    const auto at = ParseSpaceAddress(text);
    const std::uint32_t size = at && (at->letter == 'D' || at->letter == 'I') ? 0x100 : 0x10000;
    if (!at || at->offset >= size) {
        error = "'" + text + "': the address must be hexadecimal below " + (size == 0x100 ? "0x100" : "0x10000");
        return std::nullopt;
    }
    return TargetAddress{*at, size};
}

std::string FormatRegisters(const HostRegisterBlock& b) {
    const unsigned low = Sfr(b, 0x86) & 1 ? 0x84 : 0x82;
    char text[160];
    std::snprintf(text, sizeof text,
                  "PC=%04X A=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X R0=%02X R1=%02X R2=%02X R3=%02X R4=%02X "
                  "R5=%02X R6=%02X R7=%02X",
                  static_cast<unsigned>(b.pc & 0xFFFF), Sfr(b, 0xE0), Sfr(b, 0xF0), Sfr(b, 0xD0), Sfr(b, 0x81),
                  static_cast<unsigned>(Sfr(b, low + 1) << 8 | Sfr(b, low)), b.r[0], b.r[1], b.r[2], b.r[3], b.r[4],
                  b.r[5], b.r[6], b.r[7]);
    return text;
}

std::optional<std::uint32_t> RegisterNumber(const std::string& name) {
    const std::string n = Upper(name);
    if (n.size() == 2 && n[0] == 'R' && n[1] >= '0' && n[1] <= '7') return static_cast<std::uint32_t>(n[1] - '0');
    if (n == "A") return 20;
    if (n == "DPTR") return 24;
    if (n == "PC") return 0x500;
    return std::nullopt;
}

}  // namespace kxdebug

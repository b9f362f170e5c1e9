#include "host/core/TargetText.h"

#include <cctype>
#include <cstdio>

#include "host/core/CommandTable.h"

namespace kxdebug {

namespace {

struct Space {
    char letter;
    std::uint32_t space;
    std::uint32_t size;
};

constexpr Space kSpaces[] = {
    {'C', HOST_SPACE_CODE, 0x10000},
    {'X', HOST_SPACE_XDATA, 0x10000},
    {'D', HOST_SPACE_DATA, 0x100},
    {'I', HOST_SPACE_IDATA, 0x100},
};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::uint8_t Sfr(const HostRegisterBlock& block, unsigned address) { return block.sfr[address - 0x80]; }

}  // namespace

std::optional<TargetAddress> ParseTargetAddress(const std::string& text, std::string& error) {
    const auto colon = text.find(':');
    if (colon != 1) {
        error = "'" + text + "' is not S:ADDR (S one of c, x, d, i)";
        return std::nullopt;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    for (const Space& s : kSpaces) {
        if (s.letter != letter) continue;
        const auto offset = ParseHex(text.substr(2));
        if (!offset || *offset >= s.size) {
            char limit[16];
            std::snprintf(limit, sizeof limit, "0x%X", static_cast<unsigned>(s.size));
            error = "'" + text + "': the address must be hexadecimal below " + limit;
            return std::nullopt;
        }
        return TargetAddress{s.letter, s.space, static_cast<std::uint32_t>(*offset), s.size};
    }
    error = "'" + text + "': unknown space '" + text.substr(0, 1) + "' (c, x, d or i)";
    return std::nullopt;
}

std::string FormatMemory(const TargetAddress& at, std::span<const std::uint8_t> bytes) {
    std::string out;
    char item[16];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) {
            if (i > 0) out += '\n';
            std::snprintf(item, sizeof item, "%c:%04X", at.letter, static_cast<unsigned>(at.offset + i));
            out += item;
        }
        std::snprintf(item, sizeof item, " %02X", bytes[i]);
        out += item;
    }
    if (!bytes.empty()) out += '\n';
    return out;
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

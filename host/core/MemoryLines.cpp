#include "host/core/MemoryLines.h"

#include <cctype>
#include <cstdio>

#include "host/core/CommandTable.h"
#include "host/kx6500_host.h"

namespace kxdebug {

std::optional<SpaceAddress> ParseSpaceAddress(const std::string& text) {
    if (text.size() < 3 || text[1] != ':') return std::nullopt;
    SpaceAddress a{static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))), 0, 0};
    switch (a.letter) {
    case 'C': a.space = HOST_SPACE_CODE; break;
    case 'X': a.space = HOST_SPACE_XDATA; break;
    case 'D': a.space = HOST_SPACE_DATA; break;
    case 'I': a.space = HOST_SPACE_IDATA; break;
    default: return std::nullopt;
    }
    const auto offset = ParseHex(text.substr(2));
    if (!offset || *offset > 0xFFFF) return std::nullopt;
    a.offset = static_cast<std::uint32_t>(*offset);
    return a;
}

std::string FormatMemoryLines(char letter, std::uint32_t offset, const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char cell[16];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) {
            if (i) text += '\n';
            std::snprintf(cell, sizeof cell, "%c:%04X", letter, static_cast<unsigned>((offset + i) & 0xFFFF));
            text += cell;
        }
        std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
        text += cell;
    }
    return text.empty() ? text : text + '\n';
}

std::string AccessLogLine(bool write, std::uint32_t address, std::uint32_t count, const std::uint8_t* bytes,
                          int result) {
    char cell[32];
    std::snprintf(cell, sizeof cell, "%c %08X %u", write ? 'W' : 'R', address, count);
    std::string line = cell;
    for (std::uint32_t i = 0; write && bytes && i < count; ++i) {
        std::snprintf(cell, sizeof cell, " %02X", bytes[i]);
        line += cell;
    }
    if (result != 0) line += " FAIL";
    return line;
}

}  // namespace kxdebug

#include "lptlink/core/HexFile.h"

#include <cstdio>

#include "lptlink/core/Mem8051Internal.h"

namespace lptlink {

namespace {

int Digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// One field of up to two hex digits after optional white space.
bool ReadByte(std::string_view text, std::size_t& at, int& value) {
    while (at < text.size() && Space(text[at])) ++at;
    int digits = 0;
    value = 0;
    while (digits < 2 && at < text.size() && Digit(text[at]) >= 0) {
        value = value * 16 + Digit(text[at++]);
        ++digits;
    }
    return digits > 0;
}

}  // namespace

bool ParseHex(std::string_view text, Mem8051& mem) {
    std::size_t at = 0;
    while (true) {
        const std::size_t colon = text.find(':', at);
        if (colon == std::string_view::npos) return false;  // no end record
        at = colon + 1;
        int count = 0, high = 0, low = 0, type = 0;
        if (!ReadByte(text, at, count) || !ReadByte(text, at, high) || !ReadByte(text, at, low) ||
            !ReadByte(text, at, type))
            return false;
        if (type == 0x01) return true;
        const int address = high * 256 + low;
        Mem8051AddSpan(&mem, address, count);
        int sum = count + high + low + type;
        for (int i = 0; i < count; ++i) {
            int value = 0;
            if (!ReadByte(text, at, value)) break;
            const auto where = static_cast<unsigned>(address + i);
            mem.image[where] = static_cast<unsigned char>(value);
            lptlinkMarkPage(&mem, where);
            sum += value;
        }
        int checksum = 0;
        if (!ReadByte(text, at, checksum) || ((sum + checksum) & 0xFF) != 0) return false;
    }
}

std::string FormatHex(const Mem8051& mem) {
    std::string out;
    char buffer[64];
    for (const Mem8051Span* s = mem.spans.next; s; s = s->next) {
        // Records carry 16-bit addresses: data at 0x10000 and above cannot be written.
        const unsigned last = s->last > 0xFFFF ? 0xFFFF : s->last;
        for (unsigned address = s->first; address <= last; address += 16) {
            const unsigned count = last - address + 1 < 16 ? last - address + 1 : 16;
            std::snprintf(buffer, sizeof buffer, ":%02X%04X00", count, address);
            out += buffer;
            unsigned sum = count + (address & 0xFF) + ((address >> 8) & 0xFF);
            for (unsigned i = 0; i < count; ++i) {
                const unsigned char b = mem.image[address + i];
                std::snprintf(buffer, sizeof buffer, "%02X", b);
                out += buffer;
                sum += b;
            }
            std::snprintf(buffer, sizeof buffer, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
            out += buffer;
        }
    }
    out += ":00000001FF\n";
    return out;
}

}  // namespace lptlink

#include "host/MemoryCommands.h"

#include <cctype>
#include <cstdio>

#include "host/core/MemoryLines.h"

namespace kxdebug {

namespace {

struct Range {
    SpaceAddress at;
    std::uint32_t size;  // of its space
};

// The address of a command on the in-memory target: d: or x:.
std::optional<Range> TargetAddress(const std::string& text, std::string& error) {
    const auto a = ParseSpaceAddress(text);
    if (!a) {
        error = "'" + text + "' is not an address (d:ADDR or x:ADDR, hexadecimal)";
        return std::nullopt;
    }
    if (a->space != HOST_SPACE_DATA && a->space != HOST_SPACE_XDATA) {
        error = std::string(1, static_cast<char>(std::tolower(a->letter))) +
                ": is not served by the in-memory target (d: and x: are)";
        return std::nullopt;
    }
    const std::uint32_t size = a->space == HOST_SPACE_DATA ? 0x100 : 0x10000;
    if (a->offset >= size) {
        error = text + " is beyond the space (d: 00-FF, x: 0000-FFFF)";
        return std::nullopt;
    }
    return Range{*a, size};
}

bool FitsIn(const Range& r, std::size_t count, std::string& error) {
    if (count <= r.size - r.at.offset) return true;
    char text[128];
    std::snprintf(text, sizeof text, "%zu bytes from %c:%04X run past the end of the space", count, r.at.letter,
                  static_cast<unsigned>(r.at.offset));
    error = text;
    return false;
}

}  // namespace

void AddMemoryTargetCommands(HostSession& session, MemoryTarget& target, std::function<void()> afterWrite) {
    session.Commands().Add(
        {"mem read", "S:ADDR LEN", "reads LEN bytes of the in-memory target (d: data and SFRs, x: XDATA)",
         [&target](const CommandArgs& args, std::ostream& out, std::string& error) {
             if (args.size() != 2) {
                 error = "usage: mem read S:ADDR LEN";
                 return false;
             }
             const auto range = TargetAddress(args[0], error);
             if (!range) return false;
             const auto count = ParseDecimal(args[1]);
             if (!count || *count == 0) {
                 error = "'" + args[1] + "' is not a length";
                 return false;
             }
             if (!FitsIn(*range, *count, error)) return false;
             std::vector<std::uint8_t> bytes(*count);
             const std::uint32_t address = HOST_ADDRESS(range->at.space, range->at.offset);
             if (target.Read(address, static_cast<std::uint32_t>(bytes.size()), bytes.data()) != 0) {
                 error = "the read failed";
                 return false;
             }
             out << FormatMemoryLines(range->at.letter, range->at.offset, bytes);
             return true;
         }});
    session.Commands().Add(
        {"mem write", "S:ADDR BYTE...", "writes bytes (hexadecimal) to the in-memory target",
         [&target, afterWrite](const CommandArgs& args, std::ostream&, std::string& error) {
             if (args.size() < 2) {
                 error = "usage: mem write S:ADDR BYTE...";
                 return false;
             }
             const auto range = TargetAddress(args[0], error);
             if (!range) return false;
             std::vector<std::uint8_t> bytes;
             for (std::size_t i = 1; i < args.size(); ++i) {
                 const auto b = ParseHex(args[i]);
                 if (!b || *b > 0xFF) {
                     error = "'" + args[i] + "' is not a byte";
                     return false;
                 }
                 bytes.push_back(static_cast<std::uint8_t>(*b));
             }
             if (!FitsIn(*range, bytes.size(), error)) return false;
             const std::uint32_t address = HOST_ADDRESS(range->at.space, range->at.offset);
             const bool written = target.Write(address, static_cast<std::uint32_t>(bytes.size()), bytes.data()) == 0;
             if (afterWrite) afterWrite();
             if (!written) error = "the write failed (the target file cannot be written)";
             return written;
         }});
}

}  // namespace kxdebug

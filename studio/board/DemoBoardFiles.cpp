#include "studio/board/DemoBoardFiles.h"

#include <cstdio>

namespace tessary {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Shown(char c) {
    if (c == '\r') return "a carriage return";
    if (c == '\n') return "a line feed";
    if (c == '\t') return "a tab";
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
        char text[16];
        std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned char>(c));
        return text;
    }
    return std::string("'") + c + "'";
}

// Walks a file whose layout is fixed, keeping line and column for the refusal.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    std::size_t Offset() const { return at_; }
    int Line() const { return line_; }
    const std::string& Problem() const { return problem_; }

    bool Expect(char c, const char* what) {
        if (AtEnd()) return Fail(std::string("the file ends where ") + what + " should be");
        if (bytes_[at_] != c) return Fail(std::string("expected ") + what + ", found " + Shown(bytes_[at_]));
        Advance();
        return true;
    }
    bool ExpectText(std::string_view text) {
        for (char c : text) {
            const std::string what = c == '\r' ? "a carriage return" : c == '\n' ? "a line feed" : c == '\t' ? "a tab" : std::string("'") + c + "'";
            if (!Expect(c, what.c_str())) return false;
        }
        return true;
    }
    bool LineEnd() { return Expect('\r', "a carriage return") && Expect('\n', "a line feed"); }
    // CR LF or LF.
    bool AnyLineEnd() {
        if (!AtEnd() && bytes_[at_] == '\r') Advance();
        return Expect('\n', "the line end");
    }
    // count hex digits, most significant first.
    bool Hex(int count, int& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (AtEnd()) return Fail("the file ends in the middle of the line");
            const int v = HexValue(bytes_[at_]);
            if (v < 0) return Fail(Shown(bytes_[at_]) + " is not a hex digit");
            value = value << 4 | v;
            Advance();
        }
        return true;
    }
    bool Fail(const std::string& what) {
        problem_ = "line " + std::to_string(line_) + ", column " + std::to_string(column_) + ": " + what;
        return false;
    }

private:
    void Advance() {
        if (bytes_[at_] == '\n') {
            ++line_;
            column_ = 1;
        } else {
            ++column_;
        }
        ++at_;
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
    int line_ = 1;
    int column_ = 1;
    std::string problem_;
};

constexpr std::size_t kBufferFileSize = 9 * kDemoEepromBytes;

EepromFileResult ReadBufferFile(std::string_view bytes, const DemoEeprom& current) {
    EepromFileResult result;
    result.eeprom = current;
    Cursor cursor(bytes);
    for (int k = 0; k < kDemoEepromBytes; ++k) {
        int address = 0, value = 0;
        if (!cursor.Hex(4, address)) break;
        if (address != k) {
            char text[96];
            std::snprintf(text, sizeof text, "the address %04x should be %04x", static_cast<unsigned>(address),
                          static_cast<unsigned>(k));
            cursor.Fail(text);
            break;
        }
        if (!cursor.Expect(':', "':'") || !cursor.Hex(2, value) || !cursor.LineEnd()) break;
        if (k < kBufferFileBytesTaken) result.eeprom[static_cast<std::size_t>(k)] = value;
    }
    if (!cursor.Problem().empty()) {
        result.problem = cursor.Problem();
    } else if (bytes.size() != kBufferFileSize) {
        result.problem = "text after line 44 (a buffer file has 44 lines, " + std::to_string(kBufferFileSize) +
                         " bytes; this one has " + std::to_string(bytes.size()) + ")";
    }
    result.ok = result.problem.empty();
    if (!result.ok) result.eeprom = current;
    return result;
}

// The five blocks of the listing in file order, and where their frames go in the
// buffer: (frame, byte offset) pairs.
struct ListingBlock {
    std::string_view title;
    std::array<int, 8> target;  // buffer offset of each frame's high byte, -1 for none
};
constexpr std::array<ListingBlock, 5> kListing = {{
    {"RX mode:", {-1, -1, -1, -1, -1, -1, -1, 16}},
    {"TX mode:", {0, 2, 4, 6, 8, 10, 12, 14}},
    {"PD osc. on mode:", {-1, -1, -1, -1, -1, -1, -1, -1}},
    {"PD osc. off mode:", {34, -1, 36, -1, -1, -1, -1, -1}},
    {"RX Precharge mode:", {18, 20, 22, 24, 26, 28, 30, 32}},
}};
constexpr std::size_t kListingSize = 492;

EepromFileResult ReadListing(std::string_view bytes) {
    EepromFileResult result;  // bytes 38 to 43 stay 0
    Cursor cursor(bytes);
    bool good = true;
    for (const ListingBlock& block : kListing) {
        good = cursor.ExpectText(block.title) && cursor.LineEnd() && cursor.ExpectText("Frame\tAddr/Data") &&
               cursor.LineEnd();
        for (int frame = 0; good && frame < 8; ++frame) {
            int word = 0;
            const char letter = static_cast<char>('A' + frame);
            good = cursor.Expect(letter, (std::string("the frame letter ") + letter).c_str()) &&
                   cursor.Expect('\t', "a tab") && cursor.Hex(4, word);
            if (good && (word >> 13) != frame) {
                char text[96];
                std::snprintf(text, sizeof text, "the word %04X carries frame address %d, not %d (frame %c)",
                              static_cast<unsigned>(word), word >> 13, frame, letter);
                good = cursor.Fail(text);
            }
            good = good && cursor.LineEnd();
            const int at = block.target[static_cast<std::size_t>(frame)];
            if (good && at >= 0) {
                result.eeprom[static_cast<std::size_t>(at)] = word >> 8;
                result.eeprom[static_cast<std::size_t>(at + 1)] = word & 0xFF;
            }
        }
        good = good && cursor.LineEnd();
        if (!good) break;
    }
    if (!good) {
        result.problem = cursor.Problem();
        if (cursor.AtEnd() && bytes.size() < kListingSize)
            result.problem += " (the listing is cut short: " + std::to_string(bytes.size()) + " of " +
                              std::to_string(kListingSize) + " bytes)";
    } else if (bytes.size() != kListingSize) {
        result.problem = "text after the fifth block (a listing has " + std::to_string(kListingSize) + " bytes; this one has " +
                         std::to_string(bytes.size()) + ")";
    }
    result.ok = result.problem.empty();
    if (!result.ok) result.eeprom = {};
    return result;
}

}  // namespace

std::string BufferFileText(const DemoEeprom& eeprom) {
    std::string text;
    text.reserve(kBufferFileSize);
    for (int k = 0; k < kDemoEepromBytes; ++k) {
        char line[16];
        std::snprintf(line, sizeof line, "%04x:%02x\r\n", static_cast<unsigned>(k),
                      static_cast<unsigned>(eeprom[static_cast<std::size_t>(k)] & 0xFF));
        text += line;
    }
    return text;
}

EepromFileResult ReadEepromFile(std::string_view bytes, const DemoEeprom& current) {
    if (bytes.substr(0, 4) == "0000") return ReadBufferFile(bytes, current);
    if (bytes.size() > 27 && bytes[0] == 'R' && bytes[1] == 'X' && bytes[3] == 'm' && bytes[27] == 'A')
        return ReadListing(bytes);
    EepromFileResult result;
    result.eeprom = current;
    result.problem = bytes.empty() ? "the file is empty"
                                   : "the file is neither an EEPROM buffer file (starting 0000) nor a KX400/KX900 "
                                     "register listing (starting \"RX mode:\")";
    return result;
}

FlashFileResult ReadGenericHexFile(std::string_view bytes) {
    FlashFileResult result;
    result.flash.fill(0xFFFF);
    if (bytes.empty()) {
        result.problem = "the file is empty";
        return result;
    }
    Cursor cursor(bytes);
    int lines = 0;
    while (!cursor.AtEnd()) {
        if (++lines > kDemoFlashWords) {
            cursor.Fail("more than 512 lines (the part has 512 words)");
            break;
        }
        int address = 0, word = 0;
        if (!cursor.Hex(6, address)) break;
        if (address > kDemoFlashWords - 1) {
            char text[96];
            std::snprintf(text, sizeof text, "the word address %06X is above 0001FF", static_cast<unsigned>(address));
            cursor.Fail(text);
            break;
        }
        if (!cursor.Expect(':', "':'") || !cursor.Hex(4, word) || !cursor.AnyLineEnd()) break;
        result.flash[static_cast<std::size_t>(address)] = word;
    }
    result.problem = cursor.Problem();
    result.ok = result.problem.empty();
    return result;
}

const DemoEeprom* DefaultEepromImage(int deviceNumber) {
    static constexpr DemoEeprom kKX400DB = {
        0x08, 0x2A, 0x23, 0x0B, 0x40, 0x41, 0x7F, 0x9A, 0x8A, 0x29, 0xBA, 0x02, 0xCB, 0x6C, 0xE0, 0x40,
        0xE0, 0x40, 0x00, 0x2A, 0x23, 0x0B, 0x40, 0x41, 0x7E, 0xE1, 0x8A, 0x00, 0xBA, 0x02, 0xCB, 0x6C,
        0xE2, 0x48, 0x18, 0x2A, 0x40, 0x51, 0x00, 0x00, 0x00, 0x80, 0x81, 0xF2};
    static constexpr DemoEeprom kKX900DB = {
        0x08, 0x6A, 0x2B, 0x0B, 0x48, 0x41, 0x60, 0x8F, 0x89, 0x14, 0xBA, 0x00, 0xCB, 0x6C, 0xE0, 0x42,
        0xE0, 0x42, 0x00, 0x6A, 0x2B, 0x0B, 0x48, 0x41, 0x60, 0x33, 0x89, 0x00, 0xBA, 0x00, 0xCB, 0x6C,
        0xE2, 0x4A, 0x18, 0x6A, 0x48, 0x51, 0x00, 0x00, 0x00, 0x80, 0x81, 0xF2};
    if (deviceNumber == 4) return &kKX400DB;
    if (deviceNumber == 9) return &kKX900DB;
    return nullptr;
}

}  // namespace tessary

#pragma once
// The files of the demonstration-board programmer: the EEPROM buffer file
// ("%04x:%02x" lines), the KX400/KX900 register listing read back by position, and the
// generic hex files of the ATtiny12's flash. Every reader checks the whole file before
// it takes anything; a refusal names the line and column (or the length) at fault.

#include <array>
#include <string>
#include <string_view>

namespace tessary {

inline constexpr int kDemoEepromBytes = 44;
inline constexpr int kDemoFlashWords = 512;
using DemoEeprom = std::array<int, kDemoEepromBytes>;
using DemoFlash = std::array<int, kDemoFlashWords>;

// The bytes a buffer file restores; the rest keep what the buffer held.
inline constexpr int kBufferFileBytesTaken = 38;

// The 44 lines "%04x:%02x" with CR LF, 396 bytes.
std::string BufferFileText(const DemoEeprom& eeprom);

struct EepromFileResult {
    bool ok = false;
    DemoEeprom eeprom{};
    std::string problem;  // why it was refused
};
// A buffer file (it starts "0000") or a register listing (characters 0, 1, 3 and 27
// are "R", "X", "m" and "A"); anything else is refused. current: the buffer before the
// load, whose bytes 38 to 43 a buffer file keeps.
EepromFileResult ReadEepromFile(std::string_view bytes, const DemoEeprom& current);

struct FlashFileResult {
    bool ok = false;
    DemoFlash flash{};
    std::string problem;
};
// Lines of six hex digits of word address, ":", four hex digits of word, CR LF or LF;
// 1 to 512 lines; a later line for the same address wins; words not given are 0xFFFF.
FlashFileResult ReadGenericHexFile(std::string_view bytes);

// The KX400DB (4) or KX900DB (9) default EEPROM image; nothing for other devices.
const DemoEeprom* DefaultEepromImage(int deviceNumber);

}  // namespace tessary

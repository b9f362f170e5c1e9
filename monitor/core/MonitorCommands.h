#pragma once
// The monitor's command set as typed requests over the link's exchange: memory reads
// in chunks of at most 128 bytes, writes as header and data per chunk, the flash page
// commands, and the register save area with its cached copy.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "monitor/core/MonitorLink.h"

namespace kx6500mon {

using SaveArea = std::array<std::uint8_t, kRegisterSaveAreaSize>;

// Offsets in the register save area.
namespace save {
inline constexpr int kAcc = 0;
inline constexpr int kPsw = 1;
inline constexpr int kDpl = 2;
inline constexpr int kDph = 3;
inline constexpr int kPcHigh = 4;
inline constexpr int kPcLow = 5;
inline constexpr int kSp = 6;
inline constexpr int kR0 = 7;  // R0 to R7 of the selected bank: 7 to 14
inline constexpr int kTmod = 15;
inline constexpr int kTl1 = 16;
inline constexpr int kTh1 = 17;
inline constexpr int kRdata = 18;  // RDATA, RADRL, RADRH: 18 to 20
inline constexpr int kRadrl = 19;
inline constexpr int kRadrh = 20;
inline constexpr int kCkcon = 21;
}  // namespace save

class MonitorCommands {
public:
    explicit MonitorCommands(MonitorLink& link) : link_(link) {}

    // Internal RAM 0x00 to 0x7F and special function registers 0x80 to 0xFF take a byte
    // address; a read may not run past 0xFF.
    bool ReadInternal(std::uint8_t address, std::size_t count, std::uint8_t* out);
    bool ReadSfr(std::uint8_t address, std::size_t count, std::uint8_t* out);
    bool ReadXdata(std::uint16_t address, std::size_t count, std::uint8_t* out);
    bool ReadCode(std::uint16_t address, std::size_t count, std::uint8_t* out);
    // Writes into a space of the write header (space::kInternal, kXdata, kSfr).
    bool Write(std::uint8_t space, std::uint16_t address, std::span<const std::uint8_t> bytes);

    std::optional<std::uint16_t> PageCrc(std::uint8_t page);
    // Copies the 128-byte flash page at pageAddress into the XDATA page buffer.
    bool LoadPage(std::uint16_t pageAddress);
    // Programs a flash page from the XDATA page buffer.
    bool ProgramPage(std::uint8_t page);

    // The register save area: its address is asked for once (until Forget), its bytes
    // when they are not already held.
    std::optional<std::uint16_t> SaveAreaAddress();
    const SaveArea* ReadSaveArea();
    // Writes bytes of the save area on the target (the monitor loads them into the
    // registers when the program resumes) and into the held copy.
    bool WriteSaveArea(int offset, std::span<const std::uint8_t> bytes);
    // The program counter of the save area as it is stored.
    std::optional<std::uint16_t> SavedPc();
    bool WriteSavedPc(std::uint16_t pc);
    void InvalidateSaveArea() { saveAreaValid_ = false; }
    bool SaveAreaValid() const { return saveAreaValid_; }
    // The connected flag: set once the save area's address is known.
    bool Connected() const { return saveAreaAddress_.has_value(); }
    void Forget() {
        saveAreaAddress_.reset();
        saveAreaValid_ = false;
    }

    MonitorLink& Link() { return link_; }

private:
    bool ReadChunks(std::uint8_t command, std::uint32_t address, std::size_t count, std::uint8_t* out, bool wide);

    MonitorLink& link_;
    std::optional<std::uint16_t> saveAreaAddress_;
    SaveArea saveArea_{};
    bool saveAreaValid_ = false;
};

}  // namespace kx6500mon

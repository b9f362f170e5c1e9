#pragma once
// The ATtiny12 on the KX400/KX900 demonstration boards, as its serial programming
// interface sees the PC's data register through the board's inverters: SCK is data bit
// 4, MOSI data bit 5 and RESET data bit 6, each the complement of the pin; MISO comes
// back on status bit 5, also inverted. The part enters programming at the positive
// reset pulse (bit 6 cleared and set again with SCK low throughout), ignores what is
// clocked in the first 20 ms, then takes a bit at each rising SCK edge and acts on
// every 32 bits. Nothing but Programming Enable acts before Programming Enable.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class Tiny12 {
public:
    static constexpr int kFlashWords = 512;
    static constexpr int kEepromBytes = 64;
    static constexpr std::size_t kMemoryBytes = 2 * kFlashWords + kEepromBytes;  // the memory file
    static constexpr std::uint64_t kEntryDelayUs = 20000;

    // memoryPath: the file that keeps flash and EEPROM from one run to the next; empty
    // for none.
    explicit Tiny12(int signature = 0x1E, int calibration = 0x5A, std::string memoryPath = "");

    // A write of the data register at the given time (microseconds, monotonic).
    void OnData(std::uint8_t data, std::uint64_t microseconds);
    // Status bit 5 as the port reads it: 0 while the part drives a 1.
    bool StatusBit5() const { return !answerBit_; }

    const std::array<std::uint16_t, kFlashWords>& Flash() const { return flash_; }
    const std::array<std::uint8_t, kEepromBytes>& Eeprom() const { return eeprom_; }
    void SetFlash(int word, std::uint16_t value) { flash_[static_cast<std::size_t>(word)] = value; }
    void SetEeprom(int address, std::uint8_t value) { eeprom_[static_cast<std::size_t>(address)] = value; }
    bool Programming() const { return programming_; }
    bool Enabled() const { return enabled_; }
    // Every instruction the part acted on, in order (Programming Enable included).
    const std::vector<std::uint32_t>& Instructions() const { return instructions_; }
    int Entries() const { return entries_; }
    // Why the memory file is not followed; empty when it is (or there is none).
    const std::string& Notice() const { return notice_; }

private:
    void Enter(std::uint64_t now);
    void Clock(bool bit);
    void Execute(std::uint32_t word);
    int Answer(std::uint32_t firstThree) const;
    void Save();
    void Load();

    int signature_;
    int calibration_;
    std::string memoryPath_;
    std::string notice_;
    bool follow_ = false;
    std::array<std::uint16_t, kFlashWords> flash_;
    std::array<std::uint8_t, kEepromBytes> eeprom_;

    std::uint8_t lastData_ = 0;  // the port's data register starts at 0
    bool pulseClean_ = false;    // bit 6 low so far with SCK low throughout
    bool programming_ = false;
    bool enabled_ = false;
    std::uint64_t entryTime_ = 0;
    int bits_ = 0;  // of the current instruction
    std::uint32_t word_ = 0;
    bool answering_ = false;
    int answer_ = 0;
    int answerBits_ = 0;
    bool answerBit_ = false;
    std::vector<std::uint32_t> instructions_;
    int entries_ = 0;
};

}  // namespace sim

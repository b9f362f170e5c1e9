#include "sim/Tiny12.h"

#include <filesystem>

#include "common/FileIo.h"

namespace sim {

namespace {
constexpr std::uint8_t kSck = 0x10, kMosi = 0x20, kReset = 0x40;

bool IsRead(std::uint8_t op) { return op == 0x30 || op == 0x38 || op == 0xA0 || op == 0x20 || op == 0x28; }
}  // namespace

Tiny12::Tiny12(int signature, int calibration, std::string memoryPath)
    : signature_(signature), calibration_(calibration), memoryPath_(std::move(memoryPath)) {
    flash_.fill(0xFFFF);
    eeprom_.fill(0xFF);
    if (!memoryPath_.empty()) Load();
}

void Tiny12::Load() {
    std::error_code ec;
    if (!std::filesystem::exists(memoryPath_, ec)) {
        follow_ = true;
        Save();
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!tessary::ReadWholeFile(memoryPath_, bytes, error)) {
        notice_ = error;
        return;
    }
    if (bytes.size() != kMemoryBytes) {
        notice_ = memoryPath_ + " holds " + std::to_string(bytes.size()) + " bytes, not " +
                  std::to_string(kMemoryBytes) + ": the part starts erased and leaves the file alone";
        return;
    }
    for (int w = 0; w < kFlashWords; ++w)
        flash_[static_cast<std::size_t>(w)] =
            static_cast<std::uint16_t>(bytes[static_cast<std::size_t>(2 * w)] | bytes[static_cast<std::size_t>(2 * w + 1)] << 8);
    for (int a = 0; a < kEepromBytes; ++a)
        eeprom_[static_cast<std::size_t>(a)] = bytes[static_cast<std::size_t>(2 * kFlashWords + a)];
    follow_ = true;
}

void Tiny12::Save() {
    if (!follow_) return;
    std::string bytes;
    bytes.reserve(kMemoryBytes);
    for (std::uint16_t w : flash_) {
        bytes.push_back(static_cast<char>(w & 0xFF));
        bytes.push_back(static_cast<char>(w >> 8));
    }
    for (std::uint8_t b : eeprom_) bytes.push_back(static_cast<char>(b));
    std::string error;
    if (!tessary::WriteWholeFile(memoryPath_, bytes, error)) {
        notice_ = error;
        follow_ = false;
    }
}

void Tiny12::OnData(std::uint8_t data, std::uint64_t now) {
    const std::uint8_t before = lastData_;
    lastData_ = data;
    const bool resetWas = before & kReset, resetIs = data & kReset;
    if (resetWas && !resetIs) {
        // The part runs its program again.
        programming_ = false;
        answering_ = false;
        answerBit_ = false;
        pulseClean_ = (data & kSck) != 0;
        return;
    }
    if (!resetWas && !resetIs) {
        if (!(data & kSck)) pulseClean_ = false;
        return;
    }
    if (!resetWas && resetIs) {
        if (pulseClean_ && (data & kSck)) Enter(now);
        else programming_ = false;
        return;
    }
    if (!programming_) return;
    const bool sckRises = (before & kSck) && !(data & kSck);
    const bool sckFalls = !(before & kSck) && (data & kSck);
    if (sckFalls && answering_) {
        answerBit_ = answerBits_ < 8 && ((answer_ >> (7 - answerBits_)) & 1);
        ++answerBits_;
    }
    // The level set up before this write; one changed in the same write is not.
    if (sckRises && now - entryTime_ >= kEntryDelayUs) Clock(!(before & kMosi));
}

void Tiny12::Enter(std::uint64_t now) {
    programming_ = true;
    enabled_ = false;
    entryTime_ = now;
    bits_ = 0;
    word_ = 0;
    answering_ = false;
    answerBit_ = false;
    ++entries_;
}

void Tiny12::Clock(bool bit) {
    word_ = word_ << 1 | (bit ? 1u : 0u);
    ++bits_;
    if (bits_ == 24 && enabled_ && IsRead(static_cast<std::uint8_t>(word_ >> 16))) {
        answering_ = true;
        answer_ = Answer(word_);
        answerBits_ = 0;
    }
    if (bits_ < 32) return;
    Execute(word_);
    bits_ = 0;
    word_ = 0;
    answering_ = false;
    answerBit_ = false;
}

int Tiny12::Answer(std::uint32_t firstThree) const {
    const std::uint8_t op = static_cast<std::uint8_t>(firstThree >> 16);
    const int b1 = static_cast<int>((firstThree >> 8) & 0xFF), b2 = static_cast<int>(firstThree & 0xFF);
    const std::size_t word = static_cast<std::size_t>((b1 & 1) << 8 | b2);
    switch (op) {
        case 0x30: {
            const int which = b2 & 3;
            return which == 0 ? signature_ : which == 1 ? 0x90 : which == 2 ? 0x05 : 0xFF;
        }
        case 0x38: return calibration_;
        case 0xA0: return eeprom_[static_cast<std::size_t>(b2 & 0x3F)];
        case 0x20: return flash_[word] & 0xFF;
        case 0x28: return flash_[word] >> 8;
        default: return 0xFF;
    }
}

void Tiny12::Execute(std::uint32_t w) {
    const std::uint8_t op = static_cast<std::uint8_t>(w >> 24);
    const int b1 = static_cast<int>((w >> 16) & 0xFF), b2 = static_cast<int>((w >> 8) & 0xFF);
    const std::uint8_t value = static_cast<std::uint8_t>(w & 0xFF);
    if (op == 0xAC && b1 == 0x53) {
        enabled_ = true;
        instructions_.push_back(w);
        return;
    }
    if (!enabled_) return;
    instructions_.push_back(w);
    const std::size_t word = static_cast<std::size_t>((b1 & 1) << 8 | b2);
    if (op == 0xAC && (b1 & 0xE0) == 0x80) {
        flash_.fill(0xFFFF);
        eeprom_.fill(0xFF);
        Save();
    } else if (op == 0xC0) {
        eeprom_[static_cast<std::size_t>(b2 & 0x3F)] = value;
        Save();
    } else if (op == 0x40) {
        // Programming only clears bits: a cell is rewritable only after an erase.
        flash_[word] = static_cast<std::uint16_t>(flash_[word] & (0xFF00 | value));
        Save();
    } else if (op == 0x48) {
        flash_[word] = static_cast<std::uint16_t>(flash_[word] & (0x00FF | value << 8));
        Save();
    }
}

}  // namespace sim

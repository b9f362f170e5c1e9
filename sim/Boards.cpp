#include "sim/Boards.h"

#include <cstdio>

namespace sim {

namespace {

bool Falling(std::uint8_t before, std::uint8_t after, std::uint8_t mask) { return (before & mask) && !(after & mask); }
bool Rising(std::uint8_t before, std::uint8_t after, std::uint8_t mask) { return !(before & mask) && (after & mask); }

}  // namespace

// ---- three-wire ----

bool ThreeWireBoard::HasRegister(int address) {
    return (address >= 0x00 && address <= 0x14) || address == 0x1C || (address >= 0x40 && address <= 0x46);
}

std::optional<int> ThreeWireBoard::Register(int address) const {
    if (!HasRegister(address)) return std::nullopt;
    return registers_[static_cast<std::size_t>(address)];
}

void ThreeWireBoard::OnLines(std::uint8_t data, std::uint8_t) {
    constexpr std::uint8_t kClock = 0x02, kData = 0x04, kLatch = 0x08;
    const std::uint8_t before = lastData_;
    lastData_ = data;
    const unsigned bit = (data & kData) ? 1u : 0u;

    if (Falling(before, data, kLatch)) {
        phase_ = Phase::Address;
        shift_ = 0;
        bits_ = 0;
    }
    if (Rising(before, data, kLatch)) {
        if (phase_ == Phase::Address && bits_ == 8) {
            address_ = static_cast<int>(shift_ >> 1);
            if (shift_ & 1u) {
                phase_ = Phase::WriteData;
            } else {
                phase_ = Phase::ReadOut;
                readValue_ = static_cast<std::uint8_t>(Register(address_).value_or(0));
                outBit_ = 1;
            }
            shift_ = 0;
            bits_ = 0;
        } else {
            phase_ = Phase::Idle;
        }
    }
    if (!Falling(before, data, kClock)) return;
    switch (phase_) {
        case Phase::Address:
            if (bits_ < 8) {
                shift_ = shift_ << 1 | bit;
                ++bits_;
            }
            break;
        case Phase::WriteData:
            shift_ = shift_ << 1 | bit;
            if (++bits_ == 8) {
                WriteChip(address_, static_cast<std::uint8_t>(shift_));
                phase_ = Phase::Idle;
            }
            break;
        case Phase::ReadOut:
            if (bits_ < 8) {
                outBit_ = (readValue_ >> (7 - bits_)) & 1;
                ++bits_;
            }
            break;
        case Phase::Idle: break;
    }
}

void ThreeWireBoard::WriteChip(int address, std::uint8_t value) {
    writes_.emplace_back(address, value);
    if (!HasRegister(address)) return;
    const std::uint8_t old = registers_[static_cast<std::size_t>(address)];
    registers_[static_cast<std::size_t>(address)] = value;
    if (address == 0x00 && !(value & 0x01)) {
        // RESET low: every other register back to its power-on value.
        registers_.fill(0);
        registers_[0] = value;
        synth_ = SynthesiserState{};
        return;
    }
    if (address >= 0x01 && address <= 0x03 && old != value) synth_.FrequencyChanged(0);
    if (address >= 0x04 && address <= 0x06 && old != value) synth_.FrequencyChanged(1);
    if (address == 0x0C && (old & 0x78) != (value & 0x78)) synth_.DividerChanged();
    if (address == 0x0E && (value & kCalStart) && !(old & kCalStart)) {
        const std::uint8_t main = registers_[0];
        const bool powered = (main & 0x01) && !(main & kPowerDownBits);
        if (powered) synth_.calibrated[(main & kFReg) ? 1 : 0] = true;
    }
}

int ThreeWireBoard::ActiveWord() const {
    const std::size_t first = (registers_[0] & kFReg) ? 4 : 1;  // most significant byte first
    return registers_[first] << 16 | registers_[first + 1] << 8 | registers_[first + 2];
}

bool ThreeWireBoard::Locked() const {
    const std::uint8_t main = registers_[0];
    const bool powered = (main & 0x01) && !(main & kPowerDownBits);
    return powered && synth_.calibrated[(main & kFReg) ? 1 : 0] && WordInRange(ActiveWord());
}

std::uint8_t ThreeWireBoard::Status() const {
    // The LOCK pin shows lock in its continuous and one-shot settings; otherwise it
    // is inactive (high).
    const int select = registers_[0x0D] >> 4;
    const bool pinLow = (select == 1 || select == 2) && Locked();
    std::uint8_t status = 0xFF;
    if (pinLow) status &= static_cast<std::uint8_t>(~0x10);
    if (phase_ == Phase::ReadOut && !outBit_) status &= 0x7F;
    return status;
}

// ---- frames ----

std::optional<int> FrameBoard::Register(int frame) const {
    if (frame < 0 || frame > 7) return std::nullopt;
    return frames_[static_cast<std::size_t>(frame)];
}

void FrameBoard::OnLines(std::uint8_t data, std::uint8_t) {
    constexpr std::uint8_t kClock = 0x02, kData = 0x04, kStrobe = 0x08;
    const std::uint8_t before = lastData_;
    lastData_ = data;
    if (demo_) demo_->OnData(data, now_);
    if (Falling(before, data, kClock)) shift_ = ((shift_ << 1) | ((data & kData) ? 1u : 0u)) & 0xFFFFu;
    if (Rising(before, data, kStrobe)) {
        frames_[shift_ >> 13] = static_cast<int>(shift_ & 0x1FFF);
        writes_.emplace_back(static_cast<int>(shift_ >> 13), static_cast<int>(shift_ & 0x1FFF));
    }
}

bool FrameBoard::Locked() const {
    const int a = frames_[0], b = frames_[1];
    const bool powered = !(a & 0x1000);
    // Frame B bits 12-11 select the band of the chip: 10 for the KX400, 01 for the KX900.
    const bool band = ((b >> 11) & 3) == (kx900_ ? 1 : 2);
    const int m = b & 0x7F, s = (b >> 7) & 0x0F;
    const bool counters = m >= 2 && (m < 14 ? s <= m - 2 : s <= m);
    return powered && band && counters;
}

std::uint8_t FrameBoard::Status() const {
    const int indicator = (frames_[4] >> 10) & 3;  // continuous 2, one-shot 0, disabled 3
    const bool pinLow = indicator != 3 && indicator != 1 && Locked();
    std::uint8_t status = pinLow ? 0xEF : 0xFF;
    if (!demo_) status &= 0x7F;
    else if (!demo_->StatusBit5()) status &= static_cast<std::uint8_t>(~0x20);
    return status;
}

// ---- KX6500 ----

KX6500Board::KX6500Board(std::string flashPath, int signature) : signature_(signature) {
    pageBuffer_.fill(0xFF);
    if (flashPath.empty()) return;
    file_.emplace(std::move(flashPath));
    file_->Load(chip_);
    file_->Follow(chip_);
}

std::uint8_t KX6500Board::ReadResult(std::uint32_t w) const {
    const std::uint32_t top = w >> 24;
    if ((w & 0xF7000000) == 0x20000000) {
        const unsigned address = ((((w >> 10) & 0x3FFF) * 2) + ((w >> 27) & 1)) & 0x7FFF;
        return (LockBits() & 0x01) ? 0xFF : chip_.Flash()[address];  // read protection
    }
    if (top == 0x58) return static_cast<std::uint8_t>(0xE0 | chip_.LockWire());
    if (top == 0x30) return ((w >> 8) & 7) == 5 ? static_cast<std::uint8_t>(signature_) : 0x1E;
    return static_cast<std::uint8_t>(w >> 8);  // the third byte echoed
}

void KX6500Board::Execute(std::uint32_t w) {
    if ((w >> 16) == 0xAC53) {
        enabled_ = true;
        return;
    }
    if (!enabled_) return;
    if (w >= 0xAC800000 && w <= 0xAC9FFFFF) {
        chip_.EraseChip();
        ++erases_;
    } else if ((w & 0xF7000000) == 0x40000000) {
        pageBuffer_[(((w >> 10) & 0x3F) * 2 + ((w >> 27) & 1)) & 0x7F] = static_cast<std::uint8_t>(w);
    } else if ((w >> 24) == 0x4C) {
        chip_.ProgramPage(static_cast<int>((w >> 16) & 0xFF), pageBuffer_);
        pageBuffer_.fill(0xFF);
    } else if (w >= 0xACE00000 && w <= 0xACFFFFFF) {
        chip_.ProgramLockWire(static_cast<std::uint8_t>(w & 0x1F));
    }
}

void KX6500Board::ProgrammingLines(std::uint8_t data) {
    const bool rising = !(lastData_ & 0x10) && (data & 0x10);
    lastData_ = data;
    if (!rising) return;
    if (spiBits_ < 0) {  // still out of step after the reset
        ++spiBits_;
        return;
    }
    spiWord_ = spiWord_ << 1 | ((data >> 5) & 1u);
    ++spiBits_;
    if (spiBits_ % 8 == 0 && spiBits_ < 32) {
        // The byte now complete decides the next one out. The second byte is echoed only
        // behind an opening 0xAC, so a device out of step answers no handshake.
        const int byte = spiBits_ / 8;
        if (byte == 3) reply_[3] = ReadResult(spiWord_ << 8);
        else if (byte == 2) reply_[2] = ((spiWord_ >> 8) & 0xFF) == 0xAC ? static_cast<std::uint8_t>(spiWord_) : 0x00;
        else reply_[1] = static_cast<std::uint8_t>(spiWord_);
    }
    if (spiBits_ == 32) {
        Execute(spiWord_);
        spiBits_ = 0;
        spiWord_ = 0;
        reply_[0] = reply_[1] = reply_[2] = reply_[3] = 0;
    }
}

std::optional<int> KX6500Board::Register(int address) const {
    if (address < 0x80 || address > 0xFF) return std::nullopt;
    return chip_.ReadSfr(address);
}

void KX6500Board::OnLines(std::uint8_t data, std::uint8_t control) {
    const bool reset = !(data & 0x80);
    if (reset) {
        if (!inReset_) {
            ++resets_;
            enabled_ = false;
            spiBits_ = -misalignment_;
            spiWord_ = 0;
            reply_[0] = reply_[1] = reply_[2] = reply_[3] = 0;
            // Held in reset nothing reaches the registers, so once on entering is enough.
            chip_.Reset();
            phase_ = Phase::Idle;
        }
        inReset_ = true;
        lastControl_ = control;
        ProgrammingLines(data);
        return;
    }
    lastData_ = data;
    inReset_ = false;
    const std::uint8_t before = lastControl_;
    lastControl_ = control;
    if (!(control & 0x02)) {
        phase_ = Phase::Idle;  // the bus went idle: any transfer ends here
        return;
    }
    if (!Rising(before, control, 0x01)) return;
    const unsigned bit = (data & 0x04) ? 1u : 0u;
    if (data & 0x02) {
        phase_ = Phase::First;
        shift_ = 0;
        bits_ = 0;
    }
    switch (phase_) {
        case Phase::First:
            shift_ = shift_ << 1 | bit;
            if (++bits_ == 8) {
                address_ = 0x80 | static_cast<int>(shift_ & 0x7F);
                bits_ = 0;
                if (shift_ & 0x80) {
                    phase_ = Phase::WriteData;
                } else {
                    phase_ = Phase::ReadOut;
                    readValue_ = chip_.ReadSfr(address_);
                    outBit_ = 1;
                }
                shift_ = 0;
            }
            break;
        case Phase::WriteData:
            shift_ = shift_ << 1 | bit;
            if (++bits_ == 8) {
                WriteChip(address_, static_cast<std::uint8_t>(shift_));
                phase_ = Phase::Idle;
            }
            break;
        case Phase::ReadOut:
            if (bits_ < 8) {
                outBit_ = (readValue_ >> (7 - bits_)) & 1;
                ++bits_;
            }
            break;
        case Phase::Idle: break;
    }
}

void KX6500Board::WriteChip(int address, std::uint8_t value) {
    writes_.emplace_back(address, value);
    chip_.WriteSfr(address, value);
}

bool KX6500Board::Locked() const { return !inReset_ && chip_.Radio().Locked(chip_.Memory()); }

std::uint8_t KX6500Board::Status() const {
    if (inReset_) {
        // MISO: the bit of the reply byte at the position the next clock takes.
        const int position = spiBits_ < 0 ? 0 : spiBits_;
        const int bit = (reply_[position / 8] >> (7 - position % 8)) & 1;
        return bit ? 0xFF : 0xDF;
    }
    const bool high = phase_ != Phase::ReadOut || outBit_;
    return high ? 0xFF : 0xEF;
}

}  // namespace sim

#include "sim/chip/KX6500Chip.h"

#include <algorithm>
#include <bit>

#include "sim/chip/Sfr.h"
#include "sim/chip/Timers.h"

namespace sim {

using namespace sfr;

namespace {

std::size_t Slot(std::uint8_t address) { return address - 0x80u; }

// Registers whose accesses do more than store: the serial buffers send, the interrupt
// enables and priorities hold off interrupts for one instruction, and the radio
// follows its registers.
bool BuiltInSpecial(std::uint8_t address) {
    return address == SBUF0 || address == SBUF1 || address == IE || address == IP || address == EIE ||
           address == EIP || KX6500Radio::Follows(address);
}

}  // namespace

KX6500Chip::KX6500Chip() : uart0_(SCON0, SBUF0), uart1_(SCON1, SBUF1) {
    for (unsigned a = 0x80; a <= 0xFF; ++a) UpdateSpecial(static_cast<std::uint8_t>(a));
    PowerOn();
}

void KX6500Chip::PowerOn() {
    memory_.iram.fill(0);
    memory_.xdata.fill(0);
    cycles_ = 0;
    instructions_ = 0;
    Reset();
}

void KX6500Chip::Reset() {
    for (unsigned a = 0x80; a <= 0xFF; ++a) memory_.sfr[a - 0x80] = ResetValue(static_cast<int>(a));
    core_.SetPc(0);
    interrupts_.Reset();
    blockNext_ = false;
    radio_.Reset();
    uart0_.Reset();
    uart1_.Reset();
}

// ---- execution

bool KX6500Chip::EnterInterrupt() {
    if (blockNext_) {
        blockNext_ = false;
        return false;
    }
    const InterruptSource* source = interrupts_.Pending(memory_);
    if (!source) return false;
    core_.Call(source->vector);
    interrupts_.Entered(*source, memory_);
    if (Timers::Running(memory_)) Timers::Advance(memory_, 2);  // the hardware's LCALL
    cycles_ += 2;
    AdvanceSerial();
    return true;
}

// The timers count an instruction's machine cycles as the controls stood before it:
// what the instruction writes into a timer register stands after its last cycle.
void KX6500Chip::Execute() {
    const auto cycles = static_cast<unsigned>(Core8051::Cycles(core_.NextOpcode()));
    if (Timers::Running(memory_)) Timers::Advance(memory_, cycles);
    core_.Execute();
    cycles_ += cycles;
    ++instructions_;
    AdvanceSerial();
}

void KX6500Chip::AdvanceSerial() {
    if (uart0_.Busy()) uart0_.Advance(memory_, cycles_);
    if (uart1_.Busy()) uart1_.Advance(memory_, cycles_);
}

void KX6500Chip::Step() {
    EnterInterrupt();
    Execute();
}

KX6500Chip::Stop KX6500Chip::RunUntil(std::uint64_t cycle) {
    bool first = true;
    while (cycles_ < cycle) {
        if (watchCount_ && !first && Watched(Pc())) return Stop::Watch;
        first = false;
        if (EnterInterrupt() && watchCount_ && Watched(Pc())) return Stop::Watch;
        Execute();
    }
    return Stop::Cycles;
}

void KX6500Chip::Watch(std::uint16_t address, bool on) {
    if (Watched(address) == on) return;
    watches_[address >> 6] ^= std::uint64_t{1} << (address & 63);
    watchCount_ += on ? 1 : -1;
}

void KX6500Chip::ReturnFromInterrupt() {
    interrupts_.Returned();
    blockNext_ = true;
}

// ---- registers

void KX6500Chip::UpdateSpecial(std::uint8_t address) {
    core_.MarkSpecial(address, BuiltInSpecial(address) || readHooks_[Slot(address)] || writeHooks_[Slot(address)]);
}

std::uint8_t KX6500Chip::Read(std::uint8_t address) const {
    const std::uint8_t stored = address == LOCK ? radio_.ReadLock(memory_) : memory_.Sfr(address);
    const SfrReadHook& hook = readHooks_[Slot(address)];
    return hook ? hook(address, stored) : stored;
}

void KX6500Chip::Write(std::uint8_t address, std::uint8_t value) {
    const std::uint8_t old = memory_.Sfr(address);
    if (address == SBUF0) {
        uart0_.Transmit(value, cycles_);  // SBUF keeps the received byte
    } else if (address == SBUF1) {
        uart1_.Transmit(value, cycles_);
    } else {
        memory_.Sfr(address) = value;
    }
    if (address == IE || address == IP || address == EIE || address == EIP) blockNext_ = true;
    if (KX6500Radio::Follows(address)) radio_.Written(memory_, address, old, value);
    if (const SfrWriteHook& hook = writeHooks_[Slot(address)]) hook(address, value);
}

std::uint8_t KX6500Chip::ReadSpecial(std::uint8_t address) { return Read(address); }
void KX6500Chip::WriteSpecial(std::uint8_t address, std::uint8_t value) { Write(address, value); }

std::uint8_t KX6500Chip::ReadSfr(int address) const {
    if (address < 0x80 || address > 0xFF) return 0xFF;
    return Read(static_cast<std::uint8_t>(address));
}

void KX6500Chip::WriteSfr(int address, std::uint8_t value) {
    if (address < 0x80 || address > 0xFF) return;
    Write(static_cast<std::uint8_t>(address), value);
    std::uint8_t& psw = memory_.Sfr(PSW);
    psw = static_cast<std::uint8_t>((psw & ~kP) | (std::popcount(memory_.Sfr(ACC)) & 1));
}

void KX6500Chip::OnSfrRead(std::uint8_t address, SfrReadHook hook) {
    if (address < 0x80) return;
    readHooks_[Slot(address)] = std::move(hook);
    UpdateSpecial(address);
}

void KX6500Chip::OnSfrWrite(std::uint8_t address, SfrWriteHook hook) {
    if (address < 0x80) return;
    writeHooks_[Slot(address)] = std::move(hook);
    UpdateSpecial(address);
}

void KX6500Chip::SetIram(int address, std::uint8_t value) {
    if (address >= 0 && address < kIramSize) memory_.iram[static_cast<std::size_t>(address)] = value;
}

void KX6500Chip::SetXdata(int address, std::uint8_t value) {
    if (address >= 0 && address < kXdataSize) memory_.xdata[static_cast<std::size_t>(address)] = value;
}

// ---- flash

void KX6500Chip::FlashChanged() const {
    if (flashChanged_) flashChanged_();
}

void KX6500Chip::EraseChip() {
    memory_.flash.fill(0xFF);
    lockWire_ = 0x1F;
    FlashChanged();
}

bool KX6500Chip::PageWriteProtected(int page) const {
    const int k = (LockBits() >> 1) & 7;
    const int protectedBytes = ((1 << k) >> 1) * 512;
    return page * kPageSize >= kFlashSize - protectedBytes;
}

bool KX6500Chip::ErasePage(int page) {
    if (page < 0 || page >= kPages || PageWriteProtected(page)) return false;
    std::fill_n(memory_.flash.begin() + page * kPageSize, kPageSize, std::uint8_t{0xFF});
    FlashChanged();
    return true;
}

bool KX6500Chip::ProgramPage(int page, Page bytes) {
    if (page < 0 || page >= kPages || PageWriteProtected(page)) return false;
    std::uint8_t* target = memory_.flash.data() + page * kPageSize;
    for (int i = 0; i < kPageSize; ++i) target[i] &= bytes[static_cast<std::size_t>(i)];
    FlashChanged();
    return true;
}

void KX6500Chip::ProgramLockWire(std::uint8_t wire) {
    lockWire_ &= static_cast<std::uint8_t>(wire & 0x1F);
    FlashChanged();
}

void KX6500Chip::RestoreFlash(const FlashImage& image, std::uint8_t lockWire) {
    memory_.flash = image;
    lockWire_ = static_cast<std::uint8_t>(lockWire & 0x1F);
}

}  // namespace sim

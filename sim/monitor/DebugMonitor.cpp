#include "sim/monitor/DebugMonitor.h"

#include <array>

#include "common/Crc16.h"
#include "sim/chip/Sfr.h"
#include "sim/monitor/BootLoader.h"
#include "sim/monitor/MonitorContext.h"

namespace sim::monitor {

using namespace sfr;

namespace {

constexpr std::uint8_t kRefused = 0xFF, kDone = 0xF0, kStatusReply = 0x55;
constexpr std::uint8_t kRI = 0x01, kTI = 0x02;
constexpr std::uint8_t kFwif = 0x10;
constexpr int kMaxCount = 128;
constexpr int kStartUpMs = 50;  // after a power-on
constexpr int kFrameGapMs = 20;
// Bytes the UART can hold for a program that never lets the monitor take them.
constexpr std::size_t kReceiverBacklog = 4096;

// The memories the reads and write headers reach.
enum class Memory { Internal, Xdata, Code, Special };
struct Space {
    Memory memory;
    std::uint8_t readCommand, readReply, writeSpace;  // writeSpace 0: not writable
    int addressBytes, first, end;
};
constexpr Space kSpaces[] = {
    {Memory::Internal, 0x10, 0xE0, 0xAA, 1, 0x00, 0x80},
    {Memory::Xdata, 0x11, 0xE1, 0xCC, 2, 0x0000, KX6500Chip::kXdataSize},
    {Memory::Code, 0x12, 0xE2, 0x00, 2, 0x0000, KX6500Chip::kFlashSize},
    {Memory::Special, 0x14, 0xE4, 0xEE, 1, 0x80, 0x100},
};

const Space* SpaceForRead(std::uint8_t command) {
    for (const Space& s : kSpaces)
        if (s.readCommand == command) return &s;
    return nullptr;
}

const Space* SpaceForWrite(std::uint8_t space) {
    for (const Space& s : kSpaces)
        if (s.writeSpace != 0 && s.writeSpace == space) return &s;
    return nullptr;
}

bool InRange(const Space& s, int address, int count) {
    return count >= 1 && count <= kMaxCount && address >= s.first && address + count <= s.end;
}

std::uint8_t ReadByte(const KX6500Chip& chip, Memory m, int address) {
    switch (m) {
        case Memory::Internal: return chip.Iram(address);
        case Memory::Xdata: return chip.Xdata(address);
        case Memory::Code: return chip.Code(address);
        case Memory::Special: return chip.ReadSfr(address);
    }
    return 0xFF;
}

void WriteByte(KX6500Chip& chip, Memory m, int address, std::uint8_t value) {
    switch (m) {
        case Memory::Internal: chip.SetIram(address, value); break;
        case Memory::Xdata: chip.SetXdata(address, value); break;
        case Memory::Special: chip.WriteSfr(address, value); break;
        case Memory::Code: break;
    }
}

MonitorFrame Status(std::uint8_t value) { return {kStatusReply, {value}}; }
MonitorFrame Done() { return {kDone, {}}; }

}  // namespace

const DebugMonitor::Command DebugMonitor::kCommands[] = {
    {0x10, 2, &DebugMonitor::Read},        {0x11, 3, &DebugMonitor::Read},
    {0x12, 3, &DebugMonitor::Read},        {0x14, 2, &DebugMonitor::Read},
    {0x18, 0, &DebugMonitor::RegisterBuffer}, {0x1A, 1, &DebugMonitor::PageCrc},
    {0x20, 4, &DebugMonitor::Header},      {0x21, -1, &DebugMonitor::Data},
    {0x40, 1, &DebugMonitor::ProgramPage}, {0x41, 3, &DebugMonitor::LoadPage},
    {0x80, 0, &DebugMonitor::Step},        {0x81, 0, &DebugMonitor::EndStep},
    {0x82, 0, &DebugMonitor::PrepareRun},  {0x84, 0, &DebugMonitor::StartRun},
    {0x88, 0, &DebugMonitor::Stop},
};

DebugMonitor::DebugMonitor(KX6500Chip& chip, double clockMHz)
    : chip_(chip), clockMHz_(clockMHz), receiver_(MonitorMs(kFrameGapMs)) {
    for (std::uint16_t entry : {kResetEntry, kSerialEntry, kBreakpointEntry}) chip_.Watch(entry);
}

DebugMonitor::~DebugMonitor() {
    for (std::uint16_t entry : {kResetEntry, kSerialEntry, kBreakpointEntry}) chip_.Watch(entry, false);
}

std::uint64_t DebugMonitor::MonitorMs(int ms) const {
    return static_cast<std::uint64_t>(ms * usPerMonitorMs_);
}

MonitorStats DebugMonitor::Stats() const {
    MonitorStats s = stats_;
    s.incomplete = receiver_.Incomplete();
    return s;
}

std::vector<std::uint8_t> DebugMonitor::TakeTransmitted() {
    std::vector<std::uint8_t> program = chip_.Uart1().TakeTransmitted();
    if (program.empty()) {
        std::vector<std::uint8_t> bytes;
        bytes.swap(transmitted_);
        return bytes;
    }
    std::vector<std::uint8_t> bytes = std::move(transmitted_);
    transmitted_.clear();
    bytes.insert(bytes.end(), program.begin(), program.end());
    return bytes;
}

void DebugMonitor::Send(std::uint8_t code, std::span<const std::uint8_t> data) {
    const std::vector<std::uint8_t> wire = EncodeReply(code, data);
    transmitted_.insert(transmitted_.end(), wire.begin(), wire.end());
}

void DebugMonitor::SendStatus(std::uint8_t value) { Send(kStatusReply, std::array{value}); }

// ---- power, entries and resuming

void DebugMonitor::PowerOn(std::uint64_t) {
    chip_.PowerOn();
    state_ = State::Running;
    powerOnPending_ = true;
    resumeAsReti_ = false;
    stopUnreported_ = false;
    header_.reset();
    receiver_.Reset();
}

void DebugMonitor::Receive(std::uint8_t byte, std::uint64_t nowUs) {
    if (state_ == State::Running) {
        if (chip_.Uart1().Waiting() < kReceiverBacklog) chip_.Uart1().Receive(byte);
        return;
    }
    switch (receiver_.Take(byte, nowUs)) {
        case FrameReceiver::Result::Frame: Serve(receiver_.Frame(), nowUs); break;
        case FrameReceiver::Result::BadCrc: ++stats_.badCrc; break;
        case FrameReceiver::Result::Pending: break;
    }
}

// The reset entry: the monitor (re)starts. It sets up its UART and the interrupts it is
// entered through; from then on the program can take them away from it.
void DebugMonitor::StartUp(bool powerOn, std::uint64_t nowUs) {
    SaveContext(chip_, powerOn ? Entry::PowerOn : Entry::ResetJump);
    resumeAsReti_ = false;
    powerOnPending_ = false;
    stopUnreported_ = false;
    header_.reset();
    receiver_.Reset();
    chip_.Uart1().TakeWaiting();  // the receiver was off until now
    chip_.WriteSfr(SCON1, 0x50);  // mode 1, receiver on
    chip_.WriteSfr(TCON, static_cast<std::uint8_t>(chip_.ReadSfr(TCON) | 0x40));
    chip_.WriteSfr(IE, static_cast<std::uint8_t>(chip_.ReadSfr(IE) | 0xC0));
    chip_.WriteSfr(EICON, static_cast<std::uint8_t>(chip_.ReadSfr(EICON) | 0x20));
    // Its delays count on the clock the byte at 0x003A gives, its bit rate on the reload.
    const int clockByte = chip_.Code(kClockByte);
    usPerMonitorMs_ = 1000.0 * (clockByte ? clockByte : 1) * 0.8 / clockMHz_;
    receiver_.SetGap(MonitorMs(kFrameGapMs));
    bitRate_ = static_cast<int>(clockMHz_ * 1e6 / 64 / (256 - chip_.Code(kReloadByte)) + 0.5);
    state_ = powerOn ? State::Starting : State::Ready;
    readyAtUs_ = nowUs + MonitorMs(kStartUpMs);
}

// The serial interrupt with nothing received (the program's own transmission): the
// monitor clears the flag and returns to the program.
void DebugMonitor::HandBack() {
    chip_.WriteSfr(SCON1, static_cast<std::uint8_t>(chip_.ReadSfr(SCON1) & ~kTI));
    const std::uint8_t sp = chip_.ReadSfr(SP);
    const auto pc = static_cast<std::uint16_t>(chip_.Iram(sp) << 8 | chip_.Iram(sp - 1));
    chip_.WriteSfr(SP, static_cast<std::uint8_t>(sp - 2));
    chip_.EndInterruptLevel();
    chip_.SetPc(pc);
}

DebugMonitor::TakeOverResult DebugMonitor::TakeOver(std::uint16_t pc, std::uint64_t nowUs) {
    if (pc != kResetEntry && pc != kSerialEntry && pc != kBreakpointEntry) return TakeOverResult::NotAnEntry;
    if (!MonitorInstalled(chip_)) return TakeOverResult::NotAnEntry;
    switch (pc) {
        case kResetEntry: {
            const bool powerOn = powerOnPending_;
            StartUp(powerOn, nowUs);
            return powerOn ? TakeOverResult::Started : TakeOverResult::Stopped;
        }
        case kBreakpointEntry:
            chip_.WriteSfr(EICON, static_cast<std::uint8_t>(chip_.ReadSfr(EICON) & ~kFwif));
            SaveContext(chip_, Entry::Interrupt);
            resumeAsReti_ = true;
            state_ = State::Ready;
            return TakeOverResult::Stopped;
        case kSerialEntry: {
            if (!(chip_.ReadSfr(SCON1) & kRI)) {
                HandBack();
                return TakeOverResult::HandedBack;
            }
            handedOver_ = {chip_.ReadSfr(SBUF1)};
            const std::vector<std::uint8_t> waiting = chip_.Uart1().TakeWaiting();
            handedOver_.insert(handedOver_.end(), waiting.begin(), waiting.end());
            chip_.WriteSfr(SCON1, static_cast<std::uint8_t>(chip_.ReadSfr(SCON1) & ~kRI));
            SaveContext(chip_, Entry::Interrupt);
            resumeAsReti_ = true;
            stopUnreported_ = true;
            state_ = State::Ready;
            return TakeOverResult::Requested;
        }
        default: return TakeOverResult::NotAnEntry;
    }
}

void DebugMonitor::TakeHandedOver(std::uint64_t nowUs) {
    std::vector<std::uint8_t> bytes;
    bytes.swap(handedOver_);
    for (std::uint8_t b : bytes) Receive(b, nowUs);
}

void DebugMonitor::Run(std::uint64_t untilCycle, std::uint64_t nowUs) {
    while (state_ == State::Running && chip_.Cycles() < untilCycle) {
        if (chip_.RunUntil(untilCycle) == KX6500Chip::Stop::Cycles) break;
        switch (TakeOver(chip_.Pc(), nowUs)) {
            case TakeOverResult::Stopped: SendStatus(status::kStarting); break;  // unasked
            case TakeOverResult::Requested: TakeHandedOver(nowUs); break;
            case TakeOverResult::Started:
            case TakeOverResult::HandedBack:
            case TakeOverResult::NotAnEntry: break;
        }
    }
}

void DebugMonitor::Resume(bool forStep) {
    RestoreContext(chip_);
    if (resumeAsReti_) chip_.EndInterruptLevel();
    resumeAsReti_ = false;
    if (forStep) chip_.CancelInterruptHoldOff();
}

// ---- frames

std::uint8_t DebugMonitor::PollStatus(std::uint64_t nowUs) {
    switch (state_) {
        case State::Starting:
            if (nowUs < readyAtUs_) return status::kStarting;
            state_ = State::Ready;
            return status::kReady;
        case State::Ready:
            if (!stopUnreported_) return status::kReady;
            stopUnreported_ = false;
            return status::kStoppedOnRequest;
        case State::Stepped:
        case State::Prepared: return status::kStepped;
        case State::Running: break;
    }
    return status::kReady;
}

void DebugMonitor::Serve(const MonitorFrame& frame, std::uint64_t nowUs) {
    ++stats_.frames;
    if (state_ == State::Starting && nowUs >= readyAtUs_) state_ = State::Ready;
    if (frame.code == 0) {
        SendStatus(PollStatus(nowUs));
        return;
    }
    Reply reply;
    if (state_ != State::Starting) {
        for (const Command& c : kCommands) {
            if (c.code != frame.code) continue;
            if (c.length < 0 || static_cast<int>(frame.data.size()) == c.length) reply = (this->*c.serve)(frame);
            break;
        }
    }
    if (!reply) {
        ++stats_.refused;
        reply = MonitorFrame{kRefused, {}};
    }
    Send(reply->code, reply->data);
}

DebugMonitor::Reply DebugMonitor::Read(const MonitorFrame& request) {
    const Space* space = SpaceForRead(request.code);
    const auto& d = request.data;
    const int address = space->addressBytes == 2 ? d[0] << 8 | d[1] : d[0];
    const int count = d[static_cast<std::size_t>(space->addressBytes)];
    if (!InRange(*space, address, count)) return std::nullopt;
    MonitorFrame reply{space->readReply, {}};
    for (int i = 0; i < count; ++i) reply.data.push_back(ReadByte(chip_, space->memory, address + i));
    return reply;
}

DebugMonitor::Reply DebugMonitor::RegisterBuffer(const MonitorFrame&) {
    return MonitorFrame{0xE8, {static_cast<std::uint8_t>(kSaveArea >> 8), static_cast<std::uint8_t>(kSaveArea)}};
}

DebugMonitor::Reply DebugMonitor::PageCrc(const MonitorFrame& request) {
    const int page = request.data[0];
    const std::uint16_t crc = tessary::Crc16(
        std::span<const std::uint8_t>(chip_.Flash().data() + page * KX6500Chip::kPageSize, KX6500Chip::kPageSize));
    return MonitorFrame{0xEA, {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)}};
}

// A refused header leaves none in force, so that data meant for it go nowhere.
DebugMonitor::Reply DebugMonitor::Header(const MonitorFrame& request) {
    header_.reset();
    const auto& d = request.data;
    const Space* space = SpaceForWrite(d[0]);
    const int address = d[1] << 8 | d[2];
    if (!space || !InRange(*space, address, d[3])) return std::nullopt;
    header_ = WriteHeader{d[0], address, d[3]};
    return Done();
}

DebugMonitor::Reply DebugMonitor::Data(const MonitorFrame& request) {
    if (!header_ || static_cast<int>(request.data.size()) != header_->count) return std::nullopt;
    const Space* space = SpaceForWrite(header_->space);
    for (int i = 0; i < header_->count; ++i)
        WriteByte(chip_, space->memory, header_->address + i, request.data[static_cast<std::size_t>(i)]);
    return Done();
}

DebugMonitor::Reply DebugMonitor::ProgramPage(const MonitorFrame& request) {
    const int page = request.data[0];
    if (page >= kFirstMonitorPage) return std::nullopt;
    std::array<std::uint8_t, KX6500Chip::kPageSize> buffer;
    for (int i = 0; i < KX6500Chip::kPageSize; ++i) buffer[static_cast<std::size_t>(i)] = chip_.Xdata(i);
    if (!chip_.ErasePage(page) || !chip_.ProgramPage(page, buffer)) return std::nullopt;
    return Done();
}

DebugMonitor::Reply DebugMonitor::LoadPage(const MonitorFrame& request) {
    const auto& d = request.data;
    if (d[0] >= 0x80 || (d[1] != 0x00 && d[1] != 0x80) || d[2] != 0x80) return std::nullopt;
    const int address = d[0] << 8 | d[1];
    for (int i = 0; i < KX6500Chip::kPageSize; ++i) chip_.SetXdata(i, chip_.Code(address + i));
    return Done();
}

// One instruction of the program. A step already done and not yet ended by 0x81 is
// not done again, so a resent request does no harm.
DebugMonitor::Reply DebugMonitor::Step(const MonitorFrame&) {
    if (state_ == State::Stepped) return Status(status::kStepping);
    Resume(true);
    bool back = false;
    // The program's own serial interrupt returns at once; it cannot take the step.
    for (int tries = 0; tries < 4 && !back; ++tries) {
        chip_.Step();
        switch (TakeOver(chip_.Pc(), 0)) {
            case TakeOverResult::HandedBack: break;
            case TakeOverResult::NotAnEntry:
                SaveContext(chip_, Entry::AfterStep);
                back = true;
                break;
            default: back = true; break;
        }
    }
    if (!back) SaveContext(chip_, Entry::AfterStep);
    state_ = State::Stepped;
    stopUnreported_ = false;
    handedOver_.clear();
    return Status(status::kStepping);
}

DebugMonitor::Reply DebugMonitor::EndStep(const MonitorFrame&) {
    state_ = State::Ready;
    return Status(status::kReady);
}

DebugMonitor::Reply DebugMonitor::PrepareRun(const MonitorFrame&) {
    state_ = State::Prepared;
    return Status(status::kStepped);
}

DebugMonitor::Reply DebugMonitor::StartRun(const MonitorFrame&) {
    Resume(false);
    state_ = State::Running;
    stopUnreported_ = false;
    return Done();
}

DebugMonitor::Reply DebugMonitor::Stop(const MonitorFrame&) {
    state_ = State::Ready;
    stopUnreported_ = false;
    return Done();
}

}  // namespace sim::monitor

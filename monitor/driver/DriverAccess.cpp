// The target access of the entry points: memory, registers, the register page,
// breakpoints, run and step, under the access rule (try the mutex; while a run holds
// it, answer from the cache).
#include <chrono>
#include <thread>
#include <vector>

#include "monitor/driver/Messages.h"
#include "monitor/driver/MonitorDriver.h"

namespace kx6500mon {

void MonitorDriver::AfterAccess(Lock& lock) {
    if (link_.Failed()) {
        const bool removed = Disconnect();
        refreshPending_ = false;
        lock.unlock();
        if (!removed) notifier_.Show(messages::kCouldNotRemoveBreakpoints, Buttons::Ok);
        notifier_.Show(messages::kCommunicationFailure, Buttons::Ok);
        host_.Post(HOST_MSG_END_DEBUG, 0);
        return;
    }
    const bool refresh = refreshPending_;
    refreshPending_ = false;
    lock.unlock();
    if (refresh) RefreshHost();
}

HostRegisterBlock& MonitorDriver::Block() {
    return host_.record && host_.record->registers ? *host_.record->registers : ownBlock_;
}

HostRegisterBlock MonitorDriver::CopyBlock() {
    std::lock_guard lock(blockMutex_);
    return Block();
}

void MonitorDriver::StoreBlock(const HostRegisterBlock& block) {
    std::lock_guard lock(blockMutex_);
    Block() = block;
}

bool MonitorDriver::RefreshBlock() {
    HostRegisterBlock fresh = CopyBlock();
    if (!registers_.Refresh(fresh)) return false;
    StoreBlock(fresh);
    return true;
}

std::uint32_t MonitorDriver::MemAcc(std::uint32_t code, std::uint8_t* buffer, HostAddress* address,
                                    std::uint32_t count) {
    if (!address) return AG_NOT_ACCESSIBLE;
    address->errorAddress = address->address;
    if (code < AG_MEM_READ || code > AG_MEM_READ_CODE) return AG_UNKNOWN_CODE;
    if (code == AG_MEM_DOWNLOAD || (!buffer && count > 0)) return AG_NOT_ACCESSIBLE;
    std::uint32_t target = address->address;
    if (code == AG_MEM_READ_CODE) target = HOST_ADDRESS(HOST_SPACE_CODE, target);
    const std::span<std::uint8_t> bytes(buffer, count);

    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (code == AG_MEM_WRITE) return AG_NOT_ACCESSIBLE;
        // The program runs: what the cache holds is the answer.
        cache_.Peek(CacheSpaceOf(AreaOf(target)), HOST_OFFSET(target), bytes);
        address->errorAddress = 0;
        return AG_OK;
    }
    if (link_.Failed()) return AG_NOT_ACCESSIBLE;
    std::uint32_t result = 0;
    if (code == AG_MEM_WRITE) {
        result = memory_.Write(target, bytes, address->errorAddress);
        refreshPending_ = true;
    } else {
        result = memory_.Read(target, bytes, address->errorAddress);
    }
    AfterAccess(lock);
    return result;
}

std::uint32_t MonitorDriver::RegAcc(std::uint32_t code, std::uint32_t number, std::uint32_t* value) {
    if (code != 1 && code != 2) return AG_UNKNOWN_CODE;
    if (!value) return AG_NOT_ACCESSIBLE;
    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return AG_OK;  // the program runs: nothing to show or change
    if (link_.Failed()) return AG_NOT_ACCESSIBLE;
    std::uint32_t result = 0;
    if (code == 1) {
        HostRegisterBlock fresh = CopyBlock();
        result = registers_.Read(fresh, number, *value);
        if (result == AG_OK) StoreBlock(fresh);
    } else {
        result = registers_.Write(number, *value);
        refreshPending_ = true;
    }
    AfterAccess(lock);
    return result;
}

std::uint32_t MonitorDriver::AllReg(std::uint32_t code) {
    if (code != 1 && code != 2) return AG_UNKNOWN_CODE;
    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return AG_OK;
    if (link_.Failed()) return AG_NOT_ACCESSIBLE;
    bool ok = false;
    if (code == 1) {
        ok = RefreshBlock();
    } else {
        ok = registers_.WriteAll(CopyBlock());
        refreshPending_ = true;
    }
    AfterAccess(lock);
    return ok ? AG_OK : AG_NOT_ACCESSIBLE;
}

std::uint32_t MonitorDriver::MemAtt(std::uint32_t code, HostAttributeRequest* request) {
    if (code != 2) return 0;
    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || link_.Failed()) return 1;
    if (request && request->word) {
        bool present = false;
        *request->word = cache_.Attribute(request->address, present);
    }
    return 0;
}

std::uint32_t MonitorDriver::BpInfo(std::uint32_t code, HostBreakpoint*, std::uint32_t address) {
    if (link_.Failed()) return 0;
    return breakpoints_.BpInfo(code, address);
}

std::uint32_t MonitorDriver::BreakFunc(std::uint32_t code, HostBreakpoint* bp, std::uint32_t address) {
    if (link_.Failed()) return 0;
    return breakpoints_.BreakFunc(code, bp, address);
}

std::uint32_t MonitorDriver::GoStep(std::uint32_t code, std::uint32_t count, std::uint32_t address) {
    if (code == AG_GO_STOP) {
        // Waits for the run to let go of the target; a run may let go of the mutex for
        // a breakpoint's command and still be running.
        if (!running_) return 0;
        stopRequest_ = true;
        while (running_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 0;
    }
    if (code != AG_GO_STEP && code != AG_GO_UNTIL && code != AG_GO_RUN) return 0;
    Lock lock(mutex_);
    if (link_.Failed()) return 0;
    stopRequest_ = false;
    running_ = true;
    runLock_ = &lock;
    if (code == AG_GO_STEP)
        run_.Steps(count);
    else
        run_.Run(code == AG_GO_UNTIL ? std::optional<std::uint16_t>(HOST_OFFSET(address)) : std::nullopt);
    runLock_ = nullptr;
    if (!link_.Failed()) {
        const auto pc = registers_.ProgramCounter();
        if (pc && host_.pcVariable) *host_.pcVariable = *pc;
    }
    running_ = false;
    AfterAccess(lock);
    return 0;
}

void MonitorDriver::RunBreakpointCommand(const char* command) {
    // The command reads the stopped target through the entry points.
    if (runLock_) runLock_->unlock();
    host_.CallbackText(HOST_CB_COMMAND, command);
    if (runLock_) runLock_->lock();
}

const HostRegisterPage& MonitorDriver::Page() {
    static const HostRegisterPage page{RegisterPage::Rows().data(),
                                       static_cast<std::uint32_t>(RegisterPage::Rows().size()), &PageReadFn,
                                       &PageWriteFn};
    return page;
}

std::uint32_t MonitorDriver::PageReadFn(std::uint32_t id, char* text, std::uint32_t size) {
    return current_ ? current_->PageRead(id, text, size) : 0;
}

std::uint32_t MonitorDriver::PageWriteFn(std::uint32_t id, std::uint32_t value) {
    return current_ ? current_->PageWrite(id, value) : 1;
}

std::uint32_t MonitorDriver::PageRead(std::uint32_t id, char* text, std::uint32_t size) {
    {
        Lock lock(mutex_, std::try_to_lock);
        if (lock.owns_lock() && !link_.Failed()) {
            refreshing_ = true;
            RefreshBlock();
            refreshing_ = false;
            AfterAccess(lock);
        }
    }
    std::lock_guard lock(blockMutex_);
    return page_.Read(id, Block(), text, size) ? 1 : 0;
}

std::uint32_t MonitorDriver::PageWrite(std::uint32_t id, std::uint32_t value) {
    if (refreshing_) return 1;
    Lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || link_.Failed()) return 1;
    const RegisterPage::Target t = RegisterPage::Describe(id);
    auto writeSfr = [&](std::uint32_t sfr, std::span<const std::uint8_t> bytes) {
        std::uint32_t errorAddress = 0;
        return memory_.Write(HOST_ADDRESS(HOST_SPACE_DATA, sfr), bytes, errorAddress) == AG_OK;
    };
    const auto byte = static_cast<std::uint8_t>(value & 0xFF);
    bool ok = false;
    switch (t.kind) {
    case RegisterPage::Kind::Register: ok = registers_.Write(t.index, value) == AG_OK; break;
    case RegisterPage::Kind::ProgramCounter: ok = registers_.WriteProgramCounter(value & 0xFFFF); break;
    case RegisterPage::Kind::Word: {
        const std::uint8_t bytes[] = {byte, static_cast<std::uint8_t>((value >> 8) & 0xFF)};
        ok = writeSfr(t.index, bytes);
        break;
    }
    case RegisterPage::Kind::Byte: ok = writeSfr(t.index, std::span(&byte, 1)); break;
    case RegisterPage::Kind::Bit: {
        std::uint8_t current = 0;
        std::uint32_t errorAddress = 0;
        ok = memory_.Read(HOST_ADDRESS(HOST_SPACE_DATA, t.index), std::span(&current, 1), errorAddress) == AG_OK;
        const auto mask = static_cast<std::uint8_t>(1u << t.bit);
        const auto changed = static_cast<std::uint8_t>(value & 1 ? current | mask : current & ~mask);
        ok = ok && writeSfr(t.index, std::span(&changed, 1));
        break;
    }
    default: break;
    }
    if (ok) refreshPending_ = true;
    AfterAccess(lock);
    return ok ? 0 : 1;
}

}  // namespace kx6500mon

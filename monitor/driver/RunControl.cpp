#include "monitor/driver/RunControl.h"

#include <array>
#include <cstdio>

#include "monitor/driver/Messages.h"
#include "monitor/driver/SfrRules.h"

namespace kx6500mon {

namespace {

constexpr int kAttempts = 21;     // replies waited for, as the exchange does
constexpr int kReadyPolls = 20;   // polls until the monitor is no longer busy
constexpr int kStopPolls = 22;    // polls that ask a running program to stop
constexpr int kCheckMs = 20;      // how often a running program is looked at

}  // namespace

bool RunControl::Fail() {
    p_.link.SetFailed(true);
    return false;
}

bool RunControl::PollUntilReady(int firstByteTimeoutMs) {
    for (int i = 0; i < kReadyPolls; ++i) {
        const auto s = p_.link.PollStatus(firstByteTimeoutMs);
        if (s && !(*s & status::kBusy)) return true;
    }
    return false;
}

bool RunControl::LoadReplacement(std::uint8_t opcode, std::uint16_t address) {
    const std::uint8_t bytes[] = {opcode, static_cast<std::uint8_t>(address & 0xFF),
                                  static_cast<std::uint8_t>(address >> 8)};
    return p_.commands.WriteSaveArea(save::kRdata, bytes);
}

bool RunControl::ClearPendingFlags() {
    std::uint8_t value = 0;
    if (!p_.commands.ReadSfr(kSfrPendingFlags, 1, &value)) return false;
    const std::uint8_t cleared = static_cast<std::uint8_t>(value & ~status::kPendingFlags);
    return p_.commands.Write(space::kSfr, kSfrPendingFlags, std::span(&cleared, 1));
}

void RunControl::Steps(std::uint32_t count) {
    std::uint32_t limit = 100;
    bool shown = false;
    char text[64];
    std::snprintf(text, sizeof text, messages::kStepProgressFormat, static_cast<int>(count));
    auto progress = [&](std::uint32_t job, std::uint32_t position) {
        HostProgress p{job, text, limit, position};
        p_.host.Callback(HOST_CB_PROGRESS, &p);
    };
    for (std::uint32_t i = 1; i <= count && !p_.stopRequest; ++i) {
        if (i >= 10 && i % 10 == 0) {
            if (!shown) {
                progress(HOST_PROGRESS_START, 0);
                shown = true;
            } else if (i > limit * 3 / 4) {
                progress(HOST_PROGRESS_STOP, 0);
                limit *= 2;
                progress(HOST_PROGRESS_START, 0);
            }
            progress(HOST_PROGRESS_POSITION, i);
        }
        if (!Step()) break;
    }
    if (shown) progress(HOST_PROGRESS_STOP, 0);
}

bool RunControl::Step() {
    const auto pc = p_.commands.SavedPc();
    if (!pc) return Fail();
    // On a breakpoint the flash holds 0xA5: the chip executes the kept opcode instead.
    const bool replace = p_.map.InFlash(*pc);
    std::array<std::uint8_t, 3> kept{};
    if (replace) {
        const SaveArea* area = p_.commands.ReadSaveArea();
        if (!area) return Fail();
        std::copy_n(area->begin() + save::kRdata, kept.size(), kept.begin());
        if (!LoadReplacement(p_.map.Replaced(*pc), *pc)) return Fail();
    }
    std::uint8_t last = 0;
    bool ok = StepHandshake(last);
    p_.commands.InvalidateSaveArea();  // the monitor has saved the registers anew
    if (ok && replace) ok = p_.commands.WriteSaveArea(save::kRdata, kept);
    if (ok && (last & status::kPendingFlags)) ok = ClearPendingFlags();
    invalidate_();
    return ok || Fail();
}

bool RunControl::StepHandshake(std::uint8_t& last) {
    if (!p_.link.Send(cmd::kStep, {})) return false;
    std::optional<std::uint8_t> s;
    bool resynchronised = false;
    for (int i = 0; i < kAttempts && !(s && (*s & status::kNotRunning)); ++i) {
        s = p_.link.ReceiveStatus(200);
        if (!s) {
            // The answer was lost; the step itself is not repeated. The resynchronisation
            // has seen the monitor ready again.
            if (!p_.link.Resynchronise()) return false;
            resynchronised = true;
            break;
        }
    }
    if (!resynchronised) {
        if (!s || !(*s & status::kNotRunning)) return false;
        if (!(*s & status::kBusy)) p_.link.ReceiveStatus(200);
    }
    if (!PollUntilReady(5)) return false;

    if (!p_.link.Send(cmd::kEndStep, {})) return false;
    for (int i = 0; i < kAttempts; ++i) {
        s = p_.link.ReceiveStatus(50);
        if (!s) {
            if (!p_.link.Resynchronise() || !p_.link.Send(cmd::kEndStep, {})) return false;
            continue;
        }
        if (!(*s & status::kNotRunning)) {
            last = *s;
            return true;
        }
    }
    return false;
}

bool RunControl::ApplyBreakpoints() {
    const std::vector<std::uint16_t> wanted = p_.breakpoints.Wanted();
    switch (p_.memory.ApplyBreakpoints(wanted)) {
    case PageWrite::Ok: return true;
    case PageWrite::NotTaken: p_.host.Output(messages::kBreakpointsNotSet); return false;
    case PageWrite::LinkFailed: return Fail();
    }
    return false;
}

void RunControl::Run(std::optional<std::uint16_t> stopAddress) {
    if (p_.breakpoints.AnyConditional()) {
        p_.host.Output(messages::kConditionalWarning);
        RunByStepping(stopAddress);
        return;
    }
    while (!p_.stopRequest) {
        if (!ApplyBreakpoints()) return;
        const auto pc = p_.commands.SavedPc();
        if (!pc) return void(Fail());
        if (p_.map.InFlash(*pc) && !Step()) return;
        if (stopAddress && !LoadReplacement(kBreakOpcode, *stopAddress)) return void(Fail());
        const Stopped stopped = PrepareRun() ? Go() : Stopped::Failed;
        if (stopped == Stopped::Failed) {
            invalidate_();
            return void(Fail());
        }
        if (!Finish(stopped == Stopped::AtBreakpoint)) return void(Fail());
        if (stopAddress && !LoadReplacement(0, 0)) return void(Fail());
        const auto now = p_.registers.ProgramCounter();
        if (!now) return void(Fail());
        if (stopped == Stopped::OnRequest || (stopAddress && *now == *stopAddress)) return;
        if (AtBreakpoint(*now) == After::Stop) return;
    }
}

void RunControl::RunByStepping(std::optional<std::uint16_t> stopAddress) {
    while (!p_.stopRequest) {
        if (!Step()) return;
        const auto pc = p_.registers.ProgramCounter();
        if (!pc) return void(Fail());
        if (stopAddress && *pc == *stopAddress) return;
        if (p_.breakpoints.ExecutionAt(*pc) && AtBreakpoint(*pc) == After::Stop) return;
    }
}

RunControl::After RunControl::AtBreakpoint(std::uint16_t pc) {
    HostBreakpoint* bp = p_.breakpoints.ExecutionAt(pc);
    if (!bp) return After::Stop;
    if (bp->passCount > 0) {
        --bp->passCount;
        return After::Continue;
    }
    if (bp->command && *bp->command) {
        runCommand_(bp->command);
        return p_.link.Failed() ? After::Stop : After::Continue;
    }
    return After::Stop;
}

bool RunControl::PrepareRun() {
    if (!p_.link.Send(cmd::kPrepareRun, {})) return false;
    for (int i = 0; i < kAttempts; ++i) {
        const auto s = p_.link.ReceiveStatus(50);
        if (s && (*s & status::kNotRunning)) return true;
        if (!s && (!p_.link.Resynchronise() || !p_.link.Send(cmd::kPrepareRun, {}))) return false;
    }
    return false;
}

RunControl::Stopped RunControl::Go() {
    if (!p_.link.Send(cmd::kRun, {})) return Stopped::Failed;
    for (int i = 0; i < kAttempts; ++i) {
        const Received r = p_.link.Receive(200, 1);
        if (!r.Ok()) {
            if (!p_.link.Resynchronise() || !p_.link.Send(cmd::kStatusPoll, {})) return Stopped::Failed;
            continue;
        }
        if (r.frame.code == reply::kDone && r.frame.data.empty()) return WhileRunning();
        if (r.frame.code != reply::kStatus || r.frame.data.size() != 1) continue;
        const std::uint8_t s = r.frame.data[0];
        if (s & status::kNotRunning) {
            // Not started.
            if (p_.stopRequest) return Stopped::OnRequest;
        } else if (s & status::kStoppedOnRequest) {
            if (!PollUntilReady(50)) return Stopped::Failed;
            if (p_.stopRequest) return Stopped::OnRequest;
        } else {
            return PollUntilReady(50) ? Stopped::AtBreakpoint : Stopped::Failed;
        }
        if (!p_.link.Send(cmd::kRun, {})) return Stopped::Failed;
    }
    return Stopped::Failed;
}

RunControl::Stopped RunControl::WhileRunning() {
    for (;;) {
        if (p_.link.InputPending()) {
            // The monitor is back: the program hit a breakpoint.
            std::optional<std::uint8_t> s;
            for (int i = 0; i < kAttempts && !s; ++i) {
                s = p_.link.ReceiveStatus(50);
                if (!s) {
                    p_.clock.SleepMs(50);
                    p_.link.DiscardInput();
                }
            }
            if (!s || !PollUntilReady(50)) return Stopped::Failed;
            return Stopped::AtBreakpoint;
        }
        if (p_.stopRequest) {
            // A poll stops the program; it may have reached a breakpoint first.
            std::optional<std::uint8_t> s;
            for (int i = 0; i < kStopPolls && !s; ++i) s = p_.link.PollStatus(200);
            if (!s || !PollUntilReady(50)) return Stopped::Failed;
            return *s & status::kStoppedOnRequest ? Stopped::OnRequest : Stopped::AtBreakpoint;
        }
        p_.clock.SleepMs(kCheckMs);
    }
}

bool RunControl::Finish(bool rewind) {
    invalidate_();
    if (rewind) {
        // The address after an 0xA5 is never 0x0000: a monitor that saved that has been
        // entered from a power-on reset, so the target was reset while the program ran.
        const auto saved = p_.commands.SavedPc();
        if (!saved || *saved == 0x0000) return false;
        // The monitor saved the address after the 0xA5 it executed.
        const auto pc = p_.registers.ProgramCounter();
        if (!pc) return false;
        if (*pc != 0 && !p_.commands.WriteSavedPc(static_cast<std::uint16_t>(*pc - 1))) return false;
    }
    return ClearPendingFlags();
}

}  // namespace kx6500mon

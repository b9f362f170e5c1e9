#include "host/DebugCommands.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <list>
#include <memory>
#include <thread>
#include <vector>

#include "host/HostSession.h"
#include "host/core/TargetText.h"

namespace kxdebug {

namespace {

// Set by Ctrl-C on whichever thread takes the signal, read by the run's watcher.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch lock-free atomics");
void OnInterrupt(int) { g_interrupted = true; }

const char* ResultText(std::uint32_t result) {
    switch (result) {
    case AG_NOT_ACCESSIBLE: return "target not accessible";
    case AG_READ_ERROR: return "read error";
    case AG_WRITE_ERROR: return "write error";
    case AG_UNKNOWN_CODE: return "unknown code";
    default: return "failed";
    }
}

std::string Hex4(std::uint32_t v) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(v & 0xFFFF));
    return b;
}

// The host's breakpoint list: its entries and their command texts.
struct Breakpoint {
    HostBreakpoint entry{};
    std::string command;
};

struct DebugState {
    HostSession& session;
    std::list<Breakpoint> breakpoints;  // in the order they were set
    bool running = false;

    explicit DebugState(HostSession& s) : session(s) {}
    const MonitorApi& Monitor() const { return session.Monitor(); }

    void Relink() {
        HostBreakpoint* next = nullptr;
        for (auto it = breakpoints.rbegin(); it != breakpoints.rend(); ++it) {
            it->entry.next = next;
            it->entry.command = it->command.empty() ? nullptr : it->command.c_str();
            next = &it->entry;
        }
        session.Breakpoints() = next;
    }
    Breakpoint* Find(std::uint32_t address) {
        for (Breakpoint& b : breakpoints)
            if (HOST_OFFSET(b.entry.address) == address) return &b;
        return nullptr;
    }

    // A run or steps on this thread; after ms milliseconds (0: never) or on Ctrl-C
    // another thread asks the monitor to stop.
    bool Go(std::uint32_t code, std::uint32_t count, std::uint32_t address, unsigned long ms, std::ostream& out,
            std::string& error) {
        if (running) {
            error = "the program is running (a breakpoint's command cannot run it)";
            return false;
        }
        running = true;
        g_interrupted = false;
        struct sigaction action {}, previous {};
        action.sa_handler = &OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous);
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            const auto start = std::chrono::steady_clock::now();
            bool asked = false;
            while (!done) {
                asked = asked || g_interrupted ||
                        (ms > 0 && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(ms));
                // Asked again until the run is over: the first request may come before it began.
                if (asked) Monitor().GoStep(AG_GO_STOP, 0, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(asked ? 5 : 1));
            }
        });
        Monitor().GoStep(code, count, address);
        done = true;
        watcher.join();
        sigaction(SIGINT, &previous, nullptr);
        running = false;
        session.RefreshViews();
        if (session.EndRequested()) {
            error = "communication with the target failed";
            return false;
        }
        out << "stopped at " << Hex4(session.ProgramCounter()) << "\n";
        return true;
    }
};

bool WrongArguments(const HostCommand& c, std::string& error) {
    error = "usage: " + c.name + " " + c.usage;
    return false;
}

void AddMemoryCommands(const std::shared_ptr<DebugState>& state, CommandTable& table) {
    HostCommand read{"mem read", "S:ADDR LEN", "reads target memory (LEN bytes)", nullptr};
    read.handler = [state, read](const CommandArgs& args, std::ostream& out, std::string& error) {
        if (args.size() != 2) return WrongArguments(read, error);
        const auto at = ParseTargetAddress(args[0], error);
        if (!at) return false;
        const auto length = ParseDecimal(args[1]);
        if (!length || *length == 0 || *length > at->size - at->offset) {
            error = "'" + args[1] + "': the length must be 1 to " + std::to_string(at->size - at->offset);
            return false;
        }
        std::vector<std::uint8_t> bytes(*length);
        HostAddress address{at->Address(), 0};
        const std::uint32_t code = at->letter == 'C' ? AG_MEM_READ_CODE : AG_MEM_READ;
        const std::uint32_t result =
            state->Monitor().MemAcc(code, bytes.data(), &address, static_cast<std::uint32_t>(bytes.size()));
        if (result != AG_OK) {
            error = "mem read: result " + std::to_string(result) + " (" + ResultText(result) + ") at " +
                    std::string(1, at->letter) + ":" + Hex4(address.errorAddress);
            return false;
        }
        out << FormatMemoryLines(at->letter, at->offset, bytes);
        return true;
    };
    table.Add(read);

    HostCommand write{"mem write", "S:ADDR BYTE...", "writes bytes (hexadecimal) to target memory", nullptr};
    write.handler = [state, write](const CommandArgs& args, std::ostream&, std::string& error) {
        if (args.size() < 2) return WrongArguments(write, error);
        const auto at = ParseTargetAddress(args[0], error);
        if (!at) return false;
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 1; i < args.size(); ++i) {
            const auto b = ParseHex(args[i]);
            if (!b || *b > 0xFF) {
                error = "'" + args[i] + "' is not a byte (hexadecimal 00 to FF)";
                return false;
            }
            bytes.push_back(static_cast<std::uint8_t>(*b));
        }
        if (bytes.size() > at->size - at->offset) {
            error = "the bytes run past the end of the space";
            return false;
        }
        HostAddress address{at->Address(), 0};
        const std::uint32_t result =
            state->Monitor().MemAcc(AG_MEM_WRITE, bytes.data(), &address, static_cast<std::uint32_t>(bytes.size()));
        if (result != AG_OK) {
            error = "mem write: result " + std::to_string(result) + " (" + ResultText(result) + ") at " +
                    std::string(1, at->letter) + ":" + Hex4(address.errorAddress);
            return false;
        }
        return true;
    };
    table.Add(write);
}

void AddRegisterCommands(const std::shared_ptr<DebugState>& state, CommandTable& table) {
    HostSession& session = state->session;
    table.Add({"reg", "", "shows the registers",
               [state, &session](const CommandArgs& args, std::ostream& out, std::string& error) {
                   if (!args.empty()) {
                       error = "usage: reg, or reg set NAME VALUE";
                       return false;
                   }
                   if (const std::uint32_t r = state->Monitor().AllReg(1, nullptr); r != AG_OK) {
                       error = "reg: result " + std::to_string(r) + " (" + ResultText(r) + ")";
                       return false;
                   }
                   out << FormatRegisters(session.Registers()) << "\n";
                   return true;
               }});

    HostCommand set{"reg set", "NAME VALUE", "sets R0-R7, A, DPTR or PC (VALUE hexadecimal)", nullptr};
    set.handler = [state, set](const CommandArgs& args, std::ostream&, std::string& error) {
        if (args.size() != 2) return WrongArguments(set, error);
        const auto number = RegisterNumber(args[0]);
        if (!number) {
            error = "'" + args[0] + "' is not a register (R0-R7, A, DPTR, PC)";
            return false;
        }
        const unsigned long limit = *number == 24 || *number == 0x500 ? 0xFFFF : 0xFF;
        const auto value = ParseHex(args[1]);
        if (!value || *value > limit) {
            error = "'" + args[1] + "': the value must be hexadecimal up to " + (limit == 0xFF ? "FF" : "FFFF");
            return false;
        }
        std::uint32_t v = static_cast<std::uint32_t>(*value);
        if (*number == 0x500) v = HOST_ADDRESS(HOST_SPACE_CODE, v);
        if (const std::uint32_t r = state->Monitor().RegAcc(2, *number, &v); r != AG_OK) {
            error = "reg set: result " + std::to_string(r) + " (" + ResultText(r) + ")";
            return false;
        }
        return true;
    };
    table.Add(set);

    table.Add({"regs", "", "shows the monitor's register page (* marks a changed value)",
               [&session](const CommandArgs&, std::ostream& out, std::string& error) {
                   const HostRegisterPage* page = session.RegisterPage();
                   if (!page || !page->read) {
                       error = "the monitor has handed over no register page";
                       return false;
                   }
                   for (std::uint32_t i = 0; i < page->count; ++i) {
                       const HostRegisterRow& row = page->rows[i];
                       char text[64] = "";
                       const bool changed = page->read(row.id, text, sizeof text) != 0;
                       out << std::string(2 * row.level, ' ') << (row.name ? row.name : "");
                       if (*text) out << ' ' << text;
                       out << (changed ? " *" : "") << "\n";
                   }
                   return true;
               }});
}

void AddBreakpointCommands(const std::shared_ptr<DebugState>& state, CommandTable& table) {
    HostCommand add{"break", "ADDR [pass N] [do COMMAND...]",
                    "sets a breakpoint (passed N times first; a command runs when it is hit)", nullptr};
    add.handler = [state, add](const CommandArgs& args, std::ostream&, std::string& error) {
        if (args.empty()) return WrongArguments(add, error);
        const auto address = ParseHex(args[0]);
        if (!address || *address > 0xFFFF) {
            error = "'" + args[0] + "' is not a code address (hexadecimal 0000 to FFFF)";
            return false;
        }
        unsigned long pass = 0;
        std::string command;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "pass" && i + 1 < args.size() && ParseDecimal(args[i + 1])) {
                pass = *ParseDecimal(args[++i]);
            } else if (args[i] == "do" && i + 1 < args.size()) {
                command = args.RestFrom(i + 1);
                break;
            } else {
                return WrongArguments(add, error);
            }
        }
        const auto offset = static_cast<std::uint32_t>(*address);
        if (Breakpoint* existing = state->Find(offset)) {
            existing->entry.passCount = static_cast<std::uint32_t>(pass);
            existing->command = command;
            state->Relink();
            return true;
        }
        Breakpoint bp;
        bp.entry.address = HOST_ADDRESS(HOST_SPACE_CODE, offset);
        bp.entry.flags = HOST_BP_ACTIVE;
        bp.entry.passCount = static_cast<std::uint32_t>(pass);
        bp.command = command;
        if (state->Monitor().BreakFunc(5, &bp.entry, bp.entry.address) == 0) {
            error = "the monitor refused a breakpoint at " + Hex4(offset);
            return false;
        }
        state->breakpoints.push_back(std::move(bp));
        state->Relink();
        HostBreakpoint& entry = state->breakpoints.back().entry;
        state->Monitor().BreakFunc(1, &entry, entry.address);
        return true;
    };
    table.Add(add);

    table.Add({"unbreak", "ADDR", "removes the breakpoint at ADDR",
               [state](const CommandArgs& args, std::ostream&, std::string& error) {
                   const auto address = args.size() == 1 ? ParseHex(args[0]) : std::nullopt;
                   Breakpoint* bp = address ? state->Find(static_cast<std::uint32_t>(*address)) : nullptr;
                   if (!bp) {
                       error = args.size() == 1 ? "no breakpoint at " + args[0] : "usage: unbreak ADDR";
                       return false;
                   }
                   state->Monitor().BreakFunc(2, &bp->entry, bp->entry.address);
                   state->breakpoints.remove_if([bp](const Breakpoint& b) { return &b == bp; });
                   state->Relink();
                   return true;
               }});

    table.Add({"breaks", "", "lists the breakpoints", [state](const CommandArgs&, std::ostream& out, std::string&) {
                   for (const Breakpoint& b : state->breakpoints) {
                       out << Hex4(b.entry.address) << ((b.entry.flags & HOST_BP_ACTIVE) ? " enabled" : " disabled")
                           << " pass " << b.entry.passCount << "\n";
                   }
                   return true;
               }});
}

void AddRunCommands(const std::shared_ptr<DebugState>& state, CommandTable& table) {
    HostCommand go{"go", "[ADDR] [max MS]", "runs the program (to ADDR; stopped after MS ms or by Ctrl-C)", nullptr};
    go.handler = [state, go](const CommandArgs& args, std::ostream& out, std::string& error) {
        std::optional<unsigned long> address;
        unsigned long ms = 0;
        std::size_t i = 0;
        if (i < args.size() && args[i] != "max") {
            address = ParseHex(args[i++]);
            if (!address || *address > 0xFFFF) return WrongArguments(go, error);
        }
        if (i < args.size()) {
            const auto limit = i + 2 == args.size() && args[i] == "max" ? ParseDecimal(args[i + 1]) : std::nullopt;
            if (!limit) return WrongArguments(go, error);
            ms = *limit;
        }
        if (address)
            return state->Go(AG_GO_UNTIL, 0, HOST_ADDRESS(HOST_SPACE_CODE, *address), ms, out, error);
        return state->Go(AG_GO_RUN, 0, 0, ms, out, error);
    };
    table.Add(go);

    HostCommand step{"step", "[N]", "single-steps N instructions (1 unless given)", nullptr};
    step.handler = [state, step](const CommandArgs& args, std::ostream& out, std::string& error) {
        const auto n = args.empty() ? std::optional<unsigned long>(1) : ParseDecimal(args[0]);
        if (args.size() > 1 || !n || *n == 0 || *n > 0xFFFFFFFFul) return WrongArguments(step, error);
        return state->Go(AG_GO_STEP, static_cast<std::uint32_t>(*n), 0, 0, out, error);
    };
    table.Add(step);

    table.Add({"invalidate", "", "forgets the target values the host holds (the monitor's \"Invalidate Cache\")",
               [state](const CommandArgs&, std::ostream&, std::string& error) {
                   if (state->session.ChooseMonitorMenuItem("Invalidate Cache")) return true;
                   error = "the monitor offers no \"Invalidate Cache\" item";
                   return false;
               }});
}

}  // namespace

void AddDebugCommands(HostSession& session) {
    auto state = std::make_shared<DebugState>(session);
    CommandTable& table = session.Commands();
    AddMemoryCommands(state, table);
    AddRegisterCommands(state, table);
    AddBreakpointCommands(state, table);
    AddRunCommands(state, table);
}

}  // namespace kxdebug

#include "tests/sim/S51.h"

#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <sstream>

namespace simtest {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "0xADDR hh hh ... hh " with sixteen values. The echo of the commands can run into
// the first line of a dump, so the line is searched, not read from its start.
bool DumpLine(const std::string& line, int& base, std::size_t& digits, std::array<int, 16>& values) {
    for (std::size_t at = line.find("0x"); at != std::string::npos; at = line.find("0x", at + 1)) {
        std::size_t p = at + 2;
        base = 0;
        while (p < line.size() && HexDigit(line[p]) >= 0) base = base * 16 + HexDigit(line[p++]);
        digits = p - at - 2;
        if (digits != 2 && digits != 4) continue;
        int i = 0;
        for (; i < 16; ++i, p += 3) {
            if (p + 3 > line.size() || line[p] != ' ' || HexDigit(line[p + 1]) < 0 || HexDigit(line[p + 2]) < 0) break;
            values[static_cast<std::size_t>(i)] = HexDigit(line[p + 1]) * 16 + HexDigit(line[p + 2]);
        }
        if (i == 16 && p < line.size() && line[p] == ' ') return true;
    }
    return false;
}

}  // namespace

bool RunS51(const std::vector<S51Run>& runs, const std::string& workDir, std::vector<MachineState>& states,
            std::string& error) {
    const std::string script = workDir + "/s51.cmd";
    {
        std::ofstream out(script);
        for (const S51Run& run : runs) {
            out << "reset\nfill iram 0 0x7f 0\nfill xram 0 0x7ff 0\nfill rom 0 0xffff 0xff\n"
                << "file \"" << run.hexPath << "\"\nstep " << run.steps << "\nstate\n"
                << "dump /h iram 0 0x7f 16\ndump /h sfr 0x80 0xff 16\ndump /h xram 0 0x7ff 16\n";
        }
        out << "quit\n";
    }
    const std::string command = "s51 -t 8051 -b -q < " + script + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        error = "cannot start s51";
        return false;
    }
    std::string output;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = pclose(pipe);
    if (status != 0) {
        error = "s51 failed (is the Debian package sdcc-ucsim installed?): " + output.substr(0, 300);
        return false;
    }
    states.clear();
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (const auto at = line.find("CPU state="); at != std::string::npos) {
            const auto pc = line.find("PC= 0x", at);
            if (pc == std::string::npos) continue;
            states.emplace_back();
            states.back().pc = static_cast<int>(std::strtol(line.c_str() + pc + 6, nullptr, 16));
        } else if (line.find("Total time since last reset=") != std::string::npos && !states.empty()) {
            const auto open = line.rfind('(');
            if (open != std::string::npos) states.back().cycles = std::strtoull(line.c_str() + open + 1, nullptr, 10) / 12;
        } else if (!states.empty()) {
            int base = 0;
            std::size_t digits = 0;
            std::array<int, 16> values{};
            if (DumpLine(line, base, digits, values)) {
                MachineState& s = states.back();
                for (int i = 0; i < 16; ++i) {
                    if (digits == 4) s.xdata[static_cast<std::size_t>(base + i)] = values[static_cast<std::size_t>(i)];
                    else if (base < 0x80) s.iram[static_cast<std::size_t>(base + i)] = values[static_cast<std::size_t>(i)];
                    else s.sfr[static_cast<std::size_t>(base - 0x80 + i)] = values[static_cast<std::size_t>(i)];
                }
            }
        }
    }
    if (states.size() != runs.size()) {
        error = "s51 reported " + std::to_string(states.size()) + " states for " + std::to_string(runs.size()) + " runs";
        return false;
    }
    return true;
}

}  // namespace simtest

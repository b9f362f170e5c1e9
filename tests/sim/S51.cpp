#include "tests/sim/S51.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace simtest {

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
    static const std::regex pc(R"(CPU state= \S+ PC= 0x([0-9a-fA-F]+))");
    static const std::regex clocks(R"(Total time since last reset= \S+ sec \((\d+) clks\))");
    // The echo of the commands can run into the first line of a dump.
    static const std::regex dump(R"(0x([0-9a-f]+)((?: [0-9a-f]{2}){16}) )");
    states.clear();
    std::istringstream lines(output);
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, m, pc)) {
            states.emplace_back();
            states.back().pc = std::stoi(m[1], nullptr, 16);
        } else if (std::regex_search(line, m, clocks) && !states.empty()) {
            states.back().cycles = std::stoull(m[1]) / 12;
        } else if (std::regex_search(line, m, dump) && !states.empty()) {
            const std::string address = m[1];
            const int base = std::stoi(address, nullptr, 16);
            std::istringstream values(m[2]);
            MachineState& s = states.back();
            for (int i = 0; i < 16; ++i) {
                std::string v;
                values >> v;
                const int value = std::stoi(v, nullptr, 16);
                if (address.size() == 4) s.xdata[static_cast<std::size_t>(base + i)] = value;
                else if (base < 0x80) s.iram[static_cast<std::size_t>(base + i)] = value;
                else s.sfr[static_cast<std::size_t>(base - 0x80 + i)] = value;
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

#pragma once
// Running tessary-calc from a test: in this process through RunCalc, or the installed
// program through a shell; and a fixture with a folder of its own per test.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/FileIo.h"
#include "tools/tessary-calc/CalcRun.h"

namespace tessary::calctest {

namespace fs = std::filesystem;


struct CalcResult {
    int status;
    std::string out, err;
};

inline CalcResult Calc(std::vector<std::string> args) {
    CalcOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--device") o.device = args[++i];
        else if (a == "--open") o.open = args[++i];
        else if (a == "--set") o.sets.push_back(args[++i]);
        else if (a == "--json") o.json = true;
        else if (a == "--save") o.save = args[++i];
        else if (a == "--eep-save") o.eepSave = args[++i];
        else if (a == "--eep-load") o.eepLoad = args[++i];
        else if (a == "--download") o.download = true;
        else if (a == "--chip-reset") o.chipReset = true;
        else if (a == "--calibrate") o.calibrate = true;
        else if (a == "--read-back") o.readBack = true;
        else if (a == "--lock") o.lock = true;
        else if (a == "--report") {
            o.reports.emplace_back(args[i + 1], args[i + 2]);
            i += 2;
        }
    }
    std::ostringstream out, err;
    const int status = RunCalc(o, out, err);
    return {status, out.str(), err.str()};
}

// The installed program, through a shell, for what only the real binary shows.
inline CalcResult Program(const std::string& args) {
    const char* bin = std::getenv("TESSARY_BIN");
    const std::string errFile = (fs::temp_directory_path() / "tessary_calc_stderr.txt").string();
    const std::string command = std::string(bin ? bin : "build/bin") + "/tessary-calc " + args + " 2>" + errFile;
    CalcResult run{};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, "", "popen failed"};
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::vector<std::uint8_t> err;
    std::string ignored;
    ReadWholeFile(errFile, err, ignored);
    run.err.assign(err.begin(), err.end());
    return run;
}

class TessaryCalc : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_calc_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

}  // namespace tessary::calctest

#pragma once
// kx6500-debug with the real KX6500MON plug-in, connected through a pseudo-terminal to
// a fake monitor in the test's process, with a trace folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/HostProcess.h"
#include "tests/monitor/PtyPeer.h"

namespace kxdebug::testing {

namespace fs = std::filesystem;
using kx6500mon::testing::PtyPeer;

class DebugHost : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary_debughost_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        env["TESSARY_TRACE_DIR"] = dir.string();
        env["KX6500MON_COM1"] = peer.SlavePath();
        for (int n = 2; n <= 8; ++n) env["KX6500MON_COM" + std::to_string(n)] = "";
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Trace() const {
        std::ifstream in(dir / "kx6500mon.dmp");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    struct Run {
        int status;
        std::string out, err;
    };
    Run Host(const std::string& input, std::vector<std::string> args = {}) {
        args.insert(args.begin(), HostProgram());
        HostProcess p(args, env);
        p.Write(input);
        const int status = p.Finish();
        return {status, p.out, p.err};
    }
    std::string Plugin(const char* name) const {
        const char* bin = std::getenv("TESSARY_BIN");
        return (fs::path(bin ? bin : "build/bin").parent_path() / "lib" / name).string();
    }

    PtyPeer peer;
    fs::path dir;
    std::map<std::string, std::string> env;
};

}  // namespace kxdebug::testing

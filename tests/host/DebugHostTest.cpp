// kx6500-debug with the real KX6500MON plug-in, connected through a pseudo-terminal to
// a fake monitor in this process.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/host/DebugHostFixture.h"

using kx6500mon::testing::FakeMonitor;
using kxdebug::testing::DebugHost;
using kxdebug::testing::HostProcess;
using kxdebug::testing::HostProgram;
namespace fs = std::filesystem;

TEST_F(DebugHost, ConnectsRunsCommandsAndEndsCleanly) {
    const Run r = Host("# a comment\n\necho hello  world\nquit\necho never\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "hello  world\noptions -S1 -B57600 -O0\n");
    const std::string trace = Trace();
    EXPECT_NE(trace.find("PC->KX6500: 88.00 "), std::string::npos) << trace;
    EXPECT_NE(trace.find("KX6500->PC: f0.00 "), std::string::npos);
    EXPECT_NE(trace.find("PC->KX6500: 00\n"), std::string::npos);
}

TEST_F(DebugHost, OptionsChoosePortAndAreWrittenBack) {
    env["KX6500MON_COM1"] = "/nonexistent/tty";
    env["KX6500MON_COM2"] = peer.SlavePath();
    const Run r = Host("", {"--options", "-S2 -B1200 -O1", "--clock", "3000000"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "options -S2 -B9600 -O1\n");  // the rate follows the clock
}

TEST_F(DebugHost, CommandsRunAsSoonAsTheyAreRead) {
    HostProcess p({HostProgram()}, env);
    p.Write("echo one\n");
    EXPECT_EQ(p.ReadLine(10000), "one");
    p.Write("nosuch\n");
    EXPECT_EQ(p.ReadLine(5000), "error: unknown command 'nosuch' (help lists the commands)");
    p.Write("echo two\n");
    EXPECT_EQ(p.ReadLine(5000), "two");
    EXPECT_EQ(p.Finish(), 2);  // a command failed; end of input is quit
    EXPECT_NE(p.out.find("options -S1 -B57600 -O0\n"), std::string::npos);
}

TEST_F(DebugHost, MissingPortEndsWithTheMessageAndStatus3) {
    env["KX6500MON_COM1"] = "/nonexistent/tty";
    const Run r = Host("echo not run\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("KX6500 Debugger Notification: The selected COM port is not available!\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("not run"), std::string::npos);
}

TEST_F(DebugHost, SilentTargetCannotBeConnected) {
    peer.With([](FakeMonitor& m) { m.silent = true; });
    const Run r = Host("echo not run\n");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("KX6500 Debugger Notification: Cannot connect to target! Please make sure that: 1. The "
                         "KX6500 Debug device is selected."),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("not run"), std::string::npos);
    EXPECT_NE(Trace().find("PC->KX6500: HARD RESET"), std::string::npos);
}

TEST_F(DebugHost, PluginErrorsAndUsage) {
    Run r = Host("", {"--monitor", (dir / "none.so").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("none.so: no such file"), std::string::npos) << r.err;
    r = Host("", {"--monitor", Plugin("fake_plugin.so")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("fake_plugin.so: missing export DllUv3Cap"), std::string::npos) << r.err;
    r = Host("", {"--clock"});
    EXPECT_EQ(r.status, 1);
    r = Host("", {"--script", (dir / "none.txt").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot be read"), std::string::npos);
    r = Host("", {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--monitor"), std::string::npos);
}

TEST_F(DebugHost, ScriptFileAndDisplayPluginAttachedAndDetached) {
    const fs::path script = dir / "commands.txt";
    std::ofstream(script) << "echo from the script\n";
    env["FAKE_PLUGIN_LOG"] = (dir / "display.log").string();
    const Run r = Host("echo from standard input\n", {"--script", script.string(), "--display", Plugin("fake_plugin.so")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "from the script\noptions -S1 -B57600 -O0\n");
    std::ifstream log(dir / "display.log");
    std::stringstream s;
    s << log.rdbuf();
    // Attached before debugging starts; the connect's refresh updates its views.
    EXPECT_EQ(s.str(), "attach\nupdate\ndetach\n");
}

#pragma once
// kx6500-sim serving its monitor, as a child process of a test: started with the
// arguments given, its pseudo-terminal's path taken from the first line it prints.
// The destructor kills it if it still runs, and the kernel kills it when the test
// process dies first, so that no test leaves a simulator behind, even a failing one.

#include <map>
#include <string>
#include <vector>

namespace tessary::testing {

class SimProcess {
public:
    // env: variables to set (an empty value unsets one).
    explicit SimProcess(const std::vector<std::string>& args = {}, const std::map<std::string, std::string>& env = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The simulator printed its pseudo-terminal's path.
    bool Started() const { return !pty_.empty(); }
    const std::string& PtyPath() const { return pty_; }
    // What it wrote to standard output and error so far (all of it after Stop).
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }
    void Signal(int signal) const;
    // SIGTERM, then the exit status (-1 when it had to be killed after 30 s).
    int Stop();
    // Waits for it to end by itself (up to timeoutMs, then kills it): the exit status.
    int Wait(int timeoutMs = 30000);

private:
    void Collect(int timeoutMs);
    int pid_ = -1;
    int out_fd_ = -1, err_fd_ = -1;
    std::string pty_, out_, err_;
};

// The program in the build's bin folder.
std::string SimProgram();

}  // namespace tessary::testing

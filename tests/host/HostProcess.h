#pragma once
// kx6500-debug as a child process with pipes on all three standard streams, so that a
// test can feed it commands line by line and read the results as they come.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kxdebug::testing {

class HostProcess {
public:
    HostProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env);
    ~HostProcess();
    void Write(const std::string& text);
    void CloseInput();
    // Sends a signal to the program (SIGINT: Ctrl-C).
    void Signal(int signal);
    // One line of standard output (without its line end), or nothing within timeoutMs.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Closes the input, collects what is left on both outputs, and answers the exit
    // status (-1 when killed).
    int Finish();
    std::string out, err;  // everything read so far, after Finish all of it

private:
    void Drain(int fd, std::string& into, int timeoutMs);
    int pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    std::size_t lineStart_ = 0;
};

// The program in the build's bin folder.
std::string HostProgram();

}  // namespace kxdebug::testing

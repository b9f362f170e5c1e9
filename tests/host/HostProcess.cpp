#include "tests/host/HostProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace kxdebug::testing {

std::string HostProgram() {
    const char* bin = std::getenv("TESSARY_BIN");
    return std::string(bin ? bin : "build/bin") + "/kx6500-debug";
}

HostProcess::HostProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    int in[2], outPipe[2], errPipe[2];
    if (pipe(in) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) return;
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('=')))) envText.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty()) envText.push_back(name + "=" + value);  // an empty value unsets
    std::vector<char*> argv, envp;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {in[0], in[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    in_ = in[1];
    out_ = outPipe[0];
    err_ = errPipe[0];
    signal(SIGPIPE, SIG_IGN);
}

HostProcess::~HostProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {in_, out_, err_})
        if (fd >= 0) close(fd);
}

void HostProcess::Write(const std::string& text) {
    if (in_ >= 0 && ::write(in_, text.data(), text.size()) < 0) CloseInput();
}

void HostProcess::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

void HostProcess::CloseInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

std::optional<std::string> HostProcess::ReadLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        const auto end = out.find('\n', lineStart_);
        if (end != std::string::npos) {
            std::string line = out.substr(lineStart_, end - lineStart_);
            lineStart_ = end + 1;
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || out_ < 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(out_, buffer, sizeof buffer);
        if (n <= 0) return std::nullopt;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

void HostProcess::Drain(int fd, std::string& into, int timeoutMs) {
    char buffer[4096];
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return;
        into.append(buffer, static_cast<std::size_t>(n));
    }
}

int HostProcess::Finish() {
    CloseInput();
    // Both pipes are read until the program closes them (it has 30 s to end).
    std::string* targets[] = {&out, &err};
    int fds[] = {out_, err_};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int open = 2;
    while (open > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (poll(p, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || !(p[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n > 0) {
                targets[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i]);
                fds[i] = -1;
                --open;
            }
        }
    }
    out_ = fds[0];
    err_ = fds[1];
    int status = 0;
    if (open > 0) kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kxdebug::testing

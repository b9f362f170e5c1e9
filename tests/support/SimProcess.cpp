#include "tests/support/SimProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

extern char** environ;

namespace tessary::testing {

std::string SimProgram() {
    const char* bin = std::getenv("TESSARY_BIN");
    return std::string(bin ? bin : "build/bin") + "/kx6500-sim";
}

SimProcess::SimProcess(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0) return;
    if (pipe(errPipe) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return;
    }
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('=')))) envText.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty()) envText.push_back(name + "=" + value);
    std::vector<std::string> argText{SimProgram()};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : argText) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    out_fd_ = outPipe[0];
    err_fd_ = errPipe[0];
    if (pid_ < 0) return;
    // The first line is the pseudo-terminal (or nothing, when the simulator refused).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (out_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out_fd_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(out_fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        out_.append(buffer, static_cast<std::size_t>(n));
    }
    if (const auto end = out_.find('\n'); end != std::string::npos) pty_ = out_.substr(0, end);
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {out_fd_, err_fd_})
        if (fd >= 0) close(fd);
}

void SimProcess::Signal(int signal) const {
    if (pid_ > 0) kill(pid_, signal);
}

void SimProcess::Collect(int timeoutMs) {
    int fds[] = {out_fd_, err_fd_};
    std::string* into[] = {&out_, &err_};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while ((fds[0] >= 0 || fds[1] >= 0) && std::chrono::steady_clock::now() < deadline) {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        if (poll(p, 2, 100) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i] < 0 || !(p[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i], buffer, sizeof buffer);
            if (n > 0) {
                into[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i]);
                fds[i] = -1;
            }
        }
    }
    out_fd_ = fds[0];
    err_fd_ = fds[1];
}

int SimProcess::Wait(int timeoutMs) {
    if (pid_ <= 0) return -1;
    Collect(timeoutMs);
    int status = 0;
    if (out_fd_ >= 0 || err_fd_ >= 0) kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int SimProcess::Stop() {
    Signal(SIGTERM);
    return Wait();
}

}  // namespace tessary::testing

#pragma once
// The plug-in's clock, trace file and message boxes.

#include <cstdio>
#include <mutex>
#include <string>

#include "monitor/core/Seams.h"
#include "monitor/driver/HostLinks.h"

namespace kx6500mon {

class SystemClock : public Clock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(int ms) override;
};

// kx6500mon.dmp in $TESSARY_TRACE_DIR, else the temporary folder; replaced at the
// process's first line and flushed after each.
std::string TraceFilePath();

class TraceFile : public TraceOutput {
public:
    explicit TraceFile(std::string path) : path_(std::move(path)) {}
    ~TraceFile() override;
    void Write(const std::string& line) override;

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Message boxes and beeps through the host's record; without them, one line on
// standard error and Cancel, since nobody is there to answer.
class HostNotifier : public Notifier {
public:
    explicit HostNotifier(const HostLinks& host) : host_(host) {}
    bool Show(const tessary::UserMessage& message, Buttons buttons) override;
    void Beep(int hz, int ms) override;

private:
    const HostLinks& host_;
};

}  // namespace kx6500mon

#include "monitor/linux/SystemServices.h"

#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace kx6500mon {

std::uint64_t SystemClock::NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void SystemClock::SleepMs(int ms) {
    timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L}, remaining{};
    while (nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

std::string TraceFilePath() {
    const char* dir = std::getenv("TESSARY_TRACE_DIR");
    std::error_code error;
    const std::filesystem::path folder =
        dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path(error);
    return (folder / "kx6500mon.dmp").string();
}

TraceFile::~TraceFile() {
    if (file_) std::fclose(file_);
}

void TraceFile::Write(const std::string& line) {
    if (!file_ && !failed_) {
        file_ = std::fopen(path_.c_str(), "w");
        failed_ = file_ == nullptr;  // a folder we may not write to: no trace, no retries
    }
    if (!file_) return;
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

bool HostNotifier::Show(const tessary::UserMessage& message, Buttons buttons) {
    HostInterface* record = host_.record;
    if (record && record->messageBox) {
        std::uint32_t style = buttons == Buttons::RetryCancel ? HOST_MB_RETRYCANCEL
                              : buttons == Buttons::OkCancel  ? HOST_MB_OKCANCEL
                                                              : HOST_MB_OK;
        switch (message.icon) {
        case tessary::MessageIcon::Stop: style |= HOST_MB_ICONSTOP; break;
        case tessary::MessageIcon::Exclamation: style |= HOST_MB_ICONWARNING; break;
        case tessary::MessageIcon::Information: style |= HOST_MB_ICONINFORMATION; break;
        case tessary::MessageIcon::Question: style |= HOST_MB_ICONQUESTION; break;
        case tessary::MessageIcon::None: break;
        }
        const std::uint32_t answer = record->messageBox(message.text.c_str(), message.caption.c_str(), style);
        return answer == HOST_ID_RETRY || answer == HOST_ID_OK;
    }
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), tessary::OneLine(message.text).c_str());
    return buttons == Buttons::Ok;
}

void HostNotifier::Beep(int hz, int ms) {
    HostInterface* record = host_.record;
    if (record && record->beep) record->beep(static_cast<std::uint32_t>(hz), static_cast<std::uint32_t>(ms));
}

}  // namespace kx6500mon

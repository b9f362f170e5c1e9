#pragma once
// The two sides of a running action. The worker's progress reports, boxes and its end
// go into one queue under a mutex; the window takes them on its own thread, shows them
// and answers the boxes, on which the worker waits. After each report the worker calls
// a wake function that tells the window there is something to take. Nothing else is
// shared between the threads, so the worker never touches the toolkit.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lptlink/core/ProgrammerSeams.h"

namespace lptlink {

class WorkerBridge : public WorkerChannel, private DialogMessages {
public:
    struct Event {
        enum class Kind { Report, Show, Ask, AskOkCancel, Finished };
        Kind kind = Kind::Report;
        std::string text;  // progress
        int percent = 0;
        tessary::UserMessage message;  // boxes
        RunOutcome outcome;  // finished
    };

    explicit WorkerBridge(std::function<void()> wake) : wake_(std::move(wake)) {}

    // ---- the worker's side ----
    void Progress(const std::string& text, int percent) override;
    DialogMessages& Messages() override { return *this; }
    void Finish(RunOutcome outcome);

    // ---- the window's side ----
    std::vector<Event> Take();
    // Answers the box taken last.
    void Answer(bool answer);
    // The window is going away: boxes are answered No or Cancel at once from now on.
    void Close();

private:
    void Show(const tessary::UserMessage& message) override;
    bool Ask(const tessary::UserMessage& question) override { return Request(Event::Kind::Ask, question); }
    bool AskOkCancel(const tessary::UserMessage& question) override {
        return Request(Event::Kind::AskOkCancel, question);
    }
    bool Request(Event::Kind kind, const tessary::UserMessage& message);
    void Push(Event event);

    std::function<void()> wake_;
    std::mutex lock_;
    std::condition_variable answered_;
    std::vector<Event> events_;
    std::uint64_t requests_ = 0;
    std::uint64_t answers_ = 0;
    bool answer_ = false;
    bool closed_ = false;
};

// The library's own messages while a dialog is open: on the window's thread straight to
// the window's boxes, from any other thread through the worker's channel.
class RoutedMessages : public tessary::MessageSink {
public:
    RoutedMessages(tessary::MessageSink& window, tessary::MessageSink& worker)
        : windowThread_(std::this_thread::get_id()), window_(window), worker_(worker) {}
    void Show(const tessary::UserMessage& message) override { Target().Show(message); }
    bool Ask(const tessary::UserMessage& question) override { return Target().Ask(question); }

private:
    tessary::MessageSink& Target() { return std::this_thread::get_id() == windowThread_ ? window_ : worker_; }
    const std::thread::id windowThread_;
    tessary::MessageSink& window_;
    tessary::MessageSink& worker_;
};

}  // namespace lptlink

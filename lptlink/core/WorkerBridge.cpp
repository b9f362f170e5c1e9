#include "lptlink/core/WorkerBridge.h"

#include <utility>

namespace lptlink {

void WorkerBridge::Push(Event event) {
    {
        std::lock_guard guard(lock_);
        if (closed_) return;
        events_.push_back(std::move(event));
    }
    wake_();
}

void WorkerBridge::Progress(const std::string& text, int percent) {
    Event event;
    event.text = text;
    event.percent = percent;
    Push(std::move(event));
}

void WorkerBridge::Finish(RunOutcome outcome) {
    Event event;
    event.kind = Event::Kind::Finished;
    event.outcome = std::move(outcome);
    Push(std::move(event));
}

void WorkerBridge::Show(const tessary::UserMessage& message) { Request(Event::Kind::Show, message); }

bool WorkerBridge::Request(Event::Kind kind, const tessary::UserMessage& message) {
    std::unique_lock guard(lock_);
    if (closed_) return false;
    Event event;
    event.kind = kind;
    event.message = message;
    events_.push_back(std::move(event));
    const std::uint64_t ticket = ++requests_;
    guard.unlock();
    wake_();
    guard.lock();
    answered_.wait(guard, [&] { return closed_ || answers_ >= ticket; });
    return answers_ >= ticket && answer_;
}

std::vector<WorkerBridge::Event> WorkerBridge::Take() {
    std::lock_guard guard(lock_);
    return std::exchange(events_, {});
}

void WorkerBridge::Answer(bool answer) {
    {
        std::lock_guard guard(lock_);
        answer_ = answer;
        ++answers_;
    }
    answered_.notify_all();
}

void WorkerBridge::Close() {
    {
        std::lock_guard guard(lock_);
        closed_ = true;
        events_.clear();
    }
    answered_.notify_all();
}

}  // namespace lptlink

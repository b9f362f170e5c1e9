// The bridge between a worker and the window's thread, with real threads.

#include "lptlink/core/WorkerBridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/lptlink/ProgrammerFakes.h"

using namespace lptlink;

namespace {

// The window's side: takes events until the worker has finished, answering questions
// with `answer` and recording what it saw.
struct Window {
    explicit Window(WorkerBridge& b) : bridge(b) {}
    WorkerBridge& bridge;
    bool answer = true;
    std::vector<std::string> seen;
    std::thread::id thread = std::this_thread::get_id();

    RunOutcome Loop() {
        while (true) {
            for (auto& e : bridge.Take()) {
                using Kind = WorkerBridge::Event::Kind;
                switch (e.kind) {
                    case Kind::Report: seen.push_back(e.text + " " + std::to_string(e.percent)); break;
                    case Kind::Show:
                        seen.push_back("box " + e.message.text);
                        bridge.Answer(true);
                        break;
                    case Kind::Ask:
                    case Kind::AskOkCancel:
                        seen.push_back("ask " + e.message.text);
                        bridge.Answer(answer);
                        break;
                    case Kind::Finished: return e.outcome;
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
};

}  // namespace

TEST(WorkerBridge, ReportsInOrderAndBoxesWaitForTheirAnswer) {
    std::atomic<int> wakes{0};
    WorkerBridge bridge([&] { ++wakes; });
    std::vector<bool> answers;
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) bridge.Progress("page", i);
        bridge.Messages().Show({"shown", "Error!", tessary::MessageIcon::Stop});
        answers.push_back(bridge.Messages().Ask({"yes?", "Error!", tessary::MessageIcon::Stop}));
        answers.push_back(bridge.Messages().AskOkCancel({"ok?", "Input Error!", tessary::MessageIcon::Question}));
        RunOutcome done;
        done.result = SPI_RESULT_OK;
        bridge.Finish(done);
    });
    Window window(bridge);
    const RunOutcome outcome = window.Loop();
    worker.join();
    EXPECT_EQ(outcome.result, SPI_RESULT_OK);
    ASSERT_EQ(window.seen.size(), 53u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(window.seen[static_cast<std::size_t>(i)], "page " + std::to_string(i));
    EXPECT_EQ(window.seen[50], "box shown");
    EXPECT_EQ(window.seen[51], "ask yes?");
    EXPECT_EQ(window.seen[52], "ask ok?");
    EXPECT_EQ(answers, (std::vector<bool>{true, true}));
    EXPECT_EQ(wakes.load(), 54);
}

TEST(WorkerBridge, ClosingReleasesAWaitingWorker) {
    WorkerBridge bridge([] {});
    std::atomic<bool> asked{false};
    bool answer = true;
    std::thread worker([&] {
        asked = true;
        answer = bridge.Messages().Ask({"anyone?", "Error!", tessary::MessageIcon::Stop});
        bridge.Progress("after", 1);  // dropped
        bridge.Messages().Show({"after", "", tessary::MessageIcon::None});  // returns at once
    });
    while (!asked) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bridge.Close();
    worker.join();
    EXPECT_FALSE(answer);
    EXPECT_TRUE(bridge.Take().empty());
}

TEST(RoutedMessages, TheWindowsThreadDirectlyOthersThroughTheWorker) {
    lptlink::testing::RecordingBoxes window, worker;
    RoutedMessages routed(window, worker);
    routed.Show({"here", "", tessary::MessageIcon::None});
    std::thread other([&] { routed.Show({"there", "", tessary::MessageIcon::None}); });
    other.join();
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].message.text, "here");
    ASSERT_EQ(worker.boxes.size(), 1u);
    EXPECT_EQ(worker.boxes[0].message.text, "there");
}

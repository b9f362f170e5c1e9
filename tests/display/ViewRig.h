#pragma once
// One view on the fake target: load registers, refresh, act as a person would, and
// look at what the view shows and what reached the target.

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "display/core/PeripheralView.h"
#include "tests/display/FakeTarget.h"

namespace kx6500disp::testing {

template <typename View>
struct ViewRig {
    explicit ViewRig(Precheck precheck) : view(std::make_unique<View>(sfr, notifier, precheck)) {}

    // The target holds these registers; the view shows them; the log starts afresh.
    void Show(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> regs) {
        for (auto [reg, value] : regs) t.data[reg] = value;
        view->Update();
        t.ClearLog();
    }
    const Control& C(const std::string& id) const {
        const Control* c = view->Find(id);
        if (!c) throw std::runtime_error("no control " + id);
        return *c;
    }
    const Screen& S(const std::string& id) const { return C(id).screen; }
    void Commit(const std::string& id, const std::string& text) {
        view->TypeText(id, text);
        view->Enter(id);
    }

    FakeTarget t;
    SfrAccess sfr{t};
    RecordingNotifier notifier;
    std::unique_ptr<View> view;
};

}  // namespace kx6500disp::testing

#pragma once
// One view of the registry on the fake target, by its short name ("adc", "port3"),
// with the pre-check the plug-in gives it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/core/ViewRegistry.h"
#include "tests/display/FakeTarget.h"

namespace kx6500disp::testing {

inline const ViewInfo& ViewNamed(std::string_view name) {
    for (const ViewInfo& v : Views())
        if (v.name == name) return v;
    ADD_FAILURE() << "no view " << name;
    return Views()[0];
}

struct PanelRig {
    FakeTarget t;
    SfrAccess sfr{t};
    RecordingNotifier notifier;
    std::unique_ptr<PeripheralView> view;

    explicit PanelRig(std::string_view name) {
        const ViewInfo& info = ViewNamed(name);
        view = info.create(sfr, notifier, info.precheck);
    }
    // The target holds these registers; the view shows them; the log starts afresh.
    void Show(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> regs = {}) {
        for (auto [reg, value] : regs) t.data[reg] = value;
        view->Update();
        t.ClearLog();
    }
    const Control& C(const std::string& id) const {
        const Control* c = view->Find(id);
        if (!c) {
            ADD_FAILURE() << "no control '" << id << "'";
            static const Control none;
            return none;
        }
        return *c;
    }
    const Screen& S(const std::string& id) const { return C(id).screen; }
    void Commit(const std::string& id, const std::string& text) {
        view->TypeText(id, text);
        view->Enter(id);
    }
};

}  // namespace kx6500disp::testing

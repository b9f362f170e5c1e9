#pragma once
// The engine every view is built on. A view is its table of ControlSpecs plus its
// own rules; the engine keeps, per control, the member the view works with and the
// state the window shows, and does what the bindings say:
//   refresh   registers -> members (bindings, then the view's Decode) -> controls;
//   actions   a click, a list choice, Enter in a field, leaving a field, a button,
//             a tab: controls -> members, then the register write of the binding or
//             the view's own rule, then members -> controls where the rule says so.
// Members and controls are exchanged in table order. An integer field that does not
// parse stops the exchange with "Please enter an integer." and the action writes
// nothing.
//
// The window (Qt in the plug-in, nothing in tests) reflects Controls() after every
// change it is told about and forwards what the person does to the action methods.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "display/core/Bindings.h"
#include "display/core/Notifier.h"
#include "display/core/SfrAccess.h"

namespace kx6500disp {

// The check a committed text passes before it reaches the view's commit.
enum class Precheck { None, Decimal, Hex };

// What the window shows of a control.
struct Screen {
    bool checked = false;
    int index = -1;  // list entry or tab; -1 none
    std::string text;
    bool enabled = true;
    bool visible = true;
};

struct Control {
    ControlSpec control;
    std::int32_t number = 0;         // member: check 0/1, list entry (-1 none), tab, integer field
    std::string text;                // member: text fields, labels, text boxes
    std::vector<std::string> items;  // list entries, tab names, text lines: view state
    Screen screen;

    const std::string& Id() const { return control.id; }
    ControlKind Kind() const { return control.kind; }
    bool IsIntegerField() const { return control.kind == ControlKind::Field && control.binding == Binding::Number; }
    bool Editable() const { return control.kind == ControlKind::Field && !control.readOnly; }
};

// How a commit ends: Kept leaves the controls as they are (the typed text stays),
// Shown copies every member back to its control (a clamped value, "ERR").
enum class CommitResult { Kept, Shown };

class PeripheralView {
public:
    PeripheralView(SfrAccess& sfr, Notifier& notifier, Precheck precheck, const std::vector<ControlSpec>& table);
    virtual ~PeripheralView() = default;
    PeripheralView(const PeripheralView&) = delete;
    PeripheralView& operator=(const PeripheralView&) = delete;

    // A fresh block read and, when it succeeded, a refresh.
    bool Update();
    void Refresh(const SfrImage& image);

    // What the person does; ids that do not exist or controls that cannot take the
    // action are ignored (the window offers only what exists).
    void Click(std::string_view id, bool checked);
    void Select(std::string_view id, int index);
    void TypeText(std::string_view id, const std::string& text);
    void Enter(std::string_view id);
    void Leave(std::string_view id);
    void Press(std::string_view id);
    void SelectTab(std::string_view id, int index);

    const std::vector<Control>& Controls() const { return controls_; }
    const Control* Find(std::string_view id) const;
    Precheck CommitPrecheck() const { return precheck_; }
    // Called after every change of what the window shows.
    void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

protected:
    // ---- the view's own rules ----
    // After the bindings have decoded the image into the members.
    virtual void Decode(const SfrImage&) {}
    // A commit of a field bound Own (or any field the view takes over); nothing: not
    // handled, the binding's commit runs.
    virtual std::optional<CommitResult> CommitOwn(Control&) { return std::nullopt; }
    // A list choice (members already exchanged); false: the binding's write runs.
    virtual bool SelectOwn(Control&) { return false; }
    virtual void ClickOwn(Control&) {}
    virtual void PressOwn(Control&) {}
    // The text of a field changed (typed, or copied from its member).
    virtual void TextChanged(Control&) {}

    // ---- for the rules ----
    Control* Get(std::string_view id);
    Control& At(std::string_view id);  // the control must exist
    std::vector<Control>& AllControls() { return controls_; }  // e.g. to disable them all
    bool ToMembers();
    void ToScreen();
    void DecodeChoice(Control& c, const SfrImage& image);
    void WriteEntry(const Control& c);
    SfrAccess& Sfr() { return sfr_; }
    Notifier& Notify() { return notifier_; }
    void Changed();

private:
    void Commit(Control& c);
    CommitResult CommitNumber(Control& c);
    CommitResult CommitHex(Control& c);
    void DecodeBinding(Control& c, const SfrImage& image);

    SfrAccess& sfr_;
    Notifier& notifier_;
    Precheck precheck_;
    std::vector<Control> controls_;
    std::function<void()> changed_;
};

// A hex field's committed text: empty or invalid gives nothing; shorter than its
// bytes' digits it gets leading '0's.
std::optional<std::vector<std::uint8_t>> PaddedHexBytes(std::string_view text, std::size_t byteCount);

}  // namespace kx6500disp

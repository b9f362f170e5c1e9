#include "display/core/Bindings.h"

#include <bit>

namespace kx6500disp {

namespace {
ControlSpec Make(ControlKind kind, std::string_view caption, Binding binding) {
    ControlSpec c;
    c.kind = kind;
    c.caption = std::string(caption);
    c.id = ControlIdFromCaption(caption);
    c.binding = binding;
    return c;
}
template <typename F>
ControlSpec With(const ControlSpec& control, F change) {
    ControlSpec c = control;
    change(c);
    return c;
}
}  // namespace

ControlSpec ControlSpec::Id(std::string_view v) const {
    return With(*this, [&](ControlSpec& c) { c.id = std::string(v); });
}
ControlSpec ControlSpec::Kind(ControlKind k) const {
    return With(*this, [&](ControlSpec& c) { c.kind = k; });
}
ControlSpec ControlSpec::OnTab(int tab) const {
    return With(*this, [&](ControlSpec& c) { c.place.tab = tab; });
}
ControlSpec ControlSpec::InGroup(std::string_view group) const {
    return With(*this, [&](ControlSpec& c) { c.place.group = std::string(group); });
}
ControlSpec ControlSpec::Beside() const {
    return With(*this, [](ControlSpec& c) { c.place.beside = true; });
}
ControlSpec ControlSpec::Unit(std::string_view unit) const {
    return With(*this, [&](ControlSpec& c) { c.place.unit = std::string(unit); });
}
ControlSpec ControlSpec::NextColumn() const {
    return With(*this, [](ControlSpec& c) { c.place.newColumn = true; });
}
ControlSpec ControlSpec::InColumn(int column) const {
    return With(*this, [&](ControlSpec& c) { c.place.column = column; });
}
ControlSpec ControlSpec::Inverted() const {
    return With(*this, [](ControlSpec& c) { c.inverted = true; });
}
ControlSpec ControlSpec::ShownOnly() const {
    return With(*this, [](ControlSpec& c) { c.readOnly = true; });
}
ControlSpec ControlSpec::ReadFrom(ChoiceRead r) const {
    return With(*this, [&](ControlSpec& c) { c.read = std::move(r); });
}
ControlSpec ControlSpec::Writes(std::vector<EntryWrite> w) const {
    return With(*this, [&](ControlSpec& c) { c.writes = std::move(w); });
}
ControlSpec ControlSpec::ErrorText(std::string_view text) const {
    return With(*this, [&](ControlSpec& c) { c.errorText = std::string(text); });
}

ControlSpec ControlSpec::MaxLength(std::size_t characters) const {
    return With(*this, [&](ControlSpec& c) { c.maxLength = characters; });
}

ControlSpec Check(std::string_view caption, std::uint8_t reg, std::uint8_t mask) {
    ControlSpec c = Make(ControlKind::Check, caption, Binding::Bit);
    c.reg = reg;
    c.mask = mask;
    return c;
}

ControlSpec List(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::vector<std::string> items) {
    ControlSpec c = Make(ControlKind::List, caption, Binding::Choice);
    c.reg = reg;
    c.mask = mask;
    c.items = std::move(items);
    return c;
}

ControlSpec OwnList(std::string_view caption, std::vector<std::string> items) {
    ControlSpec c = Make(ControlKind::List, caption, Binding::Own);
    c.items = std::move(items);
    return c;
}

ControlSpec NumberField(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::int32_t min,
                        std::int32_t max) {
    ControlSpec c = Make(ControlKind::Field, caption, Binding::Number);
    c.reg = reg;
    c.mask = mask;
    c.min = min;
    c.max = max;
    return c;
}

ControlSpec HexField(std::string_view caption, std::vector<std::uint8_t> bytes) {
    ControlSpec c = Make(ControlKind::Field, caption, Binding::Hex);
    c.bytes = std::move(bytes);
    c.mask = 0xFF;
    return c;
}

ControlSpec OwnField(std::string_view caption) { return Make(ControlKind::Field, caption, Binding::Own); }

ControlSpec ResultField(std::string_view caption) { return OwnField(caption).ShownOnly(); }

ControlSpec BitTextField(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::string_view clear,
                         std::string_view set) {
    ControlSpec c = Make(ControlKind::Field, caption, Binding::BitText);
    c.reg = reg;
    c.mask = mask;
    c.items = {std::string(clear), std::string(set)};
    c.readOnly = true;
    return c;
}

ControlSpec Label(std::string_view id, std::string_view text) {
    ControlSpec c = Make(ControlKind::Label, {}, Binding::Own);
    c.id = std::string(id);
    c.caption = std::string(text);
    return c;
}

ControlSpec TextBox(std::string_view id) { return Label(id).Kind(ControlKind::Text); }

ControlSpec Lines(std::string_view id) { return Label(id).Kind(ControlKind::Lines); }

ControlSpec Button(std::string_view caption) { return Make(ControlKind::Button, caption, Binding::Own); }

ControlSpec RefreshButton(std::string_view caption) {
    return Make(ControlKind::Button, caption, Binding::Refresh);
}

ControlSpec Tabs(std::string_view id, std::vector<std::string> names) {
    ControlSpec c = Make(ControlKind::Tabs, {}, Binding::Tab);
    c.id = std::string(id);
    c.items = std::move(names);
    return c;
}

std::vector<std::string> Entries(int first, int last) {
    std::vector<std::string> items;
    for (int i = first; i <= last; ++i) items.push_back(std::to_string(i));
    return items;
}

std::string WithoutMnemonics(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += caption[i];
    }
    return out;
}

std::string ControlIdFromCaption(std::string_view caption) {
    std::string id = WithoutMnemonics(caption);
    auto trim = [&] {
        while (!id.empty() && id.back() == ' ') id.pop_back();
        while (!id.empty() && id.front() == ' ') id.erase(0, 1);
    };
    for (bool changed = true; changed;) {
        trim();
        changed = false;
        if (id.size() >= 2 && id.ends_with("0x")) {
            id.resize(id.size() - 2);
            changed = true;
        } else if (id.ends_with(":")) {
            id.pop_back();
            changed = true;
        }
    }
    return id;
}

int FieldShift(std::uint8_t mask) { return mask ? std::countr_zero(mask) : 0; }

}  // namespace kx6500disp

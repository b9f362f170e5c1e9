#include "display/core/PeripheralView.h"

#include <algorithm>

#include "display/core/TextFunctions.h"

namespace kx6500disp {

namespace {
std::uint8_t FieldValue(const SfrImage& image, std::uint8_t reg, std::uint8_t mask) {
    return static_cast<std::uint8_t>((image[reg] & mask) >> FieldShift(mask));
}
int FieldRead_(const SfrImage& image, const FieldRead& f) { return f.mask ? (image[f.reg] & f.mask) >> f.shift : 0; }
bool Passes(Precheck check, std::string_view text) {
    switch (check) {
    case Precheck::Decimal: return IsDecimalText(text);
    case Precheck::Hex: return IsHexText(text);
    case Precheck::None: break;
    }
    return true;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> PaddedHexBytes(std::string_view text, std::size_t byteCount) {
    const std::size_t digits = 2 * byteCount;
    if (text.empty() || text.size() > digits) return std::nullopt;
    const std::string padded = std::string(digits - text.size(), '0') + std::string(text);
    if (!IsHexText(padded)) return std::nullopt;
    return HexTextToBytes(padded, byteCount);
}

PeripheralView::PeripheralView(SfrAccess& sfr, Notifier& notifier, Precheck precheck,
                               const std::vector<ControlSpec>& table)
    : sfr_(sfr), notifier_(notifier), precheck_(precheck) {
    for (const ControlSpec& control : table) {
        Control c;
        c.control = control;
        if (control.kind != ControlKind::Field) c.items = control.items;
        if (control.kind == ControlKind::List) c.number = -1;
        if (control.kind == ControlKind::Label) c.text = control.caption;
        c.screen.enabled = !(control.readOnly && control.kind == ControlKind::Check);
        controls_.push_back(std::move(c));
    }
    ToScreen();
}

const Control* PeripheralView::Find(std::string_view id) const {
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](const Control& c) { return c.Id() == id; });
    return it == controls_.end() ? nullptr : &*it;
}

Control* PeripheralView::Get(std::string_view id) { return const_cast<Control*>(Find(id)); }

Control& PeripheralView::At(std::string_view id) { return *Get(id); }

void PeripheralView::Changed() {
    if (changed_) changed_();
}

bool PeripheralView::Update() {
    SfrImage image{};
    if (!sfr_.ReadBlock(image)) return false;
    Refresh(image);
    return true;
}

void PeripheralView::Refresh(const SfrImage& image) {
    for (Control& c : controls_) DecodeBinding(c, image);
    Decode(image);
    ToScreen();
    Changed();
}

void PeripheralView::DecodeBinding(Control& c, const SfrImage& image) {
    switch (c.control.binding) {
    case Binding::Bit: c.number = ((image[c.control.reg] & c.control.mask) != 0) != c.control.inverted; break;
    case Binding::Choice: DecodeChoice(c, image); break;
    case Binding::Number: c.number = FieldValue(image, c.control.reg, c.control.mask); break;
    case Binding::Hex: {
        std::vector<std::uint8_t> bytes;
        for (std::uint8_t reg : c.control.bytes) bytes.push_back(image[reg]);
        if (bytes.size() == 1) bytes[0] &= c.control.mask;
        c.text = BytesToHexText(bytes.data(), bytes.size());
        break;
    }
    case Binding::BitText: c.text = c.control.items[(image[c.control.reg] & c.control.mask) != 0 ? 1 : 0]; break;
    case Binding::Own:
    case Binding::Refresh:
    case Binding::Tab: break;
    }
}

void PeripheralView::DecodeChoice(Control& c, const SfrImage& image) {
    ChoiceRead read = c.control.read;
    if (!read.a.mask) read.a = {c.control.reg, c.control.mask, FieldShift(c.control.mask)};
    const int value = FieldRead_(image, read.a) | FieldRead_(image, read.b);
    int entry = value;
    if (!read.map.empty()) entry = value < static_cast<int>(read.map.size()) ? read.map[value] : -1;
    c.number = entry >= 0 && entry < static_cast<int>(c.items.size()) ? entry : -1;
}

bool PeripheralView::ToMembers() {
    for (Control& c : controls_) {
        switch (c.Kind()) {
        case ControlKind::Check: c.number = c.screen.checked; break;
        case ControlKind::List:
        case ControlKind::Tabs: c.number = c.screen.index; break;
        case ControlKind::Field:
            if (c.IsIntegerField()) {
                const auto value = ParseInt32(c.screen.text);
                if (!value) {
                    notifier_.Message(std::string(kEnterAnInteger));
                    return false;
                }
                c.number = *value;
            } else {
                c.text = c.screen.text;
            }
            break;
        case ControlKind::Label:
        case ControlKind::Text:
        case ControlKind::Lines:
        case ControlKind::Button: break;
        }
    }
    return true;
}

void PeripheralView::ToScreen() {
    for (Control& c : controls_) {
        switch (c.Kind()) {
        case ControlKind::Check: c.screen.checked = c.number != 0; break;
        case ControlKind::List:
        case ControlKind::Tabs: c.screen.index = c.number; break;
        case ControlKind::Field: {
            std::string text = c.IsIntegerField() ? std::to_string(c.number) : c.text;
            if (text != c.screen.text) {
                c.screen.text = std::move(text);
                TextChanged(c);
            }
            break;
        }
        case ControlKind::Label:
        case ControlKind::Text: c.screen.text = c.text; break;
        case ControlKind::Lines:
        case ControlKind::Button: break;
        }
    }
}

void PeripheralView::WriteEntry(const Control& c) {
    const int index = c.number;
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    if (c.control.writes.empty()) {
        sfr_.WriteSfrBits(c.control.reg, static_cast<std::uint8_t>(index << FieldShift(c.control.mask)), c.control.mask);
        return;
    }
    if (index >= static_cast<int>(c.control.writes.size())) return;
    const EntryWrite& w = c.control.writes[index];
    if (w.pair.reg)
        sfr_.WriteSfrBitsPair(w.first.reg, w.first.value, w.first.mask, w.pair.value, w.pair.mask,
                              static_cast<std::uint8_t>(w.pair.reg - w.first.reg));
    else
        sfr_.WriteSfrBits(w.first.reg, w.first.value, w.first.mask);
}

void PeripheralView::Click(std::string_view id, bool checked) {
    Control* c = Get(id);
    if (!c || c->Kind() != ControlKind::Check || !c->screen.enabled) return;
    c->screen.checked = checked;
    c->number = checked;
    if (c->control.binding == Binding::Bit)
        sfr_.WriteSfrBits(c->control.reg, checked != c->control.inverted ? c->control.mask : 0, c->control.mask);
    else
        ClickOwn(*c);
    Changed();
}

void PeripheralView::Select(std::string_view id, int index) {
    Control* c = Get(id);
    if (!c || c->Kind() != ControlKind::List || !c->screen.enabled) return;
    c->screen.index = index;
    if (ToMembers() && !SelectOwn(*c) && c->control.binding == Binding::Choice) WriteEntry(*c);
    Changed();
}

void PeripheralView::TypeText(std::string_view id, const std::string& text) {
    Control* c = Get(id);
    if (!c || c->Kind() != ControlKind::Field) return;
    // A field takes no more than its length, as its window's edit field does.
    const std::size_t limit = c->control.maxLength;
    const std::string taken = limit && text.size() > limit ? text.substr(0, limit) : text;
    if (c->screen.text == taken) return;
    c->screen.text = taken;
    TextChanged(*c);
    Changed();
}

void PeripheralView::Enter(std::string_view id) {
    Control* c = Get(id);
    if (!c || !c->Editable() || !c->screen.enabled || !Passes(precheck_, c->screen.text)) return;
    Commit(*c);
    Changed();
}

void PeripheralView::Commit(Control& c) {
    if (!ToMembers()) return;
    std::optional<CommitResult> result = CommitOwn(c);
    if (!result) {
        if (c.control.binding == Binding::Number)
            result = CommitNumber(c);
        else if (c.control.binding == Binding::Hex)
            result = CommitHex(c);
    }
    if (result == CommitResult::Shown) ToScreen();
}

CommitResult PeripheralView::CommitNumber(Control& c) {
    const std::int32_t value = std::clamp(c.number, c.control.min, c.control.max);
    const bool clamped = value != c.number;
    c.number = value;
    sfr_.WriteSfrBits(c.control.reg, static_cast<std::uint8_t>(value << FieldShift(c.control.mask)), c.control.mask);
    return clamped ? CommitResult::Shown : CommitResult::Kept;
}

CommitResult PeripheralView::CommitHex(Control& c) {
    const auto bytes = PaddedHexBytes(c.text, c.control.bytes.size());
    if (!bytes) {
        c.text = c.control.errorText;
        return CommitResult::Shown;
    }
    // Least significant register first.
    for (std::size_t i = bytes->size(); i-- > 0;) sfr_.WriteSfrBits(c.control.bytes[i], (*bytes)[i], 0xFF);
    return CommitResult::Kept;
}

void PeripheralView::Leave(std::string_view id) {
    Control* c = Get(id);
    if (!c || !c->Editable()) return;
    ToScreen();
    Changed();
}

void PeripheralView::Press(std::string_view id) {
    Control* c = Get(id);
    if (!c || c->Kind() != ControlKind::Button || !c->screen.enabled) return;
    if (c->control.binding == Binding::Refresh)
        sfr_.RefreshFromTarget();
    else
        PressOwn(*c);
    Changed();
}

void PeripheralView::SelectTab(std::string_view id, int index) {
    Control* c = Get(id);
    if (!c || c->Kind() != ControlKind::Tabs || index < 0 || index >= static_cast<int>(c->items.size())) return;
    c->number = index;
    c->screen.index = index;
    Update();
    Changed();
}

}  // namespace kx6500disp

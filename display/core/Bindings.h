#pragma once
// A view as data: one ControlSpec per control, in the order the view exchanges its
// controls with its members. The binding says how a control meets the registers; a
// control bound `Own` is filled and handled by the view's own rules. The place says
// where the window puts it (tab, group box, beside the previous control, unit text).
//
// Tables are written with the builders below, e.g.
//   List("VCO current:", CURRENT, 0xF0, Entries(0, 15)).OnTab(0)
//   Check("FS reset", FSCTRL, 0x01).Inverted().OnTab(1)
//   Check("", IE, 0x01).Id("int0_n E").InColumn(1).Beside()   (a grid of boxes)

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kx6500disp {

enum class ControlKind { Check, List, Field, Label, Text, Lines, Button, Tabs };

enum class Binding {
    Own,      // the view's rules
    Bit,      // check box: the bits `mask` of `reg`; inverted: checked while they are clear
    Choice,   // list: entry from `read`, a selection writes `writes` (default index << shift under mask)
    Number,   // integer field: the field `mask` of `reg`, a commit clamps to min..max
    Hex,      // hex field: the registers `bytes`, most significant first (one register: `mask` shown)
    BitText,  // read-only text: items[1] while the bits `mask` of `reg` are set, items[0] otherwise
    Refresh,  // button: the read-through refresh
    Tab,      // the tab strip: a change runs the view's update
};

// A register field moved right: (image[reg] & mask) >> shift.
struct FieldRead {
    std::uint8_t reg = 0, mask = 0;
    int shift = 0;
};

// Where a list's entry comes from: the OR of up to two fields, looked up in `map`
// (value -> entry, -1 none). Without map the value is the entry; a value without an
// entry shows no selection.
struct ChoiceRead {
    FieldRead a, b;
    std::vector<int> map;
};

// One WriteSfrBits, or with `pair` set a WriteSfrBitsPair over first.reg..pair.reg.
struct BitsWrite {
    std::uint8_t reg = 0, value = 0, mask = 0;
};
struct EntryWrite {
    BitsWrite first, pair;
};

struct Place {
    int tab = -1;        // -1: always shown
    std::string group;   // the group box it sits in
    bool beside = false; // on the row of the control before it
    std::string unit;    // text after it ("MHz")
    bool newColumn = false;  // starts a new column of its tab
    int column = -1;         // a cell of its group's grid (0: the captions' column), so rows line up
};

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    std::string id;       // objectName; from the caption when not given
    std::string caption;  // as the view shows it, "&" marks the mnemonic
    Binding binding = Binding::Own;
    std::uint8_t reg = 0, mask = 0;
    bool inverted = false;
    bool readOnly = false;  // check boxes: shown only (disabled); fields: not editable
    std::vector<std::string> items;
    ChoiceRead read;
    std::vector<EntryWrite> writes;
    std::int32_t min = 0, max = 0;
    std::vector<std::uint8_t> bytes;
    std::string errorText = "ERR";
    std::size_t maxLength = 0;  // fields: the most characters they take, 0 any
    Place place;

    ControlSpec Id(std::string_view id) const;
    ControlSpec Kind(ControlKind kind) const;
    ControlSpec OnTab(int tab) const;
    ControlSpec InGroup(std::string_view group) const;
    ControlSpec Beside() const;
    ControlSpec Unit(std::string_view unit) const;
    ControlSpec NextColumn() const;
    ControlSpec InColumn(int column) const;
    ControlSpec Inverted() const;
    ControlSpec ShownOnly() const;
    ControlSpec ReadFrom(ChoiceRead read) const;
    ControlSpec Writes(std::vector<EntryWrite> writes) const;
    ControlSpec ErrorText(std::string_view text) const;
    ControlSpec MaxLength(std::size_t characters) const;
};

ControlSpec Check(std::string_view caption, std::uint8_t reg, std::uint8_t mask);
ControlSpec List(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::vector<std::string> items);
ControlSpec OwnList(std::string_view caption, std::vector<std::string> items = {});
ControlSpec NumberField(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::int32_t min,
                        std::int32_t max);
ControlSpec HexField(std::string_view caption, std::vector<std::uint8_t> bytes);
ControlSpec OwnField(std::string_view caption);     // editable, the view commits it
ControlSpec ResultField(std::string_view caption);  // read-only, the view fills it
ControlSpec BitTextField(std::string_view caption, std::uint8_t reg, std::uint8_t mask, std::string_view clear,
                         std::string_view set);
ControlSpec Label(std::string_view id, std::string_view text = {});
ControlSpec TextBox(std::string_view id);  // multi-line, read-only
ControlSpec Lines(std::string_view id);    // a list of text lines, nothing to choose
ControlSpec Button(std::string_view caption);
ControlSpec RefreshButton(std::string_view caption = "&Refresh");
ControlSpec Tabs(std::string_view id, std::vector<std::string> names);

// "0" .. "last" as list entries.
std::vector<std::string> Entries(int first, int last);

// The control id of a caption: without "&", trailing ":" and "0x", trimmed
// ("RF buffer:  0x" -> "RF buffer", "&Refresh" -> "Refresh").
std::string ControlIdFromCaption(std::string_view caption);
// The caption as shown without mnemonic marks ("Power && &Clock" -> "Power & Clock").
std::string WithoutMnemonics(std::string_view caption);

// The lowest set bit of a mask: the shift of its field.
int FieldShift(std::uint8_t mask);

}  // namespace kx6500disp

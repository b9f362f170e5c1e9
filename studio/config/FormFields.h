#pragma once
// The parameters that the configuration forms show, as data: which field, how a
// numeric field is displayed and parsed, and how a form's fields bind to its block
// of CConfig.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessary {

enum class FieldId {
    // numeric text fields
    Xtal, Ppm, RfA, RfB, Rf, Sep, Rate, Power,
    // lists, radio groups and check boxes (taken as the selected index)
    Format, RxMode, Shape, Lock, IfRssi, Mode, Xosc, Active, DirA, DirB, Settling,
    Optimal, LowLo, LowCurrent, BerWindow, BerEnable, SigType, IfStage, PaClass, VcoCurrent,
    Count
};
inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(FieldId::Count);
inline constexpr std::size_t Index(FieldId id) { return static_cast<std::size_t>(id); }

struct NumericFieldSpec {
    FieldId id;
    const char* displayFormat;
    int decimals;  // kept after parsing; negative: no rounding
    const char* parseMessage;
};

// nullptr for fields that are not numeric.
const NumericFieldSpec* FindNumericSpec(FieldId id);

// What a form's controls hold: the text of each text field and the selected index of
// each list, radio group and check box.
struct FormControls {
    std::array<std::string, kFieldCount> text{};
    std::array<int, kFieldCount> selection{};
};

// The form's own copy of its parameters, as the calculation reads them.
struct FieldValues {
    std::array<double, kFieldCount> number{};
    std::array<int, kFieldCount> index{};
};

enum class ControlKind { Text, EditableList, List, Radio, Check };

// One control of a form, with the name the command line uses for it.
struct ControlSpec {
    FieldId id;
    std::string_view name;
    ControlKind kind;
    std::vector<std::string_view> entries;  // list entries or radio buttons
    bool hidden = false;
};

// How many indices a list, radio group or check box accepts.
int ChoiceCount(const ControlSpec& control);

// Binding of FieldIds to the members of a block of CConfig.
template <typename Block>
struct BlockBinding {
    std::vector<std::pair<FieldId, double Block::*>> numbers;
    std::vector<std::pair<FieldId, int Block::*>> indices;

    void ToFields(const Block& block, FieldValues& values) const {
        for (const auto& [id, member] : numbers) values.number[Index(id)] = block.*member;
        for (const auto& [id, member] : indices) values.index[Index(id)] = block.*member;
    }
    void FromFields(const FieldValues& values, Block& block) const {
        for (const auto& [id, member] : numbers) block.*member = values.number[Index(id)];
        for (const auto& [id, member] : indices) block.*member = values.index[Index(id)];
    }
};

// Redisplay: the form's values formatted into its controls.
void FormatIntoControls(const FieldValues& values, const std::vector<ControlSpec>& controls,
                        FormControls& out);

}  // namespace tessary

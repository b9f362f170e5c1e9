#pragma once
// A configuration form described by its control table: the window builds its controls
// from the table, copies them into `controls` before every trigger and shows them again
// afterwards. The document, the messages, the take-over with its focus on a refused
// field, the Info buttons and "&Reset settings" work the same on every such form.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/MessageSink.h"
#include "studio/board/CRegisterBus.h"
#include "studio/config/ConfigurationForm.h"
#include "studio/config/FormFields.h"
#include "studio/config/InfoHelp.h"
#include "studio/config/TakeOver.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

inline constexpr const char* kAppName = "Tessary Studio";

struct ComponentText {
    std::string name;
    std::string text;
    std::string unit;
};

class ControlTableForm : public ConfigurationForm {
public:
    static constexpr const char* kResetQuestion = "Are you sure that you want to reset the system parameters to defaults?";

    ~ControlTableForm() override;
    ControlTableForm(const ControlTableForm&) = delete;
    ControlTableForm& operator=(const ControlTableForm&) = delete;

    virtual const std::vector<ControlSpec>& Controls() const = 0;
    virtual const std::vector<std::string_view>& Crystals() const = 0;
    // The component values as the form shows them.
    virtual std::vector<ComponentText> Components() const = 0;
    virtual bool RfBEnabled() const { return true; }

    // What the window's controls hold.
    FormControls controls;
    // The control a refused take-over left the focus on.
    std::optional<FieldId> FocusField() const { return focus_; }

    // Takes the controls over and recomputes; false when a value was refused.
    virtual bool ApplySettings() = 0;

    // Triggers of the form.
    void OnEnter() { ApplySettings(); }
    virtual void OnChoiceChanged(FieldId id) = 0;  // a list selection or a radio button
    virtual void OnCheckClicked(FieldId) {}
    virtual void OnAccuracyLeft() {}
    virtual void OnCrystalListLeft() = 0;
    void OnInfo(int button);
    // Yes: the document's parameters reset, shown and applied; nothing is downloaded.
    void OnResetSettings() override;
    virtual void OnChipReset() = 0;
    virtual void OnCalibrate() = 0;

    TessaryDocument& Document() { return document_; }
    const TessaryDocument& Document() const { return document_; }
    CRegisterBus& Bus() { return bus_; }

protected:
    ControlTableForm(TessaryDocument& document, MessageSink& messages);

    virtual InfoForm Help() const = 0;
    void Message(const std::string& text, MessageIcon icon = MessageIcon::None);

    // One take-over of the controls into the form's values by the form's rules. The
    // fields read before a refusal stay in the values, as they do on the form; a refusal
    // shows its message, keeps its field for the focus and returns false.
    template <typename Block>
    bool TakeOverInto(const BlockBinding<Block>& binding, const TakeOverSpec& rules, Block& values,
                      FieldValues& fields) {
        binding.ToFields(values, fields);
        const auto failure = TakeOver(rules, controls, fields);
        binding.FromFields(fields, values);
        if (failure) {
            focus_ = failure->focus;
            Message(failure->message.text, failure->message.icon);
            return false;
        }
        focus_.reset();
        return true;
    }
    // After the values went into the document: settings applied, views refreshed,
    // document modified.
    void MarkApplied();

    TessaryDocument& document_;
    MessageSink& messages_;
    std::optional<FieldId> focus_;
    CRegisterBus bus_;
};

}  // namespace tessary

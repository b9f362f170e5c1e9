#pragma once
// The KX6200 configuration form without its window: the controls' contents, the
// form's own copy of the KX6200/KX6500 block, ApplySettings with its nineteen steps,
// the triggers, and the working values the reports need.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/MessageSink.h"
#include "studio/config/CConfig.h"
#include "studio/config/FormFields.h"
#include "studio/config/KX6200Calc.h"
#include "studio/config/TessaryDocument.h"
#include "studio/board/CRegisterBus.h"

namespace tessary {

inline constexpr const char* kAppName = "Tessary Studio";

struct ComponentText {
    std::string name;
    std::string text;
    std::string unit;
};

class CConfigViewKX6200 : public DocumentView {
public:
    static constexpr const char* kResetQuestion = "Are you sure that you want to reset the system parameters to defaults?";
    static constexpr const char* kRxNotActivated =
        "Rx frequency not activated.\nThe active frequency A or B\nmust correspond to the\nselected Mode.";
    static constexpr const char* kTxNotActivated =
        "Tx frequency not activated.\nThe active frequency A or B\nmust correspond to the\nselected Mode";

    CConfigViewKX6200(TessaryDocument& document, MessageSink& messages);
    ~CConfigViewKX6200() override;
    CConfigViewKX6200(const CConfigViewKX6200&) = delete;
    CConfigViewKX6200& operator=(const CConfigViewKX6200&) = delete;

    static const std::vector<ControlSpec>& ControlTable();
    static const BlockBinding<KX6200Block>& Binding();
    static const std::vector<std::string_view>& CrystalList();

    // What the window's controls hold; the window copies its controls in here before
    // a trigger and shows them again afterwards.
    FormControls controls;

    // Show: the document changed.
    void OnUpdate() override;
    // First display: show, mark applied, apply, enable RF_B by "Optimal freq".
    void OnInitialUpdate();
    // Takes the controls over and recomputes; false when a value was refused.
    bool ApplySettings();

    // Triggers of the form.
    void OnEnter() { ApplySettings(); }
    void OnChoiceChanged(FieldId id);  // a list selection or a radio button
    void OnAccuracyLeft() { ApplySettings(); }
    void OnLowCurrentClicked() { ApplySettings(); }
    void OnLowLoClicked();
    void OnOptimalClicked();
    void OnCrystalListLeft();
    void OnResetSettings();
    void OnInfo(int button);

    // "Update Device": apply, check the mode against the active frequency's direction,
    // download. False when the direction check stopped it.
    bool UpdateDevice();
    // "&Reset": a pulse on MAIN's reset bit. "&Calibrate": START on CAL for 40 ms.
    void OnChipReset();
    void OnCalibrate();

    bool RfBEnabled() const { return rfBEnabled_; }
    std::optional<FieldId> FocusField() const { return focus_; }
    const KX6200Block& Values() const { return values_; }
    double Divider() const { return divider_; }
    double DividerTx() const { return dividerTx_; }
    double Current() const { return current_; }
    double ActiveFrequency() const { return values_.active == 1 ? values_.rfB : values_.rfA; }
    // L101, then the match components, as the form shows them.
    std::vector<ComponentText> Components() const;

    TessaryDocument& Document() { return document_; }
    const TessaryDocument& Document() const { return document_; }

private:
    void Redisplay();
    void Message(const std::string& text, MessageIcon icon = MessageIcon::None);
    void StoreSnappedRate();
    void RunCalculation();

    TessaryDocument& document_;
    MessageSink& messages_;
    KX6200Block values_{};
    double divider_ = 2;
    double dividerTx_ = 2;
    double current_ = 0;
    kx6200::Components components_{"", "", "", "", "", ""};
    bool rfBEnabled_ = true;
    std::optional<FieldId> focus_;
    CRegisterBus bus_;
};

}  // namespace tessary

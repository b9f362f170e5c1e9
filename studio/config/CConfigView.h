#pragma once
// The KX400/KX900 configuration form without its window: the form's copy of the
// KX400/KX900 block of CConfig, its take-over, the calculation into a fresh CTmpReg,
// Apply, Update Device over the frame bus, "&Reset settings" and the Info buttons.
// The form shows MHz, ppm, kHz and kbit/s; the block and the calculation use SI units.

#include <optional>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "studio/config/CConfig.h"
#include "studio/config/ConfigurationForm.h"
#include "studio/config/FormFields.h"
#include "studio/config/KX400Calc.h"
#include "studio/config/SharedBlockForm.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

class CConfigView : public ConfigurationForm {
public:
    CConfigView(TessaryDocument& document, MessageSink& messages);
    ~CConfigView() override;
    CConfigView(const CConfigView&) = delete;
    CConfigView& operator=(const CConfigView&) = delete;

    static const std::vector<ControlSpec>& ControlTable();
    // The block's members by field, in SI units.
    static const BlockBinding<KX400Block>& Binding();
    // The list entries the settings report prints for a block.
    static void StoreListTexts(const KX400Block& block, CConfig& config);

    // What the window's controls hold.
    FormControls controls;

    // Show: the form's fields and device number from the document.
    void OnUpdate() override;
    // First display: show, then apply.
    void OnInitialUpdate() override;
    // Takes the controls over and computes; stores the frames and the parameters only
    // when every step succeeded. False when a value was refused or a step failed.
    bool Apply();
    // Enter: Apply, and when it went through the document is marked modified and the
    // form takes the device number over from the document.
    bool OnEnter();
    void Recalculate() override;
    // Apply, then all eight frames to the board. A refused value sends nothing; a failed
    // step still sends the frames of the last completed calculation. False when refused.
    bool UpdateDevice() override;
    void OnResetSettings() override;
    void OnInfo(int button);

    double Current() const override { return current_; }
    // R121 C121 R122 C122 C123 R123 C51 L51 L61 C61, as the form shows them.
    std::vector<ComponentText> Components() const;
    std::optional<FieldId> FocusField() const { return focus_; }
    double DeviceNumber() const { return deviceNumber_; }
    // The form's values in its own units (MHz, ppm, MHz, kHz, kbit/s, dBm, indices).
    const FieldValues& Fields() const { return fields_; }
    // The form's values in SI units, as the calculation takes them.
    kx400::Parameters Parameters() const;

    // The frames of one mode as the register listing lists them: steps 1 to 11 with
    // the mode set, their messages shown, frame B's device bits set. Nothing when a step
    // failed. The form's own values and figures do not change.
    std::optional<CTmpReg> FramesForMode(int mode);

    TessaryDocument& Document() { return document_; }
    const TessaryDocument& Document() const { return document_; }

private:
    bool TakeOverControls();
    // The calculation on the form's values; with store, the frames, the parameters and
    // the flags go to the document when every step succeeded.
    bool Calculate(bool store);
    void Show(const std::vector<std::string>& texts);
    void Redisplay();

    TessaryDocument& document_;
    MessageSink& messages_;
    FieldValues fields_{};
    double deviceNumber_ = -1;
    double current_ = 0;
    kx400::Components components_;
    std::optional<FieldId> focus_;
};

}  // namespace tessary

#include "studio/config/ControlTableForm.h"

namespace tessary {

ControlTableForm::ControlTableForm(TessaryDocument& document, MessageSink& messages)
    : document_(document), messages_(messages) {
    document_.AddView(this);
}

ControlTableForm::~ControlTableForm() { document_.RemoveView(this); }

void ControlTableForm::Message(const std::string& text, MessageIcon icon) { messages_.Show({text, kAppName, icon}); }

void ControlTableForm::MarkApplied() {
    document_.settingsApplied = true;
    document_.UpdateAllViews();
    document_.modified = true;
}

void ControlTableForm::OnInfo(int button) {
    if (const auto info = InfoMessage(Help(), button)) messages_.Show(*info);
}

void ControlTableForm::OnResetSettings() {
    if (!messages_.Ask({kResetQuestion, kAppName, MessageIcon::Exclamation})) return;
    document_.config.Reset();
    OnUpdate();
    ApplySettings();
}

}  // namespace tessary

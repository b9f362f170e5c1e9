#pragma once
// The window of the KX400/KX900 register view: per frame the 13 bit boxes and the word
// as sent, bound to CRegisterView, which edits the document's frames themselves.

#include <QCheckBox>
#include <QLineEdit>
#include <vector>

#include "common/MessageSink.h"
#include "studio/app/RegisterPane.h"
#include "studio/board/CRegisterViewModel.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

class FrameRegisterWindow : public RegisterPane {
    Q_OBJECT
public:
    FrameRegisterWindow(TessaryDocument& document, MessageSink& messages, QWidget* parent = nullptr);

    CRegisterView& Model() { return model_; }
    // The box of a frame's bit (12 to 0) and the frame's word.
    QCheckBox* Box(int frame, int bit) const;
    QLineEdit* WordField(int frame) const { return words_[static_cast<std::size_t>(frame)]; }

    void UpdateDevice() override;
    std::string EepText() const override { return model_.EepText(); }
    void LoadEep(std::span<const std::uint8_t> bytes) override;
    void Refresh() override;

private:
    void CopyIn();
    void CopyOut();

    CRegisterView model_;
    std::vector<std::vector<QCheckBox*>> boxes_;  // by frame, bit 12 first
    std::vector<QLineEdit*> words_;
};

}  // namespace tessary

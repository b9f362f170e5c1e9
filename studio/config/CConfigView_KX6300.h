#pragma once
// The KX6300 configuration form without its window: the transmitter's block of
// CConfig, its sixteen calculation steps into the secondary register image, the
// download over the three-wire bus, reset and calibration.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/ControlTableForm.h"
#include "studio/config/KX6300Calc.h"

namespace tessary {

// The KX6300 registers in the download's order: slot, address, name.
struct KX6300Register {
    int slot;
    int address;
    std::string_view name;
};
const std::vector<KX6300Register>& KX6300DownloadOrder();

class CConfigView_KX6300 : public ControlTableForm {
public:
    CConfigView_KX6300(TessaryDocument& document, MessageSink& messages) : ControlTableForm(document, messages) {}

    static const BlockBinding<KX6300Block>& Binding();
    static const std::vector<ControlSpec>& ControlTable();
    static const std::vector<std::string_view>& CrystalList();
    const std::vector<ControlSpec>& Controls() const override { return ControlTable(); }
    const std::vector<std::string_view>& Crystals() const override { return CrystalList(); }

    // Show: the document changed.
    void OnUpdate() override;
    // First display: show, mark applied, apply.
    void OnInitialUpdate() override;
    bool ApplySettings() override;
    // The registers from the values shown, as the form becomes the active one.
    void Recalculate() override { RunCalculation(); }

    void OnChoiceChanged(FieldId id) override;
    void OnCrystalListLeft() override;

    // Apply, then the 19 writes; a refused value still downloads the last calculation.
    // There is no direction check: always true.
    bool UpdateDevice() override;
    // "&Reset": a pulse on MAIN's reset bit. "&Calibrate": START on CAL for 40 ms.
    void OnChipReset() override;
    void OnCalibrate() override;

    const KX6300Block& Values() const { return values_; }
    double ActiveFrequency() const { return values_.active == 1 ? values_.rfB : values_.rfA; }
    // The one reference divider of the last calculation.
    double Divider() const { return divider_; }
    double Current() const override { return current_; }
    // L1, L2, C1, C2 as the form shows them.
    std::vector<ComponentText> Components() const override;

protected:
    InfoForm Help() const override { return InfoForm::KX6300; }

private:
    void Redisplay();
    void RunCalculation();

    KX6300Block values_{};
    FieldValues fields_{};
    double divider_ = 2;
    double current_ = 0;
    kx6300::Components components_{"", "", "", ""};
};

}  // namespace tessary

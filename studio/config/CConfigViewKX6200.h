#pragma once
// The KX6200 configuration form without its window: ApplySettings with its nineteen
// steps, the download over the three-wire bus, reset and calibration.

#include "studio/config/SharedBlockForm.h"

namespace tessary {

class CConfigViewKX6200 : public SharedBlockForm {
public:
    CConfigViewKX6200(TessaryDocument& document, MessageSink& messages) : SharedBlockForm(document, messages) {}

    static const std::vector<ControlSpec>& ControlTable();
    static const std::vector<std::string_view>& CrystalList();
    const std::vector<ControlSpec>& Controls() const override { return ControlTable(); }
    const std::vector<std::string_view>& Crystals() const override { return CrystalList(); }

    // Apply, check the mode against the active frequency's direction, download the
    // 23 registers. False when the direction check stopped it.
    bool UpdateDevice() override;
    // "&Reset": a pulse on MAIN's reset bit. "&Calibrate": START on CAL for 40 ms.
    void OnChipReset() override;
    void OnCalibrate() override;

protected:
    const TakeOverSpec& Rules() const override;
    InfoForm Help() const override { return InfoForm::KX6200; }
    bool RecommendedCrystal(double xtal) const override { return kx6200::IsRecommendedCrystal(xtal); }
    void RunCalculation() override;
};

}  // namespace tessary

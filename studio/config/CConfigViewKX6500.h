#pragma once
// The KX6500 configuration form without its window: the KX6500's calculation on the
// shared KX6200/KX6500 block, its download over the board bus, calibration and the
// hardware reset.

#include "studio/config/SharedBlockForm.h"

namespace tessary {

class CConfigViewKX6500 : public SharedBlockForm {
public:
    CConfigViewKX6500(TessaryDocument& document, MessageSink& messages) : SharedBlockForm(document, messages) {}

    static const std::vector<ControlSpec>& ControlTable();
    static const std::vector<std::string_view>& CrystalList();
    const std::vector<ControlSpec>& Controls() const override { return ControlTable(); }
    const std::vector<std::string_view>& Crystals() const override { return CrystalList(); }

    // Direction check first, then apply, then the download in the chip's order.
    bool UpdateDevice() override;
    // "&HW Reset" and "&Calibrate".
    void OnChipReset() override;
    void OnCalibrate() override;

protected:
    const TakeOverSpec& Rules() const override;
    InfoForm Help() const override { return InfoForm::KX6500; }
    bool RecommendedCrystal(double xtal) const override;
    void RunCalculation() override;
};

// The KX6500 registers in the download's order, after RFMAIN := 30h: address and the
// slot it takes its value from (-1: the fixed value).
struct KX6500Write {
    int address;
    int slot;
    int fixed;
};
const std::vector<KX6500Write>& KX6500DownloadOrder();

}  // namespace tessary

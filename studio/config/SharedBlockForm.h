#pragma once
// What the KX6200 and KX6500 forms share: both edit the one KX6200/KX6500 block of
// CConfig with the same controls, take-over, triggers and document handling; each
// brings its own calculation, download and chip buttons.

#include <optional>
#include <string>
#include <vector>

#include "studio/config/CConfig.h"
#include "studio/config/ControlTableForm.h"
#include "studio/config/KX6200Calc.h"

namespace tessary {

class SharedBlockForm : public ControlTableForm {
public:
    static constexpr const char* kRxNotActivated =
        "Rx frequency not activated.\nThe active frequency A or B\nmust correspond to the\nselected Mode.";
    static constexpr const char* kTxNotActivated =
        "Tx frequency not activated.\nThe active frequency A or B\nmust correspond to the\nselected Mode";

    static const BlockBinding<KX6200Block>& Binding();
    // A form's control table: the parameters both forms show, with the device's own
    // lists (data format to lock indicator) in their place and its extra controls last.
    static std::vector<ControlSpec> ComposeControls(std::vector<ControlSpec> deviceLists, bool lowCurrentHidden,
                                                    std::vector<ControlSpec> extra = {});

    // Show: the document changed.
    void OnUpdate() override;
    // First display: show, mark applied, apply, enable RF_B by "Optimal freq".
    void OnInitialUpdate() override;
    bool ApplySettings() override;
    // Recomputes the registers from the values shown, touching neither the document's
    // flags nor its parameters: the KX6200 and KX6500 share one register image, so the
    // form that becomes the active one must fill it with its own layout.
    void Recalculate() override { RunCalculation(); }

    // Triggers of the form.
    void OnChoiceChanged(FieldId id) override;
    void OnCheckClicked(FieldId id) override;  // "Optimal freq", "Low LO", "Low Current"
    void OnAccuracyLeft() override { ApplySettings(); }
    void OnLowCurrentClicked() { ApplySettings(); }
    void OnLowLoClicked();
    void OnOptimalClicked();
    void OnCrystalListLeft() override;

    // "Update Device"; false when the direction check stopped it.
    bool UpdateDevice() override = 0;

    bool RfBEnabled() const override { return rfBEnabled_; }
    const KX6200Block& Values() const { return values_; }
    // Form values outside the document's block (the estimator controls).
    int Index(FieldId id) const { return fields_.index[tessary::Index(id)]; }
    double Divider() const { return divider_; }
    double DividerTx() const { return dividerTx_; }
    double Current() const override { return current_; }
    double ActiveFrequency() const { return values_.active == 1 ? values_.rfB : values_.rfA; }
    // L101, then the match components, as the form shows them.
    std::vector<ComponentText> Components() const override;

protected:
    SharedBlockForm(TessaryDocument& document, MessageSink& messages) : ControlTableForm(document, messages) {}

    virtual const TakeOverSpec& Rules() const = 0;
    virtual bool RecommendedCrystal(double xtal) const = 0;
    virtual void RunCalculation() = 0;

    void Redisplay();
    // Step 1's bookkeeping after a rate change: redisplay, store, flag, refresh.
    void StoreSnappedRate();
    // The mode against the active frequency's direction, with its message.
    bool DirectionAllowsDownload();

    // Frequency words A and B with the reference dividers and the optimal-frequency
    // search, as both chips compute them with their own IF and search bounds. A word is
    // absent when its slots keep their values (A: the optimum unreachable; B: outside
    // the synthesiser's range, message shown).
    struct SynthesiserSearch {
        // The chip's internal IF by the band of RF A: word A and the search take it
        // from RF A as entered, word B from RF A as the search left it.
        double (*ifHz)(double rfAMHz);
        bool wordMayEqual;
        int lastCandidate, lastDivider;
    };
    struct FrequencyWords {
        std::optional<int> a, b;
    };
    FrequencyWords ComputeFrequencyWords(const SynthesiserSearch& search);

    KX6200Block values_{};
    FieldValues fields_{};
    double divider_ = 2;
    double dividerTx_ = 2;
    double current_ = 0;
    kx6200::Components components_{"", "", "", "", "", ""};
    bool rfBEnabled_ = true;
};

}  // namespace tessary

#pragma once
// One device's configuration form as tessary-calc drives it, and the table of the
// devices that have one. A device comes to the command line as a file of its own
// (CalcFormKX6200.cpp, ...) that defines its factory, plus its line in CalcForms().

#include <memory>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/MessageSink.h"
#include "studio/board/CRegisterViewModel.h"
#include "studio/config/DeviceKind.h"
#include "studio/config/FormFields.h"
#include "studio/config/SharedBlockForm.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

// A fresh register view as the command line drives it: its EEP file, its own
// download and chip buttons, and what it holds.
class CalcRegisterView {
public:
    virtual ~CalcRegisterView() = default;
    virtual std::string EepText() const = 0;
    // False (with the view's message shown) when the file is refused.
    virtual bool LoadEep(std::span<const std::uint8_t> bytes) = 0;
    virtual void UpdateDevice() = 0;
    virtual void Reset() = 0;
    virtual void Calibrate() = 0;
    // The read-back listing.
    virtual std::string ReadBack() = 0;
    virtual std::vector<int> Contents() const = 0;
};

class CalcForm {
public:
    virtual ~CalcForm() = default;
    virtual const std::vector<ControlSpec>& Controls() const = 0;
    virtual FormControls& ControlState() = 0;
    virtual void FirstDisplay() = 0;
    virtual bool PressEnter() = 0;
    virtual nlohmann::ordered_json Slots() const = 0;
    virtual std::vector<ComponentText> Components() const = 0;
    virtual double Current() const = 0;
    virtual FieldValues ConfigFields() const = 0;
    // Whether a field is part of the document (the estimator controls are the form's own).
    virtual bool InConfig(FieldId id) const = 0;
    // kind: "settings" or "registers".
    virtual bool Report(const std::string& kind, const std::string& path, std::string& error) = 0;
    // Address, name and value of each register, in download order.
    virtual std::vector<std::tuple<int, std::string, int>> Registers() const = 0;

    // The form's buttons and the main frame's lock poll.
    virtual bool UpdateDevice() = 0;  // false: stopped by the direction check
    virtual void ChipReset() = 0;
    virtual void Calibrate() = 0;
    // Reads back every register the device's register view reads.
    virtual std::vector<std::pair<int, int>> ReadBack() = 0;
    virtual std::string Lock() = 0;
    // The virtual chip's register file: JSON key and address (frame index).
    virtual std::vector<std::pair<std::string, int>> BoardRegisters() const = 0;
    // A fresh register view of the device on the document's registers.
    virtual std::unique_ptr<CRegisterViewModel> MakeRegisterView(MessageSink& messages) const = 0;
    // The same view as the command line drives it; by default the table-driven view
    // above.
    virtual std::unique_ptr<CalcRegisterView> MakeCalcRegisterView(MessageSink& messages) const;
    // Hex digits of a register value in the readable listing.
    virtual int RegisterDigits() const { return 2; }
    // Members of the document's block that are no control of the form.
    virtual void AddConfig(nlohmann::ordered_json& /*config*/) const {}
};

using CalcFormFactory = std::unique_ptr<CalcForm> (*)(TessaryDocument& document, MessageSink& messages);

// The devices' factories, one file each.
std::unique_ptr<CalcForm> MakeCalcFormKX6200(TessaryDocument& document, MessageSink& messages);
std::unique_ptr<CalcForm> MakeCalcFormKX6300(TessaryDocument& document, MessageSink& messages);
std::unique_ptr<CalcForm> MakeCalcFormKX6500(TessaryDocument& document, MessageSink& messages);
// The KX400 and the KX900 share one form; the document's device number tells them apart.
std::unique_ptr<CalcForm> MakeCalcFormKX400(TessaryDocument& document, MessageSink& messages);

struct CalcFormEntry {
    DeviceKind device;
    CalcFormFactory make;
    // The chip has a reset, a calibration and a read-back (--chip-reset, --calibrate,
    // --read-back).
    bool chipButtons = true;
};
// Every device with a form, in the order of the device list.
const std::vector<CalcFormEntry>& CalcForms();
// Nothing when the device has no form yet.
std::unique_ptr<CalcForm> MakeCalcForm(DeviceKind device, TessaryDocument& document, MessageSink& messages);
bool HasCalcForm(DeviceKind device);
bool HasChipButtons(DeviceKind device);

// "%02X".
std::string Hex2(int value);

}  // namespace tessary

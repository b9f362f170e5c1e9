#pragma once
// A transceiver register view without its window: the working copy, its hex fields
// and named controls, and the commands Apply, Update device, Read, Calibrate, Reset,
// and the EEP file. The three views differ only by their tables.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/MessageSink.h"
#include "studio/board/CRegisterBus.h"
#include "studio/board/RegisterViewTables.h"
#include "studio/config/CRegister.h"
#include "studio/config/TessaryDocument.h"

namespace tessary {

inline constexpr const char* kRegisterViewWarning =
    "Any changes of the registers value done here could lead to a non-valid\n configuration or errorious operation.";

// Two hex digits from the start of a field. One digit alone (or followed by a
// character that is no digit) is read as that one digit, "A" giving 0x0A; a field
// that does not start with a digit is not a value.
std::optional<int> ParseHexField(const std::string& text);

class CRegisterViewModel {
public:
    CRegisterViewModel(const RegisterViewTable& table, const CRegister& registers, MessageSink& messages);

    const RegisterViewTable& Table() const { return table_; }
    int Entry(int entry) const { return working_[static_cast<std::size_t>(entry)]; }
    const std::vector<int>& WorkingCopy() const { return working_; }

    // What the window shows: a hex text per shown entry, a value per named control
    // (check: 0/1, list: index, decimal: the text typed).
    std::vector<std::string> hex;            // by entry; empty for entries without a field
    std::vector<std::string> fieldText;      // by field binding, decimal fields
    std::vector<int> fieldValue;             // by field binding, checks and lists
    std::optional<int> FocusField() const { return focus_; }

    // Hex fields into the working copy, then every named control from it.
    void ApplyEdits();
    // A named control changed: its bits replace the register's, the hex fields follow.
    // False when a decimal field is out of range (its message shown, focus kept).
    bool OnFieldChanged(int field);
    void UpdateDevice();
    std::string ReadBack();  // the listing, also shown in one message box
    void Calibrate();
    void Reset();

    std::string EepText() const;
    // Refuses (with a message) a file shorter than the layout or with a value that is
    // not two hex digits; nothing changes then.
    bool LoadEep(std::span<const std::uint8_t> bytes);

    CRegisterBus& Bus() { return bus_; }
    static int ListChoices(int mask);  // how many values a list field offers

private:
    void ShowFromWorkingCopy();
    void WriteRegister(int address, int value);
    int ReadRegister(int address);

    const RegisterViewTable& table_;
    MessageSink& messages_;
    std::vector<int> working_;
    std::optional<int> focus_;
    CRegisterBus bus_;
};

// The KX400/KX900 register view edits the document's frames directly.
class CRegisterView {
public:
    CRegisterView(CRegister& registers, MessageSink& messages) : registers_(registers), messages_(messages) {}
    // On a document, a click also tells the document's other views to update.
    CRegisterView(TessaryDocument& document, MessageSink& messages)
        : registers_(document.registers), messages_(messages), document_(&document) {}
    // The 13 boxes of each frame, bit 12 first.
    std::vector<std::vector<int>> boxes;
    void ShowFromRegisters();
    // Takes every box over with SetFrameBits.
    void TakeOverBoxes();
    // A box was clicked: every box taken over, the other views told.
    void OnBoxClicked();
    void UpdateDevice();
    std::string Word(int frame) const;  // "%04X" as sent
    std::string EepText() const;
    bool LoadEep(std::span<const std::uint8_t> bytes);

private:
    CRegister& registers_;
    MessageSink& messages_;
    TessaryDocument* document_ = nullptr;
};

// The three transceiver views by the names the studio knows them under.
class CRegisterViewKX6200 : public CRegisterViewModel {
public:
    CRegisterViewKX6200(const CRegister& r, MessageSink& m) : CRegisterViewModel(KX6200ViewTable(), r, m) {}
};
class CRegisterView_KX6300 : public CRegisterViewModel {
public:
    CRegisterView_KX6300(const CRegister& r, MessageSink& m) : CRegisterViewModel(KX6300ViewTable(), r, m) {}
};
class CRegisterView_KX6500 : public CRegisterViewModel {
public:
    CRegisterView_KX6500(const CRegister& r, MessageSink& m) : CRegisterViewModel(KX6500ViewTable(), r, m) {}
};

}  // namespace tessary

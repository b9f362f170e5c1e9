#pragma once
// The DES view: the unit's mode and control bits, its key and data addresses and byte
// count, the initialization vector load, and a memory display of the keys, the vector
// or the data block, read from the target with the read-through flag.

#include <string>

#include "display/core/PeripheralView.h"

namespace kx6500disp {

class CDESDlg : public PeripheralView {
public:
    CDESDlg(SfrAccess& sfr, Notifier& notifier, Precheck precheck);

    static const std::vector<ControlSpec>& Table();

    // The "View:" entries.
    enum Display { kKeys = 0, kVector = 1, kData = 2 };

protected:
    void Decode(const SfrImage& image) override;
    std::optional<CommitResult> CommitOwn(Control& c) override;
    bool SelectOwn(Control& c) override;
    void PressOwn(Control& c) override;
    void TextChanged(Control& c) override;

private:
    CommitResult CommitCount(Control& c);
    CommitResult CommitAddress(Control& c, bool key);
    void LoadVector();
    // The display from the members, then members to controls.
    void RebuildMemory();
    std::string MemoryText();
    std::string KeysText();
    std::string VectorText();
    std::string DataText();
};

}  // namespace kx6500disp

// The KX6200 on the command line: three-wire bus, the register listing of every mode.

#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/RegisterMaps.h"
#include "studio/reports/ReportsKX6200.h"
#include "tools/tessary-calc/SharedBlockCalcForm.h"

namespace tessary {

namespace {

// The chip's register map, which the register view also reads back.
std::vector<int> ThreeWireAddresses() {
    std::vector<int> addresses;
    for (int a = 0x00; a <= 0x14; ++a) addresses.push_back(a);
    addresses.push_back(0x1C);
    for (int a = 0x40; a <= 0x46; ++a) addresses.push_back(a);
    return addresses;
}

const SharedBlockDevice& KX6200Device() {
    static const SharedBlockDevice device = {
        &KX6200ViewTable, false, ThreeWireAddresses(), ThreeWireAddresses(),
        [](const CRegister& reg) {
            std::vector<std::tuple<int, std::string, int>> rows;
            for (const auto& r : kKX6200Registers) rows.emplace_back(r.address, std::string(r.name), reg.GetReg(r.slot));
            return rows;
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintSettingsKX6200(static_cast<CConfigViewKX6200&>(f), path, error);
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintRegistersKX6200(static_cast<CConfigViewKX6200&>(f), path, error);
        }};
    return device;
}

}  // namespace

std::unique_ptr<CalcForm> MakeCalcFormKX6200(TessaryDocument& document, MessageSink& messages) {
    return std::make_unique<SharedBlockCalcForm<CConfigViewKX6200>>(document, messages, KX6200Device());
}

}  // namespace tessary

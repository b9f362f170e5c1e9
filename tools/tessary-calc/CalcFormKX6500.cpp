// The KX6500 on the command line: board bus, the SFR block 80h to FFh, the C table.

#include "studio/config/CConfigViewKX6500.h"
#include "studio/config/RegisterMaps.h"
#include "studio/reports/ReportsKX6500.h"
#include "tools/tessary-calc/SharedBlockCalcForm.h"

namespace tessary {

namespace {

std::vector<int> Range(int first, int last) {
    std::vector<int> r;
    for (int a = first; a <= last; ++a) r.push_back(a);
    return r;
}

const SharedBlockDevice& KX6500Device() {
    static const SharedBlockDevice device = {
        &KX6500ViewTable, true,
        [] {
            std::vector<int> a = {0xC8};
            for (int x : {0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD9, 0xDA, 0xDB, 0xDC, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5,
                          0xE6, 0xEA, 0xEB, 0xEC, 0xEE, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF, 0xB4, 0xB5, 0xB6})
                a.push_back(x);
            return a;
        }(),
        Range(0x80, 0xFF),
        [](const CRegister& reg) {
            std::vector<std::tuple<int, std::string, int>> rows;
            // The download order without its opening RFMAIN := 30h.
            const auto& order = KX6500DownloadOrder();
            for (auto w = order.begin() + 1; w != order.end(); ++w)
                rows.emplace_back(w->address, std::string(KX6500RegisterName(w->address)),
                                  w->slot >= 0 ? reg.GetReg(w->slot) : w->fixed);
            return rows;
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintSettingsKX6500(static_cast<CConfigViewKX6500&>(f), path, error);
        },
        [](SharedBlockForm& f, const std::string& path, std::string& error) {
            return PrintRegistersKX6500(static_cast<CConfigViewKX6500&>(f), path, error);
        }};
    return device;
}

}  // namespace

std::unique_ptr<CalcForm> MakeCalcFormKX6500(TessaryDocument& document, MessageSink& messages) {
    return std::make_unique<SharedBlockCalcForm<CConfigViewKX6500>>(document, messages, KX6500Device());
}

}  // namespace tessary

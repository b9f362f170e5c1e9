#include "tools/kx6500-sim/SimRun.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <vector>

#include "common/FileIo.h"
#include "lptlink/core/HexFile.h"
#include "sim/chip/Sfr.h"

namespace tessary {

namespace {

struct ImageDeleter {
    void operator()(Mem8051* mem) const {
        Mem8051Destroy(mem);
        std::free(mem);
    }
};

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

}  // namespace

bool LoadHexIntoChip(std::string_view text, sim::KX6500Chip& chip, std::string& error) {
    std::unique_ptr<Mem8051, ImageDeleter> mem(static_cast<Mem8051*>(std::malloc(sizeof(Mem8051))));
    if (!mem) {
        error = "out of memory";
        return false;
    }
    Mem8051Init(mem.get(), 7);
    if (!lptlink::ParseHex(text, *mem)) {
        error = "not a valid Intel HEX file";
        return false;
    }
    for (const Mem8051Span* span = mem->spans.next; span; span = span->next) {
        if (span->last >= sim::KX6500Chip::kFlashSize) {
            const unsigned first = span->first >= sim::KX6500Chip::kFlashSize ? span->first : sim::KX6500Chip::kFlashSize;
            error = "data at " + Hex(first, 4) + ", beyond the KX6500's 32 KiB flash (0x0000 to 0x7FFF)";
            return false;
        }
    }
    chip.EraseChip();
    for (int page = 0; page < sim::KX6500Chip::kPages; ++page) {
        if (!mem->pageFlags[page]) continue;
        chip.ProgramPage(page, sim::KX6500Chip::Page(mem->image + page * sim::KX6500Chip::kPageSize,
                                                     sim::KX6500Chip::kPageSize));
    }
    return true;
}

nlohmann::json ChipStateJson(const sim::KX6500Chip& chip) {
    using namespace sim::sfr;
    nlohmann::json j;
    j["pc"] = chip.Pc();
    j["acc"] = chip.ReadSfr(ACC);
    j["b"] = chip.ReadSfr(B);
    j["psw"] = chip.ReadSfr(PSW);
    j["sp"] = chip.ReadSfr(SP);
    j["dptr"] = chip.ReadSfr(DPH) << 8 | chip.ReadSfr(DPL);
    j["dps"] = chip.ReadSfr(DPS);
    std::vector<int> r, iram, sfr, xdata;
    for (int n = 0; n < 8; ++n) r.push_back(chip.R(n));
    for (int a = 0; a < sim::KX6500Chip::kIramSize; ++a) iram.push_back(chip.Iram(a));
    for (int a = 0x80; a <= 0xFF; ++a) sfr.push_back(chip.ReadSfr(a));
    for (int a = 0; a < sim::KX6500Chip::kXdataSize; ++a) xdata.push_back(chip.Xdata(a));
    j["r"] = r;
    j["iram"] = iram;
    j["sfr"] = sfr;
    j["xdata"] = xdata;
    j["steps"] = chip.Instructions();
    j["cycles"] = chip.Cycles();
    return j;
}

std::string ChipStateText(const sim::KX6500Chip& chip) {
    using namespace sim::sfr;
    std::string text = "PC " + Hex(chip.Pc(), 4) + "  ACC " + Hex(chip.ReadSfr(ACC), 2) + "  B " + Hex(chip.ReadSfr(B), 2) +
                       "  PSW " + Hex(chip.ReadSfr(PSW), 2) + "  SP " + Hex(chip.ReadSfr(SP), 2) + "  DPTR " +
                       Hex(static_cast<unsigned>(chip.ReadSfr(DPH) << 8 | chip.ReadSfr(DPL)), 4) + "  DPS " +
                       Hex(chip.ReadSfr(DPS), 2) + "\n";
    text += "R0-R7 (bank " + std::to_string((chip.ReadSfr(PSW) >> 3) & 3) + "):";
    for (int n = 0; n < 8; ++n) text += " " + Hex(chip.R(n), 2).substr(2);
    text += "\nchanged SFRs:";
    int changed = 0;
    for (int a = 0x80; a <= 0xFF; ++a) {
        const auto name = Name(a);
        if (!name || a == ACC || a == B || a == PSW || a == SP || a == DPL || a == DPH || a == DPS) continue;
        if (chip.ReadSfr(a) == ResetValue(a)) continue;
        text += " " + std::string(*name) + "=" + Hex(chip.ReadSfr(a), 2).substr(2);
        ++changed;
    }
    if (changed == 0) text += " none";
    text += "\n" + std::to_string(chip.Instructions()) + " instructions, " + std::to_string(chip.Cycles()) +
            " machine cycles\n";
    return text;
}

int RunBatch(const SimRunOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(options.file, bytes, error)) {
        err << "kx6500-sim: " << error << "\n";
        return 1;
    }
    sim::KX6500Chip chip;
    if (!LoadHexIntoChip(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), chip, error)) {
        err << "kx6500-sim: " << options.file << ": " << error << "\n";
        return 1;
    }
    chip.PowerOn();
    constexpr std::uint64_t kSlice = 1u << 22;
    for (std::uint64_t done = 0; done < options.steps;) {
        const std::uint64_t end = options.steps - done > kSlice ? done + kSlice : options.steps;
        for (; done < end; ++done) chip.Step();
        if (options.progress) options.progress(done, options.steps);
    }
    if (options.json) out << ChipStateJson(chip).dump() << "\n";
    else out << ChipStateText(chip);
    return 0;
}

}  // namespace tessary

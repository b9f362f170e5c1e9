// Random and hostile texts in every field, random list indices and random document
// bytes: the parser and the calculation must neither crash nor hang. Run under the
// sanitizers this also catches undefined arithmetic.

#include <gtest/gtest.h>

#include <random>

#include "studio/config/CConfigViewKX6200.h"
#include "studio/config/ConfigFile.h"
#include "studio/config/ParseReal.h"

using namespace tessary;

namespace {

const std::vector<std::string> kNasty = {
    "", " ", "\t", "nan", "-nan", "inf", "-inf", "1e308", "-1e308", "1e-320", "0x1p3", "0X10",
    "4e9999", "--1", "+5", " +0", "0.", ".5", "5.", "1,5", "\xff\xfe", "%s%n%x", std::string(200, '9'),
    "300", "1000", "16", "3", "24", "-20", "10", "0.6", "76.8", "500", "2147483648", "-2147483649",
    "9" + std::string(40, '0'), "1e10", "3.0000001", "868.2972", "0.0000001",
};

std::string RandomText(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 3);
    switch (pick(rng)) {
        case 0: return kNasty[std::uniform_int_distribution<std::size_t>(0, kNasty.size() - 1)(rng)];
        case 1: {
            std::string s;
            const int n = std::uniform_int_distribution<int>(0, 40)(rng);
            for (int i = 0; i < n; ++i) s += static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
            return s;
        }
        case 2: {
            std::uniform_real_distribution<double> v(-2000, 2000);
            return FormatReal("%.9g", v(rng));
        }
        default: {
            // Values near the valid ranges, where thresholds live.
            const double centres[] = {3, 4, 6, 8, 9, 12, 14.7456, 16, 300, 500, 868.3, 1000, 0.6, 19.2, 76.8, 200};
            const double c = centres[std::uniform_int_distribution<int>(0, 15)(rng)];
            return FormatReal("%.6f", c + std::uniform_real_distribution<double>(-0.5, 0.5)(rng));
        }
    }
}

}  // namespace

TEST(HostileInput, ParserNeverMisbehaves) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomText(rng);
        const auto value = ParseReal(text);
        if (value && *value == 0) {
            EXPECT_NE(text.find('0'), std::string::npos) << text;
        }
    }
}

TEST(HostileInput, KX6200FormSurvivesAnything) {
    std::mt19937 rng(4242);
    TessaryDocument doc;
    RecordingMessageSink messages;
    CConfigViewKX6200 form(doc, messages);
    form.OnInitialUpdate();
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        // Start from what the form shows, then spoil one to three controls.
        if (rng() % 2) form.OnUpdate();
        const auto& table = CConfigViewKX6200::ControlTable();
        const int spoiled = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < spoiled; ++k) {
            const auto& control = table[rng() % table.size()];
            const std::size_t i = Index(control.id);
            if (FindNumericSpec(control.id))
                form.controls.text[i] = RandomText(rng);
            else  // the window only offers valid indices, but a document file can hold any
                form.controls.selection[i] = std::uniform_int_distribution<int>(-3, 9)(rng);
        }
        switch (rng() % 6) {
            case 0: form.OnLowLoClicked(); break;
            case 1: form.OnOptimalClicked(); break;
            case 2: form.OnCrystalListLeft(); break;
            default: accepted += form.ApplySettings() ? 1 : 0; break;
        }
        messages.shown.clear();
        if (!form.FocusField()) {
            // Whatever was accepted lies inside the checked ranges.
            const KX6200Block& c = doc.config.kx6200;
            EXPECT_GE(c.ppm, 0);
            EXPECT_LE(c.ppm, 500);
            EXPECT_LE(c.power, 10);
            EXPECT_GE(c.power, -20);
        }
    }
    EXPECT_GT(accepted, 50);  // the random input did reach the calculation
}

TEST(HostileInput, RandomDocumentFilesLoadAndCalculate) {
    std::mt19937 rng(777);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> bytes(kConfigFileSize);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        if (round % 2) {
            // Keep the doubles plausible half of the time so that the calculation runs.
            CConfig sane;
            const auto good = SerializeConfig(sane);
            for (std::size_t i = 0; i < bytes.size(); ++i)
                if (rng() % 3) bytes[i] = good[i];
        }
        TessaryDocument doc;
        std::string error;
        ASSERT_TRUE(doc.Load(bytes, error));
        RecordingMessageSink messages;
        CConfigViewKX6200 form(doc, messages);
        form.OnInitialUpdate();
        form.ApplySettings();
    }
}

#include "sim/target/LinkFaults.h"

#include <charconv>

namespace sim {

std::optional<FaultRates> ParseFaultRates(std::string_view text, std::string& error) {
    FaultRates rates;
    bool seen[3] = {false, false, false};
    const std::string_view keys[3] = {"drop", "flip", "insert"};
    double* values[3] = {&rates.drop, &rates.flip, &rates.insert};
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t equals = item.find('=');
        const std::string_view key = item.substr(0, equals);
        int k = 0;
        while (k < 3 && keys[k] != key) ++k;
        if (equals == std::string_view::npos || k == 3) {
            error = "'" + std::string(item) + "' is not drop=P, flip=P or insert=P";
            return std::nullopt;
        }
        if (seen[k]) {
            error = std::string(key) + " is given twice";
            return std::nullopt;
        }
        seen[k] = true;
        const std::string_view number = item.substr(equals + 1);
        double value = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || ec != std::errc() || end != number.data() + number.size() || value < 0 || value > 100) {
            error = std::string(key) + "=" + std::string(number) + ": the rate is a percentage from 0 to 100";
            return std::nullopt;
        }
        *values[k] = value;
        if (comma == std::string_view::npos) return rates;
        text.remove_prefix(comma + 1);
    }
}

LinkFaults::LinkFaults(const FaultRates& rates, std::uint64_t seed) : rates_(rates), random_(seed) {}

bool LinkFaults::Chance(double percent) {
    if (percent <= 0) return false;
    return std::uniform_real_distribution<double>(0, 100)(random_) < percent;
}

void LinkFaults::Carry(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    ++counts_.bytes;
    if (Chance(rates_.drop)) {
        ++counts_.dropped;
        return;
    }
    if (Chance(rates_.flip)) {
        byte ^= static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(random_));
        ++counts_.flipped;
    }
    out.push_back(byte);
    if (Chance(rates_.insert)) {
        out.push_back(static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random_)));
        ++counts_.inserted;
    }
}

}  // namespace sim

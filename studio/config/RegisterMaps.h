#pragma once
// Where each chip keeps its registers: register slot, bus address and name, in the
// order the form's download writes them.

#include <array>
#include <string_view>
#include <utility>

namespace tessary {

struct RegisterSlot {
    int slot;
    int address;
    std::string_view name;
};

inline constexpr std::array<RegisterSlot, 23> kKX6200Registers = {{
    {0, 0x00, "MAIN"},     {1, 0x01, "FREQ_A2"},   {2, 0x02, "FREQ_A1"},  {3, 0x03, "FREQ_A0"},
    {4, 0x04, "FREQ_B2"},  {5, 0x05, "FREQ_B1"},   {6, 0x06, "FREQ_B0"},  {7, 0x07, "FSEP1"},
    {8, 0x08, "FSEP0"},    {9, 0x09, "CURRENT"},   {34, 0x0A, "FRONT_END"}, {10, 0x0B, "PA_POW"},
    {11, 0x0C, "PLL"},     {12, 0x0D, "LOCK"},     {13, 0x0E, "CAL"},     {14, 0x0F, "MODEM2"},
    {15, 0x10, "MODEM1"},  {16, 0x11, "MODEM0"},   {17, 0x12, "MATCH"},   {18, 0x13, "FSCTRL"},
    {19, 0x14, ""},        {35, 0x1C, "PRESCALER"}, {29, 0x42, "TEST4"},
}};

// The KX6500 registers the form downloads, by address.
inline constexpr std::array<std::pair<int, std::string_view>, 29> kKX6500RegisterNames = {{
    {0xC8, "RFMAIN"},  {0xCA, "FREQ_A0"}, {0xCB, "FREQ_A1"}, {0xCC, "FREQ_A2"},  {0xCD, "FREQ_B0"},
    {0xCE, "FREQ_B1"}, {0xCF, "FREQ_B2"}, {0xD9, "MODEM2"},  {0xDA, "MODEM1"},   {0xDB, "MODEM0"},
    {0xDC, "MATCH"},   {0xE1, "CURRENT"}, {0xE2, "PA_POWER"}, {0xE3, "PLL"},     {0xE4, "LOCK"},
    {0xE5, "CAL"},     {0xE6, "PRESCALE"}, {0xEA, "FSEP0"},  {0xEB, "FSEP1"},    {0xEC, "FSCTRL"},
    {0xEE, "FREND"},   {0xF9, "TEST0"},   {0xFA, "TEST1"},   {0xFB, "TEST2"},    {0xFC, "TEST3"},
    {0xFD, "TEST4"},   {0xFE, "TEST5"},   {0xFF, "TEST6"},   {0xB4, "SIGBER"},
}};

constexpr std::string_view KX6500RegisterName(int address) {
    for (const auto& [a, name] : kKX6500RegisterNames)
        if (a == address) return name;
    return "";
}

}  // namespace tessary

#pragma once
// Where each chip keeps its registers: register slot, bus address and name, in the
// order the form's download writes them.

#include <array>
#include <string_view>

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

}  // namespace tessary

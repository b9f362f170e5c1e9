#include "lptlink/core/ProgrammerTexts.h"

#include "lptlink/lptlink.h"

namespace lptlink {

namespace {

struct ResultTextRow {
    unsigned result;
    const char* text;
    const char* flashTestText;  // nullptr: the same text
};

constexpr ResultTextRow kResultTexts[] = {
    {SPI_RESULT_OK, "Operation completed successfully!", nullptr},
    {SPI_RESULT_ABORTED, "User aborted action!\nDevice in unknown state.", nullptr},
    {SPI_RESULT_READ_PROTECTED, "Device is read-protected!", nullptr},
    {SPI_RESULT_PROGRAM_FAILED, "Programming failed!", "Flash test failed due to programming failure!"},
    {SPI_RESULT_VERIFY_FAILED, "Verify failed!", "Flash test failed due to verification failure!"},
    {SPI_RESULT_NO_DEVICE, "Unable to contact a device on parallel port!", nullptr},
};

}  // namespace

std::string ActionResultText(unsigned result, bool flashTest) {
    for (const auto& row : kResultTexts)
        if (row.result == result) return flashTest && row.flashTestText ? row.flashTestText : row.text;
    return "Unknown error!";
}

std::string DeviceQueryErrorText(unsigned result) {
    if (result == SPI_RESULT_NO_DEVICE) return ActionResultText(result, false);
    if (result > 255) return "Unknown error during communication with device!";
    return "";
}

std::string LockStatusText(int lockBits, std::string_view lineBreak) {
    const int k = (lockBits >> 1) & 7;
    const std::string read = (lockBits & 0x01) ? "" : "No";
    const std::string boot = (lockBits & 0x10) ? "" : "No";
    return read + " Read Lock, " + boot + " boot write lock," + std::string(lineBreak) + "Upper " +
           std::to_string(((1 << k) >> 1) * 512) + " bytes write locked.";
}

}  // namespace lptlink

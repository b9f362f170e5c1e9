#include "studio/board/DemoBoardProgrammer.h"

#include <vector>

#include "common/FileIo.h"

namespace tessary {

const char* const kNoDemoBoardMessage =
    "Tessary Studio are unable to detect a Demonstration Board connected to\nthe Evaluation Board. Please verify that "
    "the Demonstration Board is correctly\nconnected to the Edge connector.";
const char* const kNotTiny12Message =
    "The microcontroller in the demonstrator is not a tiny12 part from Atmel,\nand Tessary Studio can for this reason "
    "not program the flash";
const char* const kEepromFileRefused =
    "Tessary Studio are unable to dowload the selected file to the EEPROM Buffer.\nPlease verify that the file is a "
    "correct register file.";
const char* const kFlashFileRefused =
    "Tessary Studio is unable to load the selected file into the FLASH Buffer.\nPlease verify that the file is a "
    "generic hex file for the tiny12 (lines of a six-digit word address, a colon and a four-digit word).";
const char* const kInfoEepromText =
    "The data in the EEPROM buffer will be programmed to the EEPROM in the microcontroller\nwhen the program "
    "EEPROM-button is pushed. The EEPROM in the microcontroller is\ndedicated to the system parameters of the "
    "transceiver on the  Board, and the file can be\ngenerated in Tessary Studio with the print register to file... All "
    "the information\nof the transceiver is stored in this file.\n\nThe demonstration Board is powered by the "
    "Evaluation board,\n and the battery should be removed before programming.";
const char* const kInfoFlashText =
    "The data in the FLASH-buffer will be programmed to the Flash of the microcontroller when the\n program "
    "FLASH-button is pushed. The flash on the microcontroller is dedicated to the\noverall behaviour of the "
    "demostration board. Here is all the information of the\nfunctions of the demostration board stored.\n\nHave in "
    "mind that the chip is erased (both EEPROM and FLASH) before writing to the FLASH.\nFor this reason you must "
    "rewrite to the EEPROM after the Flash is updated. Have also \nin mind that there are different hex format and "
    "before programing the flash ensure that \nyou have the correnct format (generic). Please see user manual for the "
    "Tessary Studio for details.\n\nThe demonstration Board is powered by the Evaluation board,\n and the battery "
    "should be removed before programming.";

namespace {
constexpr const char* kCaption = "Tessary Studio";
constexpr std::uint8_t kAtmel = 0x1E;
constexpr int kCalibrationWord = 0x1FF;
}  // namespace

DemoBoardProgrammer::DemoBoardProgrammer(int deviceNumber, CParallelPort& port, BusTiming& timing,
                                         MessageSink& messages)
    : deviceNumber_(deviceNumber), wire_(port, timing), messages_(&messages) {
    flash_.fill(0xFFFF);
}

DemoBoardProgrammer::Enabling DemoBoardProgrammer::Enabled() const {
    Enabling e;
    e.load = source_ == Source::File;
    e.read = source_ == Source::Board;
    e.save = (source_ == Source::File || source_ == Source::Board) && eepromData_;
    e.programEeprom = eepromData_;
    e.flashLoad = true;
    e.programFlash = flashData_;
    return e;
}

void DemoBoardProgrammer::Say(const std::string& text, MessageIcon icon) { messages_->Show({text, kCaption, icon}); }

void DemoBoardProgrammer::SetStatus(DemoGroup group, const std::string& text) {
    std::string& line = group == DemoGroup::Eeprom ? eepromStatus_ : flashStatus_;
    if (line == text) return;
    line = text;
    if (observer_) observer_->StatusLine(group, text);
}

void DemoBoardProgrammer::Range(DemoGroup group, int maximum) {
    if (observer_) observer_->ProgressRange(group, maximum);
}

void DemoBoardProgrammer::Step(DemoGroup group, int value) {
    if (observer_) observer_->Progress(group, value);
}

void DemoBoardProgrammer::SelectSource(Source source) {
    source_ = source;
    if (source != Source::Default) return;
    eeprom_ = {};
    if (const DemoEeprom* image = DefaultEepromImage(deviceNumber_)) {
        eeprom_ = *image;
        eepromData_ = true;
        SetStatus(DemoGroup::Eeprom, deviceNumber_ == 4 ? "Default data in buffer for KX400DB"
                                                        : "Default data in buffer for KX900DB");
    } else {
        eepromData_ = false;
        SetStatus(DemoGroup::Eeprom, kNoDefaultData);
    }
}

DemoOutcome DemoBoardProgrammer::LoadEeprom(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        Say("Tessary Studio cannot open the file " + path + ":\n" + error, MessageIcon::Exclamation);
        return DemoOutcome::FileUnreadable;
    }
    const auto result =
        ReadEepromFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), eeprom_);
    if (!result.ok) {
        Say(std::string(kEepromFileRefused) + "\n\n" + path + ": " + result.problem);
        return DemoOutcome::FileRefused;
    }
    eeprom_ = result.eeprom;
    eepromData_ = true;
    SetStatus(DemoGroup::Eeprom, "File " + path + " in the Buffer");
    return DemoOutcome::Done;
}

DemoOutcome DemoBoardProgrammer::SaveEeprom(const std::string& path) {
    if (!eepromData_) {
        Say("The EEPROM buffer holds no data to save.", MessageIcon::Exclamation);
        return DemoOutcome::NoData;
    }
    std::string error;
    if (!WriteWholeFile(path, BufferFileText(eeprom_), error)) {
        Say("Tessary Studio cannot write the file " + path + ":\n" + error, MessageIcon::Exclamation);
        return DemoOutcome::FileUnwritable;
    }
    SetStatus(DemoGroup::Eeprom, "Buffer saved to " + path);
    return DemoOutcome::Done;
}

DemoOutcome DemoBoardProgrammer::LoadFlash(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        Say("Tessary Studio cannot open the file " + path + ":\n" + error, MessageIcon::Exclamation);
        return DemoOutcome::FileUnreadable;
    }
    const auto result =
        ReadGenericHexFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!result.ok) {
        Say(std::string(kFlashFileRefused) + "\n\n" + path + ": " + result.problem);
        return DemoOutcome::FileRefused;
    }
    flash_ = result.flash;
    flashData_ = true;
    SetStatus(DemoGroup::Flash, "File " + path + " in the Buffer");
    return DemoOutcome::Done;
}

void DemoBoardProgrammer::InfoEeprom() { messages_->Show({kInfoEepromText, "Info: EEPROM", MessageIcon::Information}); }
void DemoBoardProgrammer::InfoFlash() { messages_->Show({kInfoFlashText, "Info: FLASH", MessageIcon::Information}); }

// Other boards drive status bit 7 for their own purposes: only the KX400/KX900
// evaluation boards carry the demonstration board.
bool DemoBoardProgrammer::BoardDevice() {
    if (deviceNumber_ == 4 || deviceNumber_ == 9) return true;
    Say("The demonstration boards KX400DB and KX900DB go with the KX400 and KX900 evaluation boards.\nSelect the "
        "KX400 or the KX900 as the device before programming the demonstration board.",
        MessageIcon::Exclamation);
    return false;
}

bool DemoBoardProgrammer::Present() {
    if (wire_.BoardPresent()) return true;
    Say(kNoDemoBoardMessage);
    return false;
}

DemoOutcome DemoBoardProgrammer::ReadEeprom() {
    if (!BoardDevice()) return DemoOutcome::OtherDevice;
    if (!Present()) return DemoOutcome::NoBoard;
    wire_.EnterForRead();
    Range(DemoGroup::Eeprom, kEepromSteps);
    // The buffer changes only when the whole EEPROM has been read.
    DemoEeprom read{};
    for (int address = 0; address < kDemoEepromBytes; ++address) {
        SetStatus(DemoGroup::Eeprom, kReadingEeprom);
        read[static_cast<std::size_t>(address)] = wire_.Read(0xA0, 0x00, static_cast<std::uint8_t>(address));
        Step(DemoGroup::Eeprom, address + 1);
    }
    eeprom_ = read;
    eepromData_ = true;
    SetStatus(DemoGroup::Eeprom, kBoardReadToBuffer);
    Step(DemoGroup::Eeprom, 0);
    wire_.Data(0xBF);
    wire_.Data(0x01);
    wire_.Sleep(1);
    return DemoOutcome::Done;
}

DemoOutcome DemoBoardProgrammer::ProgramEeprom() {
    if (!eepromData_) {
        Say("The EEPROM buffer holds no data to program.", MessageIcon::Exclamation);
        return DemoOutcome::NoData;
    }
    if (!BoardDevice()) return DemoOutcome::OtherDevice;
    wire_.Data(0x05);
    if (!Present()) return DemoOutcome::NoBoard;
    wire_.EnterForProgramEeprom();
    Range(DemoGroup::Eeprom, kEepromSteps);
    for (int address = 0; address < kDemoEepromBytes; ++address) {
        wire_.Instruction(0xC0, 0x00, static_cast<std::uint8_t>(address),
                          static_cast<std::uint8_t>(eeprom_[static_cast<std::size_t>(address)]));
        Step(DemoGroup::Eeprom, address + 1);
    }
    wire_.WaitMs(10);
    Step(DemoGroup::Eeprom, 0);
    wire_.Data(0xBF);
    wire_.Data(0x01);
    return DemoOutcome::Done;
}

DemoOutcome DemoBoardProgrammer::ProgramFlash() {
    if (!flashData_) {
        Say("The FLASH buffer holds no data to program.", MessageIcon::Exclamation);
        return DemoOutcome::NoData;
    }
    if (!BoardDevice()) return DemoOutcome::OtherDevice;
    if (!Present()) return DemoOutcome::NoBoard;
    wire_.EnterForProgramFlash();
    // The part is identified before anything is erased, and its calibration byte kept
    // while it still can be read.
    const std::uint8_t signature = wire_.Read(0x30, 0x00, 0x00);
    const std::uint8_t calibration = wire_.Read(0x38, 0x00, 0x00);
    if (signature != kAtmel) {
        wire_.Data(0xBF);
        Say(kNotTiny12Message);
        return DemoOutcome::ForeignPart;
    }
    wire_.ChipErase();
    wire_.WaitMs(10);
    Range(DemoGroup::Flash, kFlashSteps);
    for (int word = 0; word < kDemoFlashWords; ++word) {
        // Flash cells only clear bits until the next erase, so the calibration word is
        // written once, with the calibration byte in place of the file's word.
        const int value = word == kCalibrationWord ? calibration : flash_[static_cast<std::size_t>(word)];
        const auto high = static_cast<std::uint8_t>(word >> 8), low = static_cast<std::uint8_t>(word & 0xFF);
        wire_.Instruction(0x40, high, low, static_cast<std::uint8_t>(value & 0xFF));
        wire_.Instruction(0x48, high, low, static_cast<std::uint8_t>((value >> 8) & 0xFF));
        Step(DemoGroup::Flash, word + 1);
    }
    Step(DemoGroup::Flash, 0);
    wire_.Data(0xBF);
    wire_.WaitMs(1);
    return DemoOutcome::Done;
}

}  // namespace tessary

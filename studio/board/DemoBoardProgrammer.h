#pragma once
// The demonstration-board programmer without its window: the EEPROM and FLASH buffers,
// their status lines, which controls are enabled, the files and the board operations
// on the ATtiny12 of a KX400DB or KX900DB. The window copies texts and states out and
// forwards the controls; the board operations may run on a worker thread while the
// window waits for them to end (the observer hears their progress on that thread).

#include <string>

#include "common/MessageSink.h"
#include "studio/board/DemoBoardFiles.h"
#include "studio/board/DemoBoardWire.h"

namespace tessary {

inline constexpr const char* kNoDataInBuffer = "No data in buffer";
inline constexpr const char* kNoDefaultData = " No default data in buffer";
inline constexpr const char* kReadingEeprom = "Reading 44 byte...";
inline constexpr const char* kBoardReadToBuffer = "Demostration Board read to buffer";
extern const char* const kNoDemoBoardMessage;
extern const char* const kNotTiny12Message;
extern const char* const kEepromFileRefused;
extern const char* const kFlashFileRefused;
extern const char* const kInfoEepromText;
extern const char* const kInfoFlashText;

enum class DemoGroup { Eeprom, Flash };

// How an operation ended.
enum class DemoOutcome {
    Done,
    NoData,       // nothing in the buffer to program or save
    OtherDevice,  // the document's device has no demonstration board
    NoBoard,      // no demonstration board answers
    ForeignPart,  // the signature is not an Atmel part's
    FileUnreadable,
    FileRefused,
    FileUnwritable,
};

class DemoProgressObserver {
public:
    virtual ~DemoProgressObserver() = default;
    virtual void ProgressRange(DemoGroup group, int maximum) = 0;
    virtual void Progress(DemoGroup group, int value) = 0;
    virtual void StatusLine(DemoGroup group, const std::string& text) = 0;
};

class DemoBoardProgrammer {
public:
    enum class Source { None, Default, File, Board };
    struct Enabling {
        bool load = false, save = false, read = false, programEeprom = false;
        bool flashLoad = true, programFlash = false;
    };
    static constexpr int kEepromSteps = kDemoEepromBytes;
    static constexpr int kFlashSteps = kDemoFlashWords;

    // deviceNumber: the document's (4 KX400, 9 KX900).
    DemoBoardProgrammer(int deviceNumber, CParallelPort& port, BusTiming& timing, MessageSink& messages);
    void SetObserver(DemoProgressObserver* observer) { observer_ = observer; }

    // The radio buttons; "default setting" fills the buffer with the board's image.
    void SelectSource(Source source);
    Source SelectedSource() const { return source_; }
    // The files, by the path a dialog gave.
    DemoOutcome LoadEeprom(const std::string& path);
    DemoOutcome SaveEeprom(const std::string& path);
    DemoOutcome LoadFlash(const std::string& path);
    // The board operations.
    DemoOutcome ReadEeprom();
    DemoOutcome ProgramEeprom();
    DemoOutcome ProgramFlash();
    void InfoEeprom();
    void InfoFlash();

    Enabling Enabled() const;
    const DemoEeprom& Eeprom() const { return eeprom_; }
    const DemoFlash& Flash() const { return flash_; }
    const std::string& EepromStatus() const { return eepromStatus_; }
    const std::string& FlashStatus() const { return flashStatus_; }
    bool EepromHasData() const { return eepromData_; }
    bool FlashHasData() const { return flashData_; }
    int DeviceNumber() const { return deviceNumber_; }

private:
    bool BoardDevice();
    bool Present();
    void SetStatus(DemoGroup group, const std::string& text);
    void Range(DemoGroup group, int maximum);
    void Step(DemoGroup group, int value);
    void Say(const std::string& text, MessageIcon icon = MessageIcon::None);

    int deviceNumber_;
    DemoBoardWire wire_;
    MessageSink* messages_;
    DemoProgressObserver* observer_ = nullptr;
    Source source_ = Source::None;
    DemoEeprom eeprom_{};
    DemoFlash flash_;
    bool eepromData_ = false;
    bool flashData_ = false;
    std::string eepromStatus_ = kNoDataInBuffer;
    std::string flashStatus_ = kNoDataInBuffer;
};

}  // namespace tessary

#pragma once
// The library's process-wide port driver state and its operations: start-up with the
// single-instance marker and the driver file, opening the driver and reading the port
// table, the service open and close sequences, release, register access and port
// selection.

#include <array>
#include <cstdint>

#include "lptlink/core/Platform.h"
#include "lptlink/core/PortDriverRequest.h"

namespace lptlink {

inline constexpr const char* kMarkerName = "Norvane parallel port utility DLL";
inline constexpr const char* kServiceName = "TVICPORT";
inline constexpr const char* kDriverTitle = "Norvane Parallel Port Driver Error";
inline constexpr const char* kInUseMessage =
    "The parallel port DLL is already in use in\nanother application which has to be closed before\nthis one can "
    "run. This application will now close.";
inline constexpr const char* kLoadFailedMessage = "Unable to load the parallel port driver!";
inline constexpr const char* kReleaseFailedMessage =
    "Unable to release the parallel port driver!\nSystem might behave erratically.";

struct PortDriverState {
    Handle device = kInvalidHandle;
    std::uint32_t servicePreInstalled = 1;
    std::uint32_t servicePreRunning = 1;
    Handle serviceManager = kNoHandle;
    PortDriverRequest request;
    std::uint32_t open = 0;
    bool havePortTable = false;
    std::array<std::uint16_t, 3> portTable{};
    std::uint16_t currentBase = 0x378;
    std::uint8_t currentIndex = 1;
    std::uint8_t portCount = 0;
};

class PortDriver {
public:
    explicit PortDriver(Platform& platform);

    int Init();
    int Release();
    int Read(int address);
    void Write(int address, int value);
    int GetNumParPorts() const;
    int GetParPortBaseAdr(int index);
    int DirectRead(int address);
    void DirectWrite(int address, int value);

    bool Initialised() const { return initialised_; }
    const PortDriverState& State() const { return state_; }

private:
    void ResetState();
    void RemoveMarker();
    bool EnsureDriverFile();
    bool OpenDriver();
    void OpenSequence();
    void CloseSequence();
    void OpenDevice();
    std::uint32_t Code(std::uint32_t number) const { return RequestCode(number, olderFamily_); }
    void Fail(const char* text, const char* title);

    Platform& platform_;
    bool olderFamily_;
    bool initialised_ = false;
    PortDriverState state_;
};

}  // namespace lptlink

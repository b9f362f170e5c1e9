#pragma once
// What the views need from the target: bytes read and written at 32-bit target
// addresses (the space in bits 31..24) and the clock. The debugger host's record
// serves it in the plug-in; tests give a fake that logs every access.

#include <cstdint>

#include "host/kx6500_host.h"

namespace kx6500disp {

class SfrTarget {
public:
    virtual ~SfrTarget() = default;
    virtual bool Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) = 0;
    virtual bool Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer) = 0;
    virtual std::uint32_t ClockHz() const = 0;
};

// The host record's readMemory, writeMemory and clockHz; without a record (or its
// functions) every access fails and the clock is 0.
class HostRecordTarget : public SfrTarget {
public:
    void SetRecord(HostInterface* record) { record_ = record; }
    HostInterface* Record() const { return record_; }
    bool Read(std::uint32_t address, std::uint32_t count, std::uint8_t* buffer) override;
    bool Write(std::uint32_t address, std::uint32_t count, const std::uint8_t* buffer) override;
    std::uint32_t ClockHz() const override { return record_ ? record_->clockHz : 0; }

private:
    HostInterface* record_ = nullptr;
};

}  // namespace kx6500disp

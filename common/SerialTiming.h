#pragma once
// The serial timing an 8051 program takes from the target clock: the timer reload for
// the fastest standard bit rate within 4 %, and the clock byte. Programs place them at
// 0x0039 and 0x003A.

namespace tessary {

struct SerialTiming {
    int reload;     // byte 0x0039
    int clockByte;  // byte 0x003A
    int rate;       // bit/s
};

SerialTiming SerialTimingFromClock(double clockMHz);

}  // namespace tessary

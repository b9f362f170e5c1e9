// Interrupts, the breakpoint instruction with the opcode replacement, the timers and
// the serial door: what the monitor and the programs under debug rely on.

#include <gtest/gtest.h>

#include "tests/sim/ChipRig.h"

using namespace sim::sfr;
using simtest::ChipRig;

namespace {

// Vectors that jump to handlers at 0x0200 (timer 0), 0x0300 (timer 1), 0x0400 (FWI)
// and 0x0500 (serial port 1); the main program starts at 0x0100.
void Vectors(ChipRig& rig) {
    rig.At(0x0000, {0x02, 0x01, 0x00});
    rig.At(0x000B, {0x02, 0x02, 0x00});
    rig.At(0x001B, {0x02, 0x03, 0x00});
    rig.At(0x0033, {0x02, 0x04, 0x00});
    rig.At(0x003B, {0x02, 0x05, 0x00});
}

}  // namespace

TEST(Interrupts, AFlagSetBySoftwareIsTakenWhenEnabled) {
    for (const int ie : {0x82, 0x02, 0x80}) {
        ChipRig rig;
        Vectors(rig);
        rig.At(0x0100, {0x75, 0xA8, ie, 0xD2, 0x8D, 0x00, 0x00});  // MOV IE,#ie; SETB TF0; NOP; NOP
        rig.Steps(4);
        if (ie == 0x82) {
            EXPECT_EQ(rig.chip.Pc(), 0x0200);
            EXPECT_EQ(rig.Sfr(TCON) & 0x20, 0) << "the hardware clears TF0 as it vectors";
            EXPECT_EQ(rig.chip.InterruptLevel(), 0);
            EXPECT_EQ(rig.Iram(0x08), 0x05);  // the return address
            EXPECT_EQ(rig.Iram(0x09), 0x01);
        } else {
            EXPECT_EQ(rig.chip.Pc(), 0x0106) << "IE " << ie;
            EXPECT_EQ(rig.Sfr(TCON) & 0x20, 0x20);
        }
    }
}

TEST(Interrupts, HighPriorityInterruptsALowHandlerAndRetiRestoresTheLevel) {
    ChipRig rig;
    Vectors(rig);
    rig.At(0x0100, {
                       0x75, 0xB8, 0x08,  // MOV IP,#0x08: timer 1 high
                       0x75, 0xA8, 0x8A,  // MOV IE,#0x8A: EA, ET1, ET0
                       0xD2, 0x8D,        // SETB TF0
                       0x00, 0x00, 0x80, 0xFE,
                   });
    rig.At(0x0200, {0xD2, 0x8F, 0x00, 0xD2, 0x8D, 0x00, 0x32});  // SETB TF1; NOP; SETB TF0; NOP; RETI
    rig.At(0x0300, {0x00, 0x32});                                // NOP; RETI
    rig.Steps(5);  // the writes to IP and IE hold interrupts off for one instruction each
    EXPECT_EQ(rig.chip.Pc(), 0x0200);
    EXPECT_EQ(rig.chip.InterruptLevel(), 0);
    rig.Steps(2);
    EXPECT_EQ(rig.chip.Pc(), 0x0300);
    EXPECT_EQ(rig.chip.InterruptLevel(), 1);
    rig.Steps(2);  // NOP; RETI
    EXPECT_EQ(rig.chip.Pc(), 0x0202);
    EXPECT_EQ(rig.chip.InterruptLevel(), 0);
    rig.Steps(4);  // NOP; SETB TF0 (pending while its own level runs); NOP; RETI
    EXPECT_EQ(rig.chip.Pc(), 0x0108);
    EXPECT_EQ(rig.chip.InterruptLevel(), -1);
    rig.Steps(1);  // one instruction after RETI before the pending flag is taken
    EXPECT_EQ(rig.chip.Pc(), 0x0109);
    rig.Steps(1);
    EXPECT_EQ(rig.chip.Pc(), 0x0200);
}

TEST(Interrupts, LowPriorityWaitsForTheHighHandler) {
    ChipRig rig;
    Vectors(rig);
    rig.At(0x0100, {0x75, 0xB8, 0x02, 0x75, 0xA8, 0x8A, 0xD2, 0x8D, 0x00, 0x80, 0xFE});  // timer 0 high
    rig.At(0x0200, {0xD2, 0x8F, 0x00, 0x00, 0x32});  // SETB TF1 (low); NOP; NOP; RETI
    rig.At(0x0300, {0x32});
    rig.Steps(5);
    EXPECT_EQ(rig.chip.InterruptLevel(), 1);
    rig.Steps(3);
    EXPECT_EQ(rig.chip.Pc(), 0x0204);  // still in the high handler
    rig.Steps(3);  // RETI, one more instruction, then timer 1
    EXPECT_EQ(rig.chip.Pc(), 0x0300);
    EXPECT_EQ(rig.chip.InterruptLevel(), 0);
}

TEST(Interrupts, BreakpointInstructionEntersTheFlashWriteVectorOnlyWhenEnabled) {
    struct Case {
        int eicon, ie;
        bool enters;
    };
    for (const Case c : {Case{0x20, 0x80, true}, Case{0x00, 0x80, false}, Case{0x20, 0x00, false}}) {
        ChipRig rig;
        Vectors(rig);
        rig.At(0x0100, {0x75, 0xD8, c.eicon, 0x75, 0xA8, c.ie, 0x00, 0xA5, 0x04, 0x00});
        rig.Steps(4);
        const auto before = rig.chip.Cycles();
        rig.Steps(1);  // the breakpoint: one byte, one cycle
        EXPECT_EQ(rig.chip.Cycles() - before, 1u);
        EXPECT_EQ(rig.chip.Pc(), 0x0108);
        EXPECT_EQ(rig.Sfr(EICON) & 0x10, 0x10);
        rig.Steps(1);
        if (c.enters) {
            EXPECT_EQ(rig.chip.Pc(), 0x0400);
            EXPECT_EQ(rig.Iram(0x08) | rig.Iram(0x09) << 8, 0x0108) << "the saved PC is the address after 0xA5";
            EXPECT_EQ(rig.chip.InterruptLevel(), 1);
        } else {
            EXPECT_EQ(rig.chip.Pc(), 0x0109) << "a program without FWI runs on past the breakpoint";
            EXPECT_EQ(rig.A(), 1);
        }
    }
}

TEST(Interrupts, ReplacementMechanismReplacesOnlyTheOpcodeFetch) {
    ChipRig rig;
    rig.At(0x0000, {0x02, 0x01, 0x20});
    rig.At(0x0120, {0xA5, 0x3C, 0x74, 0x99});  // a breakpoint over MOV A,#0x3C; MOV A,#0x99
    rig.chip.WriteSfr(RDATA, 0x74);
    rig.chip.WriteSfr(RADRL, 0x20);
    rig.chip.WriteSfr(RADRH, 0x01);
    rig.Steps(2);
    EXPECT_EQ(rig.A(), 0x3C);  // RDATA's opcode with the operand from the flash
    EXPECT_EQ(rig.Sfr(EICON) & 0x10, 0);
    EXPECT_EQ(rig.chip.Pc(), 0x0122);
    // An operand fetch at the address reads the flash.
    rig.chip.WriteSfr(RADRL, 0x23);
    rig.chip.WriteSfr(RDATA, 0x55);
    rig.Steps(1);
    EXPECT_EQ(rig.A(), 0x99);
    // MOVC reads the flash too.
    rig.At(0x0124, {0x90, 0x01, 0x20, 0xE4, 0x93});
    rig.chip.WriteSfr(RADRL, 0x20);
    rig.Steps(3);
    EXPECT_EQ(rig.A(), 0xA5);
}

TEST(Interrupts, ReplacementAtAddressZeroIsOff) {
    ChipRig rig;
    rig.At(0x0000, {0x00, 0x00});
    rig.chip.WriteSfr(RDATA, 0x74);  // RADRH:RADRL stay 0
    rig.Steps(1);
    EXPECT_EQ(rig.chip.Pc(), 0x0001);
    EXPECT_EQ(rig.A(), 0);
}

TEST(Timers, Mode1OverflowRaisesTimer0sInterrupt) {
    ChipRig rig;
    Vectors(rig);
    rig.At(0x0100, {
                       0x75, 0x89, 0x01,  // MOV TMOD,#1
                       0x75, 0x8A, 0xF0,  // MOV TL0,#0xF0
                       0x75, 0x8C, 0xFF,  // MOV TH0,#0xFF
                       0x75, 0xA8, 0x82,  // MOV IE,#0x82
                       0xD2, 0x8C,        // SETB TR0
                       0x00, 0x80, 0xFD,  // NOP; SJMP back to it
                   });
    rig.Steps(5);
    const auto start = rig.chip.Cycles();
    while (rig.chip.Pc() < 0x0200 && rig.chip.Cycles() - start < 100) rig.chip.Step();
    // 16 counts to the overflow; the interrupt follows the instruction that overflowed.
    EXPECT_EQ(rig.chip.Pc(), 0x0200);
    EXPECT_GE(rig.chip.Cycles() - start, 16u + 2u);
    EXPECT_LE(rig.chip.Cycles() - start, 16u + 2u + 2u + 2u);
    EXPECT_EQ(rig.Sfr(TH0), 0x00);
}

TEST(Timers, Mode2ReloadsAndCountsTheClockDividedBy4WhenCkconSaysSo) {
    for (const bool fast : {false, true}) {
        ChipRig rig;
        rig.At(0, {0x75, 0x89, 0x20, 0x75, 0x8D, 0xF6, 0x75, 0x8B, 0xF6, 0x75, 0x8E, fast ? 0x10 : 0x00, 0xD2, 0x8E,
                   0x80, 0xFE});  // timer 1 mode 2, reload 0xF6 (10 counts), run; SJMP $
        rig.Steps(5);
        int overflows = 0;
        const auto start = rig.chip.Cycles();
        while (rig.chip.Cycles() - start < 1000) {
            rig.chip.Step();
            if (rig.Sfr(TCON) & 0x80) {
                ++overflows;
                rig.chip.WriteSfr(TCON, static_cast<std::uint8_t>(rig.Sfr(TCON) & 0x7F));
            }
        }
        EXPECT_EQ(overflows, fast ? 300 : 100) << (fast ? "clock/4" : "clock/12");
        EXPECT_GE(rig.Sfr(TL1), 0xF6);
    }
}

TEST(SerialDoor, ReceivedBytesRaiseTheSerialInterruptAndTheProgramEchoesThem) {
    ChipRig rig;
    Vectors(rig);
    rig.At(0x0100, {0x75, 0xC0, 0x50, 0x75, 0xA8, 0xC0, 0x80, 0xFE});  // SCON1 REN; IE EA|ES1; SJMP $
    // Handler: JNB RI1 skips to CLR TI1; MOV A,SBUF1; CLR RI1; MOV SBUF1,A; CLR TI1; RETI
    rig.At(0x0500, {0x30, 0xC0, 0x06, 0xE5, 0xC1, 0xC2, 0xC0, 0xF5, 0xC1, 0xC2, 0xC1, 0x32});
    rig.Steps(4);
    EXPECT_TRUE(rig.chip.Uart1().TakeTransmitted().empty());
    for (const int b : {0x41, 0x00, 0xFF}) rig.chip.Uart1().Receive(static_cast<std::uint8_t>(b));
    rig.chip.RunUntil(rig.chip.Cycles() + 200);
    EXPECT_EQ(rig.chip.Uart1().TakeTransmitted(), (std::vector<std::uint8_t>{0x41, 0x00, 0xFF}));
    EXPECT_EQ(rig.chip.Uart1().Waiting(), 0u);
    EXPECT_EQ(rig.chip.Pc(), 0x0106);
}

TEST(SerialDoor, BytesWaitForTheReceiverAndThePacing) {
    ChipRig rig;
    rig.At(0, {0x80, 0xFE});
    sim::SerialDoor& door = rig.chip.Uart1();
    door.SetCharacterCycles(100);
    door.Receive(0x12);
    door.Receive(0x34);
    rig.chip.RunUntil(500);
    EXPECT_EQ(rig.Sfr(SCON1) & 0x01, 0) << "no byte while REN is clear";
    rig.chip.WriteSfr(SCON1, 0x10);
    rig.chip.RunUntil(rig.chip.Cycles() + 4);
    EXPECT_EQ(rig.Sfr(SCON1) & 0x01, 0x01);
    EXPECT_EQ(rig.Sfr(SBUF1), 0x12);
    rig.chip.WriteSfr(SCON1, 0x10);  // RI taken
    rig.chip.RunUntil(rig.chip.Cycles() + 50);
    EXPECT_EQ(rig.Sfr(SCON1) & 0x01, 0) << "the next byte is still on the line";
    rig.chip.RunUntil(rig.chip.Cycles() + 60);
    EXPECT_EQ(rig.Sfr(SBUF1), 0x34);
    // Sending: the byte leaves at once, TI follows a character time later.
    rig.chip.WriteSfr(SBUF1, 0x77);
    EXPECT_EQ(door.TakeTransmitted(), (std::vector<std::uint8_t>{0x77}));
    EXPECT_EQ(rig.Sfr(SBUF1), 0x34) << "SBUF1 reads what was received";
    rig.chip.RunUntil(rig.chip.Cycles() + 50);
    EXPECT_EQ(rig.Sfr(SCON1) & 0x02, 0);
    rig.chip.RunUntil(rig.chip.Cycles() + 60);
    EXPECT_EQ(rig.Sfr(SCON1) & 0x02, 0x02);
}

TEST(Execution, RunStopsAtAWatchedAddressReachedThroughAVector) {
    ChipRig rig;
    rig.At(0x0000, {0x02, 0x01, 0x00});
    rig.At(0x0033, {0x02, 0x76, 0x57});  // the FWI vector into the monitor
    rig.At(0x0100, {0x75, 0xD8, 0x20, 0x75, 0xA8, 0x80, 0x00, 0xA5, 0x00});
    rig.At(0x7657, {0x00, 0x80, 0xFE});
    rig.chip.Watch(0x7657);
    EXPECT_EQ(rig.chip.RunUntil(1000), sim::KX6500Chip::Stop::Watch);
    EXPECT_EQ(rig.chip.Pc(), 0x7657);
    const auto instructions = rig.chip.Instructions();
    EXPECT_EQ(instructions, 6u);  // LJMP, MOV, MOV, NOP, A5, LJMP at the vector
    // Running on from the watched address executes it.
    EXPECT_EQ(rig.chip.RunUntil(rig.chip.Cycles() + 10), sim::KX6500Chip::Stop::Cycles);
    EXPECT_GT(rig.chip.Instructions(), instructions);
    rig.chip.Watch(0x7657, false);
    EXPECT_FALSE(rig.chip.Watched(0x7657));
    // Code outside the core resumes the program as RETI would.
    EXPECT_EQ(rig.chip.InterruptLevel(), 1);
    rig.chip.EndInterruptLevel();
    EXPECT_EQ(rig.chip.InterruptLevel(), -1);
}

TEST(Execution, SfrHooksSeeTheProgramsAccesses) {
    ChipRig rig;
    std::vector<std::pair<int, int>> writes;
    rig.chip.OnSfrRead(P1, [](std::uint8_t, std::uint8_t stored) { return static_cast<std::uint8_t>(stored | 0x80); });
    rig.chip.OnSfrWrite(P1, [&](std::uint8_t a, std::uint8_t v) { writes.emplace_back(a, v); });
    rig.At(0, {0x75, 0x90, 0x05, 0xE5, 0x90, 0xD2, 0x91});  // MOV P1,#5; MOV A,P1; SETB P1.1
    rig.Steps(3);
    EXPECT_EQ(rig.A(), 0x85);
    EXPECT_EQ(writes, (std::vector<std::pair<int, int>>{{0x90, 0x05}, {0x90, 0x87}}));
    rig.chip.OnSfrRead(P1, nullptr);
    EXPECT_EQ(rig.Sfr(P1), 0x87);
}

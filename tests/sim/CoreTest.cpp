// The 8051 core: flags, addressing, register banks, jumps and the data pointers.

#include <gtest/gtest.h>

#include "tests/sim/ChipRig.h"

using namespace sim::sfr;
using simtest::ChipRig;

namespace {

constexpr int kFlags = kCY | kAC | kOV;

struct Arithmetic {
    int a, b;
    bool carryIn;
    int result, flags;
};

// MOV A,#a; MOV PSW,#carry; the operation with #b.
void CheckArithmetic(int opcode, std::initializer_list<Arithmetic> cases) {
    for (const Arithmetic& c : cases) {
        ChipRig rig;
        rig.At(0, {0x74, c.a, 0x75, 0xD0, c.carryIn ? 0x80 : 0x00, opcode, c.b});
        rig.Steps(3);
        EXPECT_EQ(rig.A(), c.result) << std::hex << opcode << ": " << c.a << ", " << c.b;
        EXPECT_EQ(rig.Psw() & kFlags, c.flags) << std::hex << opcode << ": " << c.a << ", " << c.b;
    }
}

}  // namespace

TEST(Core, DecimalAdjustAfterAddAndAddcAcrossNibbleAndByteCarries) {
    struct Case {
        int a, b;
        bool addc, carryIn;
        int bcd;
        bool carry;
    };
    const Case cases[] = {
        {0x38, 0x45, false, false, 0x83, false},  // low digit over nine
        {0x19, 0x28, false, false, 0x47, false},  // nibble carry (AC) with a valid low digit
        {0x99, 0x99, false, false, 0x98, true},   // byte carry: 99 + 99 = 198
        {0x50, 0x50, false, false, 0x00, true},   // high digit over nine: 100
        {0x99, 0x61, false, false, 0x60, true},   // the +6 itself carries out of the byte
        {0x58, 0x41, true, true, 0x00, true},     // ADDC: 58 + 41 + 1 = 100
        {0x09, 0x01, true, true, 0x11, false},    // ADDC: 09 + 01 + 1 = 11
        {0x12, 0x34, true, false, 0x46, false},   // nothing to adjust, carry stays clear
    };
    for (const Case& c : cases) {
        ChipRig rig;
        rig.At(0, {0x74, c.a, 0x75, 0xD0, c.carryIn ? 0x80 : 0x00, c.addc ? 0x34 : 0x24, c.b, 0xD4});
        rig.Steps(4);
        EXPECT_EQ(rig.A(), c.bcd) << std::hex << c.a << " + " << c.b;
        EXPECT_EQ((rig.Psw() & kCY) != 0, c.carry) << std::hex << c.a << " + " << c.b;
    }
}

TEST(Core, AddSetsCarryAuxiliaryCarryAndOverflow) {
    CheckArithmetic(0x34, {  // ADDC A,#data
                              {0x7F, 0x01, false, 0x80, kAC | kOV},  // positive + positive = negative
                              {0x80, 0x80, false, 0x00, kCY | kOV},  // negative + negative = positive
                              {0xFF, 0x01, false, 0x00, kCY | kAC},  // wraps without overflow
                              {0x0E, 0x01, true, 0x10, kAC},         // the carry completes the nibble
                              {0x3C, 0x42, true, 0x7F, 0},
                          });
}

TEST(Core, SubtractWithBorrowSetsCarryAuxiliaryCarryAndOverflow) {
    CheckArithmetic(0x94, {  // SUBB A,#data
                              {0x49, 0x2A, true, 0x1E, kAC},         // borrow from the low nibble
                              {0x80, 0x01, false, 0x7F, kAC | kOV},  // -128 - 1 overflows
                              {0x10, 0x20, false, 0xF0, kCY},        // borrow out of the byte
                              {0x7F, 0xFF, false, 0x80, kCY | kOV},  // 127 - (-1) overflows
                              {0x00, 0x00, true, 0xFF, kCY | kAC},   // the borrow alone
                              {0x55, 0x11, false, 0x44, 0},
                          });
}

TEST(Core, MultiplyAndDivide) {
    struct Case {
        int op, a, b, resultA, resultB, flags;
    };
    const Case cases[] = {
        {0xA4, 0x50, 0xA0, 0x00, 0x32, kOV},  // 80 * 160 = 0x3200
        {0xA4, 0x05, 0x07, 35, 0, 0},
        {0x84, 251, 18, 13, 17, 0},
        {0x84, 0x42, 0x00, 0x42, 0x00, kOV},  // by zero: OV, A and B unchanged
    };
    for (const Case& c : cases) {
        ChipRig rig;
        // CY and OV set first: both instructions clear CY, and OV unless it reports.
        rig.At(0, {0x74, c.a, 0x75, 0xF0, c.b, 0x75, 0xD0, 0xC4, c.op});
        rig.Steps(4);
        EXPECT_EQ(rig.A(), c.resultA) << std::hex << c.op << " " << c.a << " " << c.b;
        EXPECT_EQ(rig.Sfr(B), c.resultB) << std::hex << c.op << " " << c.a << " " << c.b;
        EXPECT_EQ(rig.Psw() & (kCY | kOV), c.flags) << std::hex << c.op << " " << c.a << " " << c.b;
        EXPECT_EQ(rig.Psw() & kAC, kAC);  // left alone
        EXPECT_EQ(rig.chip.Cycles(), 1u + 2u + 2u + 4u) << "MUL and DIV take four machine cycles";
    }
}

TEST(Core, CompareAndJumpSetsTheCarryForAnUnsignedLess) {
    struct Case {
        int a, b;
        bool carry, jumps;
    };
    const Case cases[] = {{0x34, 0x56, true, true}, {0x34, 0x34, false, false}, {0x80, 0x7F, false, true}};
    for (const Case& c : cases) {
        ChipRig rig;
        rig.At(0, {0x74, c.a, 0xB4, c.b, 0x02});  // CJNE A,#b,+2 at 0x0002
        rig.Steps(2);
        EXPECT_EQ((rig.Psw() & kCY) != 0, c.carry) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(rig.chip.Pc(), c.jumps ? 0x0007 : 0x0005) << std::hex << c.a << " " << c.b;
    }
    ChipRig rig;  // the register and indirect forms compare the same way
    rig.At(0, {0x7B, 0x0F, 0xBB, 0x10, 0x00, 0x78, 0x30, 0x75, 0x30, 0x90, 0xB6, 0x90, 0x00});
    rig.Steps(2);
    EXPECT_EQ(rig.Psw() & kCY, kCY);  // R3 0x0F < 0x10
    rig.Steps(3);
    EXPECT_EQ(rig.Psw() & kCY, 0);  // @R0 0x90 == 0x90
    EXPECT_EQ(rig.chip.Pc(), 0x000D);
}

TEST(Core, RotatesThroughTheCarryAndAroundIt) {
    ChipRig rig;
    rig.At(0, {0x74, 0x81, 0xC3, 0x33, 0x33, 0x74, 0x01, 0xD3, 0x13, 0x13, 0x23, 0x03});
    rig.Steps(4);  // MOV A,#0x81; CLR C; RLC A; RLC A
    EXPECT_EQ(rig.A(), 0x05);
    EXPECT_EQ(rig.Psw() & kCY, 0);
    rig.Steps(3);  // MOV A,#0x01; SETB C; RRC A
    EXPECT_EQ(rig.A(), 0x80);
    EXPECT_EQ(rig.Psw() & kCY, kCY);
    rig.Steps(1);  // RRC A
    EXPECT_EQ(rig.A(), 0xC0);
    EXPECT_EQ(rig.Psw() & kCY, 0);
    rig.Steps(2);  // RL A, RR A leave the carry alone
    EXPECT_EQ(rig.A(), 0xC0);
    EXPECT_EQ(rig.Psw() & kCY, 0);
}

TEST(Core, XchdSwapsOnlyTheLowNibbles) {
    ChipRig rig;
    rig.At(0, {0x78, 0x30, 0x75, 0x30, 0x75, 0x74, 0x36, 0xD6});
    rig.Steps(4);
    EXPECT_EQ(rig.A(), 0x35);
    EXPECT_EQ(rig.Iram(0x30), 0x76);
}

TEST(Core, ParityFollowsAccAfterEveryWriteToPsw) {
    ChipRig rig;
    rig.At(0, {
                  0x74, 0x07,        // MOV A,#0x07: three bits, P = 1
                  0x75, 0xD0, 0x00,  // MOV PSW,#0
                  0x75, 0x41, 0xF0,  // MOV 0x41,#0xF0
                  0x75, 0x81, 0x41,  // MOV SP,#0x41
                  0xD0, 0xD0,        // POP PSW
                  0x74, 0x03,        // MOV A,#0x03: P = 0
                  0xD2, 0xD0,        // SETB P
              });
    rig.Steps(2);
    EXPECT_EQ(rig.Psw(), 0x01);
    rig.Steps(3);
    EXPECT_EQ(rig.Psw(), 0xF1);
    rig.Steps(2);
    EXPECT_EQ(rig.Psw(), 0xF0);
}

TEST(Core, TheSameRegisterInstructionFollowsTheBank) {
    ChipRig rig;
    rig.At(0x0000, {
                       0x75, 0x81, 0x40,  // MOV SP,#0x40
                       0x74, 0x11,        // MOV A,#0x11
                       0x11, 0x30,        // ACALL 0x0030
                       0x75, 0xD0, 0x18,  // MOV PSW,#0x18: bank 3
                       0x74, 0x22, 0x11, 0x30,
                       0xC2, 0xD4,  // CLR RS1: bank 1
                       0x74, 0x33, 0x11, 0x30,
                   });
    rig.At(0x0030, {0xF8, 0x08, 0x22});  // MOV R0,A; INC R0; RET
    rig.Steps(20);
    EXPECT_EQ(rig.Iram(0x00), 0x12);
    EXPECT_EQ(rig.Iram(0x18), 0x23);
    EXPECT_EQ(rig.Iram(0x08), 0x34);
    EXPECT_EQ(rig.chip.R(0), 0x34);
}

TEST(Core, JbcJumpsAndClearsOnlyASetBit) {
    ChipRig rig;
    int writesToB = 0;
    rig.chip.OnSfrWrite(B, [&](std::uint8_t, std::uint8_t) { ++writesToB; });
    rig.At(0, {
                  0xD2, 0x03,        // SETB 0x03 (internal RAM 0x20 bit 3)
                  0x10, 0x03, 0x02,  // JBC 0x03,+2
                  0x00, 0x00,
                  0x10, 0x03, 0x02,  // JBC 0x03,+2 on the now clear bit
                  0x10, 0xF1, 0x02,  // JBC B.1,+2 on a clear bit: no write
              });
    rig.Steps(2);
    EXPECT_EQ(rig.chip.Pc(), 0x0007);
    EXPECT_EQ(rig.Iram(0x20), 0x00);
    rig.Steps(2);
    EXPECT_EQ(rig.chip.Pc(), 0x000D);
    EXPECT_EQ(writesToB, 0);
}

TEST(Core, JumpIndirectAddsAccToTheSelectedDataPointer) {
    ChipRig rig;
    rig.At(0, {0x90, 0x01, 0x00, 0x74, 0x10, 0x73});
    rig.Steps(3);
    EXPECT_EQ(rig.chip.Pc(), 0x0110);
    rig.At(0x0110, {0x75, 0x86, 0x01, 0x90, 0x02, 0xF0, 0x74, 0x20, 0x73});
    rig.Steps(4);
    EXPECT_EQ(rig.chip.Pc(), 0x0310);
}

TEST(Core, AjmpAndAcallStayInThePageOfTheNextInstruction) {
    ChipRig rig;
    rig.At(0x0000, {0x02, 0x07, 0xFE});  // LJMP 0x07FE
    rig.At(0x07FE, {0x21, 0x23});        // AJMP 0x123 of the page after it
    rig.At(0x0923, {0x75, 0x81, 0x40, 0x02, 0x0F, 0xFE});
    rig.At(0x0FFE, {0x11, 0x45});  // ACALL 0x045 of the page after it
    rig.Steps(2);
    EXPECT_EQ(rig.chip.Pc(), 0x0923);
    rig.Steps(3);
    EXPECT_EQ(rig.chip.Pc(), 0x1045);
    EXPECT_EQ(rig.Iram(0x41), 0x00);  // the return address, low byte first
    EXPECT_EQ(rig.Iram(0x42), 0x10);
    EXPECT_EQ(rig.Sfr(SP), 0x42);
}

TEST(Core, TwoDataPointersSelectedByDps) {
    ChipRig rig;
    rig.At(0, {
                  0x90, 0x12, 0x34,  // MOV DPTR,#0x1234
                  0x75, 0x86, 0x01,  // MOV DPS,#1
                  0x90, 0x04, 0x56,  // MOV DPTR,#0x0456
                  0xA3,              // INC DPTR
                  0x74, 0x77, 0xF0,  // MOVX @DPTR,A
                  0x75, 0x86, 0x00,  // MOV DPS,#0
                  0xA3,              // INC DPTR
                  0xE0,              // MOVX A,@DPTR: 0x1235 is beyond XDATA
              });
    rig.Steps(9);
    EXPECT_EQ(rig.Sfr(DPH) << 8 | rig.Sfr(DPL), 0x1235);
    EXPECT_EQ(rig.Sfr(DPH1) << 8 | rig.Sfr(DPL1), 0x0457);
    EXPECT_EQ(rig.chip.Xdata(0x457), 0x77);
    EXPECT_EQ(rig.A(), 0xFF);
}

TEST(Core, MovxAtRiTakesItsHighByteFromMpage) {
    ChipRig rig;
    rig.At(0, {
                  0x75, 0x92, 0x05,  // MOV MPAGE,#5
                  0x79, 0x67,        // MOV R1,#0x67
                  0x74, 0x5A, 0xF3,  // MOVX @R1,A
                  0xE4, 0xE3,        // CLR A; MOVX A,@R1
                  0x75, 0x92, 0x08,  // MOV MPAGE,#8: 0x867 is beyond XDATA
                  0xF3, 0xE3,
              });
    rig.Steps(6);
    EXPECT_EQ(rig.chip.Xdata(0x567), 0x5A);
    EXPECT_EQ(rig.A(), 0x5A);
    rig.Steps(3);
    EXPECT_EQ(rig.A(), 0xFF);
    EXPECT_EQ(rig.chip.Xdata(0x067), 0x00);
}

TEST(Core, WhereTheChipHasNoMemoryReadsGive0xFFAndWritesVanish) {
    ChipRig rig;
    rig.At(0, {
                  0x78, 0x90, 0x76, 0x12,  // MOV R0,#0x90; MOV @R0,#0x12: not P1
                  0xE6,                    // MOV A,@R0
                  0x90, 0x80, 0x00, 0xE4, 0x93,  // MOVC A,@A+DPTR at 0x8000
                  0xFA,                          // MOV R2,A
                  0x02, 0x80, 0x00,              // LJMP 0x8000: 0xFF is MOV R7,A
              });
    rig.Steps(3);
    EXPECT_EQ(rig.A(), 0xFF);
    EXPECT_EQ(rig.Sfr(P1), 0xFF);
    rig.Steps(4);
    EXPECT_EQ(rig.chip.R(2), 0xFF);
    rig.Steps(2);
    EXPECT_EQ(rig.chip.Pc(), 0x8001);
    EXPECT_EQ(rig.chip.R(7), 0xFF);
}

TEST(Core, PushIncrementsSpFirstAndPopWritesAfterDecrementing) {
    ChipRig rig;
    rig.At(0, {0x75, 0x81, 0x30, 0xC0, 0x81, 0x75, 0x41, 0x55, 0x75, 0x81, 0x41, 0xD0, 0x81});
    rig.Steps(2);
    EXPECT_EQ(rig.Iram(0x31), 0x31);  // PUSH SP stores the incremented SP
    rig.Steps(3);
    EXPECT_EQ(rig.Sfr(SP), 0x55);  // POP SP keeps the popped value
}

TEST(Core, ResetValuesAndMemoryAfterPowerOnAndReset) {
    ChipRig rig;
    for (int a = 0x80; a <= 0xFF; ++a) {
        const int expected = a == SP ? 0x07 : (a == P0 || a == P1 || a == P2 || a == P3) ? 0xFF : 0x00;
        EXPECT_EQ(rig.Sfr(a), expected) << std::hex << a;
    }
    rig.At(0, {0x75, 0x30, 0x99, 0x75, 0xA8, 0x85, 0x90, 0x01, 0x00, 0x74, 0x42, 0xF0});
    rig.Steps(6);
    rig.chip.Reset();
    EXPECT_EQ(rig.chip.Pc(), 0);
    EXPECT_EQ(rig.Sfr(IE), 0);
    EXPECT_EQ(rig.Iram(0x30), 0x99);  // a reset keeps the memories
    EXPECT_EQ(rig.chip.Xdata(0x100), 0x42);
    EXPECT_EQ(rig.chip.Cycles(), 10u);
    rig.chip.PowerOn();
    EXPECT_EQ(rig.Iram(0x30), 0x00);
    EXPECT_EQ(rig.chip.Xdata(0x100), 0x00);
    EXPECT_EQ(rig.chip.Cycles(), 0u);
    EXPECT_EQ(rig.chip.Flash()[0], 0x75);  // the flash survives power
}

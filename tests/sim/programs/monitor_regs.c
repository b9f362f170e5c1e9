/* A program for the debug monitor: it counts its rounds, leaves values of its own in the
 * registers the monitor saves, and calls the routine where the test plants a breakpoint.
 * Linked at 0x0100, so that the vector area keeps 0x0033 to 0x003D for the monitor. */

volatile __data __at(0x30) unsigned char rounds;

void breakpoint_here(void) __naked {
    __asm
        nop
        ret
    __endasm;
}

void main(void) {
    rounds = 0;
    while (1) {
        rounds++;
        __asm
            mov  dptr,#0x1234
            mov  r0,#0x10
            mov  r1,#0x11
            mov  r2,#0x12
            mov  r3,#0x13
            mov  r4,#0x14
            mov  r5,#0x15
            mov  r6,#0x16
            mov  r7,#0x17
            mov  a,0x30
            add  a,#0x40
            lcall _breakpoint_here
        __endasm;
    }
}

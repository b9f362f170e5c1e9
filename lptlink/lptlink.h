/* lptlink: parallel-port access for the Tessary Development Kit.
 *
 * Call lptlinkInit first and lptlinkRelease last. Port addresses are I/O addresses:
 * data register at the base, status at base + 1, control at base + 2. */
#ifndef LPTLINK_H
#define LPTLINK_H

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the library is ready; 0 after it has shown why not. */
int lptlinkInit(void);
/* 1 on success; 0 when the driver could not be released. */
int lptlinkRelease(void);
/* The byte at a port address; 0 before lptlinkInit, 0xFF without a driver. */
int lptlinkRead(int address);
void lptlinkWrite(int address, int value);
/* Busy-waits until at least that many microseconds have passed. */
void lptlinkWaitAtLeast(int microseconds);
/* Number of parallel ports, never less than 1. */
int lptlinkGetNumParPorts(void);
/* Selects port index (1-based) when it exists and returns the selected base address. */
int lptlinkGetParPortBaseAdr(int index);

/* The fast path for bit-banged buses: a port register without a driver request block.
 * 0xFF and no effect while the library is not initialised. */
int lptlinkDirectRead(int address);
void lptlinkDirectWrite(int address, int value);

/* Attaches a virtual board ("kx6200", ...) to the virtual port. 1 on success; 0 when
 * not on the virtual port, the name is unknown, or LPTLINK_SIM_BOARD pins the board. */
int lptlinkSimAttachBoard(const char *name);
/* A register of the attached virtual board (a frame index 0 to 7 on the KX400/KX900
 * boards), or -1 when not on the virtual port, without a board, or without that
 * register. */
int lptlinkSimBoardRegister(int address);

#ifdef __cplusplus
}
#endif

#endif

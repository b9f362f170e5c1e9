/* lptlink: parallel-port access for the Tessary Development Kit.
 *
 * Call lptlinkInit first and lptlinkRelease last. Port addresses are I/O addresses:
 * data register at the base, status at base + 1, control at base + 2. */
#ifndef LPTLINK_H
#define LPTLINK_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The 8051 program-memory image ---- */

typedef struct Mem8051Span {
    unsigned first;            /* first address */
    unsigned last;             /* last address, inclusive */
    struct Mem8051Span *next;
} Mem8051Span;

typedef struct Mem8051 {
    unsigned char image[0x20000]; /* erased bytes are 0xFF */
    int pageShift;                /* log2 of the page size of the page flags (7) */
    int *pageFlags;               /* one flag per page of the first 64 KiB */
    int usedPageCount;            /* number of non-zero page flags */
    Mem8051Span spans;            /* list head: spans.next is the first span */
} Mem8051;

Mem8051 *Mem8051Init(Mem8051 *mem, int pageShift);
Mem8051 *Mem8051Destroy(Mem8051 *mem);
Mem8051 *Mem8051AddSpan(Mem8051 *mem, int address, int length);
Mem8051 *Mem8051DeleteSpan(Mem8051 *mem, int address, int length);
Mem8051 *lptlinkWriteTo8051Mem(Mem8051 *mem, const void *source, int address, int length);
void *lptlinkReadFrom8051Mem(Mem8051 *mem, void *destination, int address, int length);
/* A new image (malloc) read from an Intel HEX file, or NULL after a message. The caller
 * releases it with Mem8051Destroy and then free. */
Mem8051 *lptlinkReadHexFile(const char *path, int pageShift);
/* 0, or non-zero after a message. */
int lptlinkWriteHexFile(Mem8051 *mem, const char *path);

/* ---- KX6500 flash programming over SPI ---- */

#define SPI_ACTION_PROGRAM 0x01
#define SPI_ACTION_VERIFY 0x02
#define SPI_ACTION_READ 0x04
#define SPI_ACTION_READ_LOCK_BITS 0x08
#define SPI_ACTION_READ_SIGNATURE 0x10

#define SPI_RESULT_OK 0x80000000u
#define SPI_RESULT_ABORTED 0x80000001u
#define SPI_RESULT_READ_PROTECTED 0x80000002u
#define SPI_RESULT_PROGRAM_FAILED 0x80000003u
#define SPI_RESULT_VERIFY_FAILED 0x80000004u
#define SPI_RESULT_NO_DEVICE 0x80000005u

/* Status text and percentage; non-zero: go on. */
typedef int (*SpiProgressCallback)(const char *text, int percent);

/* The device name is allocated with malloc; the caller frees it. */
unsigned lptlinkKX6500SPItransaction(Mem8051 *mem, int portBase, float clockHz, int spiRate, int action,
                                     int lockBits, SpiProgressCallback progress, char **deviceName);
unsigned lptlinkKX6500PerformFlashTest(int randomPatterns, int portBase, float clockHz, int spiRate,
                                       SpiProgressCallback progress, char **deviceName);
void lptlinkSetSimulationMode(int on);
/* Closes the programmer's trace file (lptprog.dmp) after pending lines are written. */
void lptlinkCloseProgrammerTrace(void);

/* The modal "Norvane KX6500 Flash Programmer" window. 1: the last action run in it ended with
 * SPI_RESULT_OK (a read: and its HEX file was written); 0: it closed after no action or after
 * an unsuccessful one; -1: no window can be shown (one line on standard error). */
int lptlinkProgramDialog(int actionPreset, int lockPreset, const char *filePreset, int portIndex,
                         float clockMHz, int autoRun, int fileEnable, int actionEnable,
                         int readDeviceEnable, int lockEnable, int portEnable, int clockEnable);

/* ---- Port access ---- */

/* 1 when the library is ready; 0 after it has shown why not. */
int lptlinkInit(void);
/* 1 on success; 0 when the driver could not be released. */
int lptlinkRelease(void);
/* The byte at a port address; 0 before lptlinkInit, 0xFF without a driver. */
int lptlinkRead(int address);
void lptlinkWrite(int address, int value);
/* Busy-waits until at least that many microseconds have passed. */
void lptlinkWaitAtLeast(int microseconds);
/* Sleeps, yielding the processor, until at least that many milliseconds have passed,
 * and returns as soon after as the system allows (the last stretch is spun). */
void lptlinkSleepAtLeast(int milliseconds);
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

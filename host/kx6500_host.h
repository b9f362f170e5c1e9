/* The debugger host's side of the two plug-ins, KX6500MON and KX6500Disp: the host
 * record, the menu and view records, the breakpoint list, the register block, the
 * callback codes and the plug-ins' exports. Plain C, shared by the host and both
 * plug-ins.
 *
 * The record keeps the host's 32-bit field positions in 32-bit builds; in 64-bit builds
 * the same fields follow with natural alignment. Fields after `update` are this
 * project's own. */
#ifndef KX6500_HOST_H
#define KX6500_HOST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- target addresses: the memory space in bits 31..24, the offset in bits 15..0 ---- */
#define HOST_SPACE(address) ((uint32_t)(address) >> 24)
#define HOST_OFFSET(address) ((uint32_t)(address)&0xFFFFu)
#define HOST_ADDRESS(space, offset) (((uint32_t)(space) << 24) | ((uint32_t)(offset)&0xFFFFu))
#define HOST_SPACE_XDATA 0x01u     /* also 0xFE */
#define HOST_SPACE_XDATA_ALT 0xFEu
#define HOST_SPACE_DATA 0xF0u      /* internal RAM 0x00..0x7F, special function registers 0x80..0xFF */
#define HOST_SPACE_IDATA 0xF3u     /* internal RAM, indirect */
#define HOST_SPACE_CODE 0xFFu      /* also 0x00 */
#define HOST_READ_THROUGH 0x00800000u

/* ---- attribute words of the host's memory image ---- */
#define HOST_ATTR_CACHED 0x8000u       /* the byte holds the target's value */
#define HOST_ATTR_BP_ENABLED 0x0008u
#define HOST_ATTR_BP_DISABLED 0x0040u
#define HOST_ATTR_BP_BITS 0x0058u      /* what breakpoint queries report */
#define HOST_ATTR_NONE 0x80000000u     /* answer for an address without an attribute word */

#define HOST_TAG 2864u                 /* the record's version */
#define HOST_OPTION_TEXT_SIZE 256u
#define HOST_TARGET_8051 8051u         /* EnumUv351 (code 2) and DllUv3Cap (code 2) of the monitor */

typedef int (*HostMemFn)(uint32_t address, uint32_t count, uint8_t *buffer); /* 0: success */
typedef void (*HostUpdateFn)(void);

struct MenuEntry;
struct ViewDescriptor;

/* Menu tables of both plug-ins: six words; submenu-end and end entries have all other
 * words 0. The host calls `open` with the entry when the item is chosen. */
#define MENU_ITEM 1u
#define MENU_SUBMENU 2u
#define MENU_SUBMENU_END 0xFFFFFFFEu
#define MENU_END 0xFFFFFFFFu
typedef struct MenuEntry {
    uint32_t kind;
    const char *caption;
    void (*open)(struct MenuEntry *entry);
    uint32_t commandId; /* the host's; 0 in the tables */
    uint32_t dialogId;
    struct ViewDescriptor *view;
} MenuEntry;

/* One per display view; a window handle is the address of the view's top-level
 * window, 0 while it is closed. */
typedef struct ViewDescriptor {
    uint32_t openFlag;
    uintptr_t window;
    void *procedure; /* always null */
    int32_t left, top, right, bottom; /* -1 until the view is closed for the first time */
    void (*update)(void);
    void (*close)(struct ViewDescriptor *view);
    void *spare;
} ViewDescriptor;

/* The host's register block: R0 to R7, the program counter and the special function
 * registers 0x80..0xFF (sfr[0] is 0x80). 276 bytes. */
typedef struct HostRegisterBlock {
    uint8_t r[8];
    uint32_t pc;
    uint8_t sfr[128];
    uint8_t reserved[276 - 8 - 4 - 128];
} HostRegisterBlock;

/* The host's breakpoint list. */
#define HOST_BP_KIND(flags) ((flags)&0x0Fu) /* 0 execution, 1 and 2 conditional */
#define HOST_BP_ACTIVE 0x10u
typedef struct HostBreakpoint {
    struct HostBreakpoint *next;
    uint32_t address;
    uint32_t flags;
    uint32_t passCount; /* remaining passes before the breakpoint stops the program */
    const char *command; /* a command line the host runs when it is hit, or null */
} HostBreakpoint;

typedef struct HostAddress {
    uint32_t address;
    uint32_t errorAddress;
} HostAddress;

typedef struct HostAttributeRequest {
    uint32_t address;
    uint16_t *word; /* AG_MemAtt code 2 stores the address's attribute word here */
} HostAttributeRequest;

/* ---- host callbacks (AG_Init 0x0312) ---- */
typedef intptr_t (*HostCallback)(uint32_t code, void *argument);
#define HOST_CB_PROGRESS 2u      /* argument: HostProgress * */
#define HOST_CB_REGISTER_PAGE 3u /* argument: const HostRegisterPage * */
#define HOST_CB_COMMAND 4u       /* argument: const char *, a command line ending in "\n" */
#define HOST_CB_REFRESH 5u       /* argument: none */
#define HOST_CB_NOTICE 12u       /* argument: const char *, the start-up notice */

#define HOST_PROGRESS_START 1u
#define HOST_PROGRESS_POSITION 2u
#define HOST_PROGRESS_STOP 3u
typedef struct HostProgress {
    uint32_t job;
    const char *text;
    uint32_t limit;
    uint32_t position;
} HostProgress;

/* The register page: a tree of rows (nesting level, row id, display name). `read`
 * writes the row's text (at most size bytes with the terminating zero) and answers 1
 * when the row is marked changed, else 0; `write` sets a row's value and answers 0, or
 * non-zero when refused. */
typedef struct HostRegisterRow {
    uint32_t level;
    uint32_t id;
    const char *name;
} HostRegisterRow;
typedef struct HostRegisterPage {
    const HostRegisterRow *rows;
    uint32_t count;
    uint32_t (*read)(uint32_t id, char *text, uint32_t size);
    uint32_t (*write)(uint32_t id, uint32_t value);
} HostRegisterPage;

/* ---- messages posted to the host window (the user message's wParam) ---- */
#define HOST_MSG_SERIAL 3u    /* AG_Serial: lParam points to the three values */
#define HOST_MSG_END_DEBUG 5u /* debugging must end */
#define HOST_MSG_OUTPUT 12u   /* lParam: const char *, text for the output window; copied at once */

/* ---- message boxes raised by a plug-in (styles and answers) ---- */
#define HOST_MB_OK 0x00u
#define HOST_MB_OKCANCEL 0x01u
#define HOST_MB_RETRYCANCEL 0x05u
#define HOST_MB_ICONSTOP 0x10u
#define HOST_MB_ICONQUESTION 0x20u
#define HOST_MB_ICONWARNING 0x30u
#define HOST_MB_ICONINFORMATION 0x40u
#define HOST_ID_OK 1u
#define HOST_ID_CANCEL 2u
#define HOST_ID_RETRY 4u

typedef struct HostInterface {
    uint32_t tag; /* 0x000: HOST_TAG */
    uint8_t reserved0[0x100];
    MenuEntry *menu; /* 0x104: the display plug-in's menu table */
    uint8_t reserved1[0x10];
    uintptr_t activeView; /* 0x118 */
    uint8_t reserved2[0x24];
    uint32_t clockHz; /* 0x140: target clock */
    uint8_t reserved3[0x98];
    HostMemFn readMemory;  /* 0x1DC */
    HostMemFn writeMemory; /* 0x1E0 */
    uint8_t reserved4[0x68];
    HostUpdateFn update; /* 0x24C: the display plug-in's update-all entry */

    /* ---- this project's fields ---- */
    char *optionText; /* the monitor's stored options, zero-terminated */
    uint32_t optionTextSize;
    /* Posts the user message to a host window. */
    void (*postMessage)(void *window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    /* The host's memory image (the monitor's cache) and its attribute words; null for
     * an address the image does not cover. */
    uint8_t *(*imageByte)(uint32_t address);
    uint16_t *(*attributeWord)(uint32_t address);
    HostRegisterBlock *registers;
    /* A message box: text, title, HOST_MB_* style; answers HOST_ID_*. Null: the plug-in
     * writes "title: text" on standard error and takes Cancel. */
    uint32_t (*messageBox)(const char *text, const char *title, uint32_t style);
    /* The toolkit's beep; null where there is none. */
    void (*beep)(uint32_t hz, uint32_t ms);
} HostInterface;

/* ---- AG_Init codes: group in bits 15..8, item in bits 7..0 ---- */
#define AG_INIT_START 0x0100u
#define AG_INIT_FEATURE_FIRST 0x0201u /* to 0x0207 */
#define AG_INIT_FEATURE_LAST 0x0207u
#define AG_INIT_MENU_TABLE 0x0307u  /* argument: MenuEntry ** that receives the table */
#define AG_INIT_MENU_UPDATE 0x0308u /* argument: HostUpdateFn * that receives the function */
#define AG_INIT_HANDLE_A 0x0309u    /* argument: a handle, kept as given */
#define AG_INIT_MAIN_WINDOW 0x030Au /* argument: the window the user message is posted to */
#define AG_INIT_HANDLE_B 0x030Bu    /* argument: a handle, kept as given */
#define AG_INIT_BREAKPOINTS 0x030Eu /* argument: HostBreakpoint **, the list head, read at every use */
#define AG_INIT_PC_VARIABLE 0x030Fu /* argument: uint32_t *, the host's program-counter variable */
#define AG_INIT_USER_MESSAGE 0x0311u /* argument: const uint32_t *, the user message number */
#define AG_INIT_CALLBACK 0x0312u    /* argument: const HostCallback * */
#define AG_INIT_END 0x040Cu
#define AG_INIT_RESET 0x040Du

/* AG_MemAcc codes and results */
#define AG_MEM_READ 1u
#define AG_MEM_WRITE 2u
#define AG_MEM_DOWNLOAD 3u
#define AG_MEM_READ_CODE 4u
#define AG_OK 0u
#define AG_NOT_ACCESSIBLE 1u
#define AG_READ_ERROR 2u
#define AG_UNKNOWN_CODE 3u
#define AG_WRITE_ERROR 5u

/* AG_GoStep codes */
#define AG_GO_STOP 1u
#define AG_GO_STEP 2u
#define AG_GO_UNTIL 3u
#define AG_GO_RUN 4u

/* ---- the exports (KX6500Disp exports only EnumUv351) ---- */
#if defined(KX6500_PLUGIN_BUILD)
#define KX6500_EXPORT __attribute__((visibility("default")))
#else
#define KX6500_EXPORT
#endif

KX6500_EXPORT int32_t EnumUv351(HostInterface *host, uint32_t code);
KX6500_EXPORT uint32_t DllUv3Cap(uint32_t code, char *optionText); /* buffer of HOST_OPTION_TEXT_SIZE */
KX6500_EXPORT uint32_t AG_Init(uint32_t code, void *argument);
KX6500_EXPORT uint32_t AG_MemAcc(uint32_t code, uint8_t *buffer, HostAddress *address, uint32_t count);
KX6500_EXPORT uint32_t AG_RegAcc(uint32_t code, uint32_t number, uint32_t *value);
KX6500_EXPORT uint32_t AG_AllReg(uint32_t code, void *unused);
KX6500_EXPORT uint32_t AG_MemAtt(uint32_t code, uint32_t ignored, HostAttributeRequest *request);
KX6500_EXPORT uint32_t AG_BpInfo(uint32_t code, HostBreakpoint *bp, uint32_t address);
KX6500_EXPORT uint32_t AG_BreakFunc(uint32_t code, HostBreakpoint *bp, uint32_t address);
KX6500_EXPORT uint32_t AG_GoStep(uint32_t code, uint32_t count, uint32_t address);
KX6500_EXPORT uint32_t AG_Serial(uint32_t code, uint32_t a, uint32_t b, uint32_t c);
KX6500_EXPORT uint32_t AG_HistFunc(void);

/* The same, as the host finds them with dlsym. */
typedef int32_t (*EnumUv351Fn)(HostInterface *host, uint32_t code);
typedef uint32_t (*DllUv3CapFn)(uint32_t code, char *optionText);
typedef uint32_t (*AgInitFn)(uint32_t code, void *argument);
typedef uint32_t (*AgMemAccFn)(uint32_t code, uint8_t *buffer, HostAddress *address, uint32_t count);
typedef uint32_t (*AgRegAccFn)(uint32_t code, uint32_t number, uint32_t *value);
typedef uint32_t (*AgAllRegFn)(uint32_t code, void *unused);
typedef uint32_t (*AgMemAttFn)(uint32_t code, uint32_t ignored, HostAttributeRequest *request);
typedef uint32_t (*AgBpInfoFn)(uint32_t code, HostBreakpoint *bp, uint32_t address);
typedef uint32_t (*AgBreakFuncFn)(uint32_t code, HostBreakpoint *bp, uint32_t address);
typedef uint32_t (*AgGoStepFn)(uint32_t code, uint32_t count, uint32_t address);
typedef uint32_t (*AgSerialFn)(uint32_t code, uint32_t a, uint32_t b, uint32_t c);
typedef uint32_t (*AgHistFuncFn)(void);

/* ---- layout checks ---- */
#ifdef __cplusplus
#define KX6500_STATIC_ASSERT static_assert
#else
#define KX6500_STATIC_ASSERT _Static_assert
#endif
#if UINTPTR_MAX == 0xFFFFFFFFu
KX6500_STATIC_ASSERT(offsetof(HostInterface, menu) == 0x104, "menu");
KX6500_STATIC_ASSERT(offsetof(HostInterface, activeView) == 0x118, "activeView");
KX6500_STATIC_ASSERT(offsetof(HostInterface, clockHz) == 0x140, "clockHz");
KX6500_STATIC_ASSERT(offsetof(HostInterface, readMemory) == 0x1DC, "readMemory");
KX6500_STATIC_ASSERT(offsetof(HostInterface, writeMemory) == 0x1E0, "writeMemory");
KX6500_STATIC_ASSERT(offsetof(HostInterface, update) == 0x24C, "update");
KX6500_STATIC_ASSERT(sizeof(MenuEntry) == 24, "MenuEntry: six words");
KX6500_STATIC_ASSERT(sizeof(ViewDescriptor) == 40, "ViewDescriptor: ten words");
#else
KX6500_STATIC_ASSERT(offsetof(HostInterface, menu) == 0x108, "menu");
KX6500_STATIC_ASSERT(offsetof(HostInterface, activeView) == 0x120, "activeView");
KX6500_STATIC_ASSERT(offsetof(HostInterface, clockHz) == 0x14C, "clockHz");
KX6500_STATIC_ASSERT(offsetof(HostInterface, readMemory) == 0x1E8, "readMemory");
KX6500_STATIC_ASSERT(offsetof(HostInterface, writeMemory) == 0x1F0, "writeMemory");
KX6500_STATIC_ASSERT(offsetof(HostInterface, update) == 0x260, "update");
KX6500_STATIC_ASSERT(sizeof(MenuEntry) == 40, "MenuEntry");
KX6500_STATIC_ASSERT(offsetof(MenuEntry, caption) == 8, "MenuEntry.caption");
KX6500_STATIC_ASSERT(offsetof(MenuEntry, open) == 16, "MenuEntry.open");
KX6500_STATIC_ASSERT(offsetof(MenuEntry, commandId) == 24, "MenuEntry.commandId");
KX6500_STATIC_ASSERT(offsetof(MenuEntry, dialogId) == 28, "MenuEntry.dialogId");
KX6500_STATIC_ASSERT(offsetof(MenuEntry, view) == 32, "MenuEntry.view");
KX6500_STATIC_ASSERT(sizeof(ViewDescriptor) == 64, "ViewDescriptor");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, window) == 8, "ViewDescriptor.window");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, procedure) == 16, "ViewDescriptor.procedure");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, left) == 24, "ViewDescriptor.left");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, bottom) == 36, "ViewDescriptor.bottom");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, update) == 40, "ViewDescriptor.update");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, close) == 48, "ViewDescriptor.close");
KX6500_STATIC_ASSERT(offsetof(ViewDescriptor, spare) == 56, "ViewDescriptor.spare");
#endif
KX6500_STATIC_ASSERT(sizeof(HostRegisterBlock) == 276, "HostRegisterBlock");
KX6500_STATIC_ASSERT(offsetof(HostRegisterBlock, pc) == 8, "HostRegisterBlock.pc");
KX6500_STATIC_ASSERT(offsetof(HostRegisterBlock, sfr) == 12, "HostRegisterBlock.sfr");
KX6500_STATIC_ASSERT(offsetof(HostInterface, tag) == 0, "tag");

#ifdef __cplusplus
}
#endif

#endif /* KX6500_HOST_H */

/* A C program with no Qt of its own that drives the programmer dialog through the
 * prototypes of lptlink.h, on the virtual KX6500 with its flash in a file, under the
 * offscreen platform where the dialog runs unattended. Each scenario works in a fresh
 * temporary folder that holds the settings, the flash, the trace and the HEX files.
 *   lptlink_dialog_client no-display | program | verify | read */
#define _XOPEN_SOURCE 700
#include <ftw.h>
#include <locale.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lptlink/lptlink.h"

static int failures = 0;
#define CHECK(cond)                                                                 \
    do {                                                                            \
        if (!(cond)) {                                                              \
            fprintf(stderr, "dialog_client:%d: failed: %s\n", __LINE__, #cond);     \
            ++failures;                                                             \
        }                                                                           \
    } while (0)

static char dir[256];
static char errPath[300];
static int base = 0;

static void Path(char *out, size_t size, const char *name) { snprintf(out, size, "%s/%s", dir, name); }

static char *ReadText(const char *path, long *length) {
    FILE *f = fopen(path, "rb");
    char *text;
    long n;
    if (!f) return NULL;
    fseek(f, 0, SEEK_END);
    n = ftell(f);
    fseek(f, 0, SEEK_SET);
    text = malloc((size_t)n + 1);
    if (fread(text, 1, (size_t)n, f) != (size_t)n) n = 0;
    text[n] = '\0';
    fclose(f);
    if (length) *length = n;
    return text;
}

static int WriteText(const char *path, const char *text) {
    FILE *f = fopen(path, "wb");
    if (!f) return 0;
    fputs(text, f);
    return fclose(f) == 0;
}

/* ---- the settings file that Qt keeps for the dialog ---- */

static char *SettingsText(void) {
    char path[400];
    snprintf(path, sizeof path, "%s/config/Norvane/Parallel Port SPI Programmer.conf", dir);
    return ReadText(path, NULL);
}

/* The raw text after "key=" in the settings file, or NULL. */
static char *SettingsValue(const char *key) {
    char *text = SettingsText(), *line, *value = NULL;
    size_t keyLength = strlen(key);
    if (!text) return NULL;
    for (line = text; line && *line; line = strchr(line, '\n') ? strchr(line, '\n') + 1 : NULL) {
        if (strncmp(line, key, keyLength) == 0 && line[keyLength] == '=') {
            char *end = strchr(line, '\n');
            size_t n = end ? (size_t)(end - line) - keyLength - 1 : strlen(line) - keyLength - 1;
            value = malloc(n + 1);
            memcpy(value, line + keyLength + 1, n);
            value[n] = '\0';
            break;
        }
    }
    free(text);
    return value;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* The bytes of a stored "@ByteArray(...)" value, undoing the settings file's escapes;
 * the count, or -1 when the value is not a byte array. */
static int SettingsBytes(const char *key, unsigned char *out, int capacity) {
    char *value = SettingsValue(key), *p, *end;
    int n = 0;
    if (!value || strncmp(value, "@ByteArray(", 11) != 0 || (end = strrchr(value, ')')) == NULL) {
        free(value);
        return -1;
    }
    for (p = value + 11; p < end && n < capacity; ++p) {
        int c = (unsigned char)*p;
        if (c == '\\' && p + 1 < end) {
            ++p;
            if (*p == 'x') {
                c = 0;
                while (p + 1 < end && HexDigit(p[1]) >= 0) c = c * 16 + HexDigit(*++p);
            } else if (*p == '0') {
                c = 0;
            } else {
                const char *from = "abfnrtv", *to = "\a\b\f\n\r\t\v";
                const char *at = strchr(from, *p);
                c = at ? to[at - from] : (unsigned char)*p;
            }
        }
        out[n++] = (unsigned char)c;
    }
    free(value);
    return n;
}

static int StoredClockIs(float mhz) {
    unsigned char bytes[8], expected[4];
    unsigned bits;
    memcpy(&bits, &mhz, 4);
    expected[0] = (unsigned char)bits;
    expected[1] = (unsigned char)(bits >> 8);
    expected[2] = (unsigned char)(bits >> 16);
    expected[3] = (unsigned char)(bits >> 24);
    return SettingsBytes("LastUsedClkFreq", bytes, 8) == 4 && memcmp(bytes, expected, 4) == 0;
}

static int StoredIs(const char *key, const char *expected) {
    char *value = SettingsValue(key);
    int same = value && strcmp(value, expected) == 0;
    if (!same) fprintf(stderr, "dialog_client: %s is '%s', not '%s'\n", key, value ? value : "(none)", expected);
    free(value);
    return same;
}

/* ---- images, the virtual chip's flash, the trace ---- */

static Mem8051 *Image(int pages, int bootLoader, int seed) {
    Mem8051 *mem = malloc(sizeof(Mem8051));
    unsigned char page[128];
    int p, i;
    Mem8051Init(mem, 7);
    for (p = 0; p < pages; ++p) {
        for (i = 0; i < 128; ++i) page[i] = (unsigned char)(p * 31 + i * 7 + seed);
        lptlinkWriteTo8051Mem(mem, page, p * 128, 128);
    }
    if (bootLoader) lptlinkWriteTo8051Mem(mem, "KX6500_BOOT 1.0", 0x6B, 16);
    return mem;
}

static void Free(Mem8051 *mem) {
    Mem8051Destroy(mem);
    free(mem);
}

static void WriteImage(const char *path, int pages, int bootLoader, int seed) {
    Mem8051 *mem = Image(pages, bootLoader, seed);
    CHECK(lptlinkWriteHexFile(mem, path) == 0);
    Free(mem);
}

static void Flash(unsigned char *bytes) {
    long n = 0;
    char *text = ReadText(getenv("LPTLINK_SIM_FLASH"), &n);
    memset(bytes, 0, 0x8000);
    CHECK(text && n == 0x8000);
    if (text && n == 0x8000) memcpy(bytes, text, 0x8000);
    free(text);
}

/* Direct transactions close the trace after them, so that it holds one dialog's run. */
static int LockBits(void) {
    int bits = (int)lptlinkKX6500SPItransaction(NULL, base, 14745600.0f, 300000, SPI_ACTION_READ_LOCK_BITS, 0, NULL, NULL);
    lptlinkCloseProgrammerTrace();
    return bits;
}

static unsigned ProgramDirectly(Mem8051 *mem) {
    unsigned result = lptlinkKX6500SPItransaction(mem, base, 14745600.0f, 300000, SPI_ACTION_PROGRAM, 0, NULL, NULL);
    lptlinkCloseProgrammerTrace();
    return result;
}

/* Lines of the last dialog's trace that start with a description. */
static int TraceCount(const char *description) {
    char path[300], *text, *p;
    int count = 0;
    Path(path, sizeof path, "lptprog.dmp");
    text = ReadText(path, NULL);
    for (p = text; p && (p = strstr(p, description)) != NULL; ++p) ++count;
    free(text);
    return count;
}

/* ---- one dialog, its standard error kept in a file ---- */

static int Dialog(int action, int lock, const char *file, int port, float clock) {
    int saved, result;
    FILE *err;
    fflush(stderr);
    saved = dup(2);
    err = fopen(errPath, "w");
    dup2(fileno(err), 2);
    result = lptlinkProgramDialog(action, lock, file, port, clock, 1, 1, 1, 1, 1, 1, 1);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    fclose(err);
    /* The application the library made for the call took the locale from the
     * environment; this program never asked for it and has its own back. */
    CHECK(strcmp(setlocale(LC_ALL, NULL), "C") == 0);
    return result;
}

static int ErrorsHold(const char *line) {
    char *text = ReadText(errPath, NULL);
    int found = text && strstr(text, line) != NULL;
    if (!found) fprintf(stderr, "dialog_client: no line '%s' in:\n%s\n", line, text ? text : "");
    free(text);
    return found;
}

/* ---- the scenarios ---- */

static void NoDisplay(void) {
    char *name = NULL;
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    CHECK(Dialog(0, 0, NULL, 0, 0.0f) == -1);
    CHECK(ErrorsHold("lptlink: the programmer dialog cannot be shown: no display"));
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DISPLAY", ":9137", 1); /* no X server answers there */
    CHECK(Dialog(0, 0, NULL, 0, 0.0f) == -1);
    unsetenv("DISPLAY");
    setenv("QT_QPA_PLATFORM", "wayland", 1);
    CHECK(Dialog(0, 0, NULL, 0, 0.0f) == -1);
    setenv("QT_QPA_PLATFORM", "wayland;xcb", 1);
    CHECK(Dialog(0, 0, NULL, 0, 0.0f) == -1);

    CHECK(ErrorsHold("cannot be shown"));
    /* The program goes on, and so does the library. */
    CHECK(lptlinkGetParPortBaseAdr(1) == 0x378);
    CHECK(lptlinkKX6500SPItransaction(NULL, base, 14745600.0f, 300000, SPI_ACTION_READ_SIGNATURE, 0, NULL, &name) == 1);
    CHECK(name && strcmp(name, "Norvane KX6500 (Rev 1)") == 0);
    free(name);
    CHECK(SettingsText() == NULL);
}

static void Program(void) {
    char longDir[400], boot[500], plain[300], missing[300], *before, *after;
    unsigned char flash[0x8000];
    Mem8051 *a = Image(6, 1, 1), *b = Image(3, 0, 2);
    int i, ok;

    /* A path longer than the old 255-character buffers: kept whole. */
    snprintf(longDir, sizeof longDir, "%s/%s", dir, "a-folder-whose-name-is-long-enough-that-three-of-them-exceed-two-hundred-fifty-five-chars");
    mkdir(longDir, 0700);
    strcat(longDir, "/b-folder-whose-name-is-long-enough-that-three-of-them-exceed-two-hundred-fifty-five-chars");
    mkdir(longDir, 0700);
    strcat(longDir, "/c-folder-whose-name-is-long-enough-that-three-of-them-exceed-two-hundred-fifty-five-chars");
    mkdir(longDir, 0700);
    snprintf(boot, sizeof boot, "%s/boot.hex", longDir);
    CHECK(strlen(boot) > 255);
    WriteImage(boot, 6, 1, 1);
    Path(plain, sizeof plain, "plain.hex");
    WriteImage(plain, 3, 0, 2);

    /* The studio's preset 1 is "Erase, Program && Verify"; the boot loader gets the
     * serial timing of 11.0592 MHz: 57600 bit/s, reload 253, clock byte 14. */
    CHECK(Dialog(1, 0, boot, 1, 11.0592f) == 1);
    Flash(flash);
    ok = 1;
    for (i = 0; i < 6 * 128; ++i) {
        unsigned char want = a->image[i];
        if (i == 0x39) want = 253;
        if (i == 0x3A) want = 14;
        if (i >= 0x6B && i < 0x6F) want = (unsigned char[]){0x00, 0x78, 0x46, 0x46}[i - 0x6B];
        if (flash[i] != want) ok = 0;
    }
    CHECK(ok);
    CHECK(flash[6 * 128] == 0xFF);
    CHECK(TraceCount("Write program memory page") == 6);
    CHECK(TraceCount("Read program memory") == 6 * 128);
    CHECK(LockBits() == 0);
    CHECK(StoredIs("LastUsedHexFile", boot));
    CHECK(StoredIs("LastUsedPPort", "1"));
    CHECK(StoredClockIs(11.0592f));

    /* "Erase && Program" with its lock preset, port and clock from the settings; an
     * image without the identification goes on the chip unchanged. */
    CHECK(Dialog(2, 0x13, plain, 0, 0.0f) == 1);
    Flash(flash);
    CHECK(memcmp(flash, b->image, 3 * 128) == 0);
    CHECK(flash[3 * 128] == 0xFF);
    CHECK(TraceCount("Write program memory page") == 3);
    CHECK(TraceCount("Read program memory") == 0);
    CHECK(TraceCount("Write lock bits: 0x0c") == 1);
    CHECK(LockBits() == 0x13);
    CHECK(StoredIs("LastUsedHexFile", plain));
    CHECK(StoredClockIs(11.0592f));

    /* Verify against the read-locked chip: the question is declined and the dialog
     * closes by itself, changing nothing. */
    before = SettingsText();
    CHECK(Dialog(3, 0, plain, 0, 0.0f) == 0);
    CHECK(ErrorsHold("Error!: The device has read lock enabled. Attempt to perform action anyway?"));
    CHECK(TraceCount("Read program memory") == 0);
    CHECK(LockBits() == 0x13);

    /* A preset file that does not exist empties the edit and cancels auto-run. */
    Path(missing, sizeof missing, "missing.hex");
    CHECK(Dialog(2, 0, missing, 1, 14.7456f) == 0);
    CHECK(TraceCount("Chip erase") == 0);
    after = SettingsText();
    CHECK(before && after && strcmp(before, after) == 0);
    free(before);
    free(after);
    Free(a);
    Free(b);
}

static void Verify(void) {
    char plain[300], boot[300], *before, *after;
    Mem8051 *b = Image(3, 0, 2);
    Path(plain, sizeof plain, "plain.hex");
    WriteImage(plain, 3, 0, 2);
    Path(boot, sizeof boot, "boot.hex");
    WriteImage(boot, 6, 1, 1);
    CHECK(ProgramDirectly(b) == SPI_RESULT_OK);
    CHECK(SettingsText() == NULL);

    CHECK(Dialog(3, 0, plain, 1, 14.7456f) == 1);
    CHECK(TraceCount("Chip erase") == 0);
    CHECK(TraceCount("Read program memory") == 3 * 128);
    CHECK(StoredIs("LastUsedHexFile", plain));
    CHECK(StoredIs("LastUsedPPort", "1"));
    CHECK(StoredClockIs(14.7456f));

    /* A failed run: the settings stay as they were. */
    before = SettingsText();
    CHECK(Dialog(3, 0, boot, 1, 22.1184f) == 0);
    CHECK(ErrorsHold("Error!: Verify failed!"));
    after = SettingsText();
    CHECK(before && after && strcmp(before, after) == 0);
    free(before);
    free(after);
    Free(b);
}

static void Read(void) {
    char out[300], *before, *after, *kept;
    unsigned char flash[0x8000];
    Mem8051 *b = Image(3, 0, 2), *read;
    CHECK(ProgramDirectly(b) == SPI_RESULT_OK);
    Path(out, sizeof out, "read.hex");

    CHECK(Dialog(4, 0, out, 1, 3.6864f) == 0); /* no such file yet: the preset is no preset */
    CHECK(access(out, F_OK) != 0);

    /* Without a preset the edit shows the stored file. */
    CHECK(WriteText(out, "") == 1);
    CHECK(Dialog(4, 0, out, 1, 3.6864f) == 0); /* declined: it exists */
    CHECK(ErrorsHold("Input Error!: The specified HEX-file already exists. Are you sure you want to overwrite it?"));
    unlink(out);

    Free(b);
    {
        /* The settings name the file; the dialog opens on it without a preset. */
        char config[300], text[600];
        snprintf(config, sizeof config, "%s/config/Norvane", dir);
        mkdir(config, 0700);
        strcat(config, "/Parallel Port SPI Programmer.conf");
        snprintf(text, sizeof text, "[General]\nLastUsedHexFile=%s\n", out);
        CHECK(WriteText(config, text));
    }
    CHECK(Dialog(4, 0, NULL, 0, 0.0f) == 1); /* port 0 and clock 0: no values, so LPT1 at 3 MHz */
    CHECK(TraceCount("Read program memory") == 256 * 128);
    read = lptlinkReadHexFile(out, 7);
    CHECK(read != NULL);
    Flash(flash);
    if (read) {
        CHECK(memcmp(read->image, flash, 0x8000) == 0);
        CHECK(read->usedPageCount == 256);
        Free(read);
    }
    CHECK(StoredIs("LastUsedHexFile", out));
    CHECK(StoredIs("LastUsedPPort", "1"));
    CHECK(StoredClockIs(3.0f));

    /* Reading onto the file now there is declined; the file is left as it was. */
    kept = ReadText(out, NULL);
    before = SettingsText();
    CHECK(Dialog(4, 0, out, 1, 14.7456f) == 0);
    after = SettingsText();
    CHECK(before && after && strcmp(before, after) == 0);
    free(after);
    after = ReadText(out, NULL);
    CHECK(kept && after && strcmp(kept, after) == 0);
    free(kept);
    free(before);
    free(after);
}

static int Remove(const char *path, const struct stat *st, int flag, struct FTW *ftw) {
    (void)st;
    (void)flag;
    (void)ftw;
    return remove(path);
}

int main(int argc, char **argv) {
    const char *scenario = argc > 1 ? argv[1] : "";
    const char *tmp = getenv("TMPDIR");
    char path[300];
    if (strcmp(scenario, "no-display") && strcmp(scenario, "program") && strcmp(scenario, "verify") &&
        strcmp(scenario, "read")) {
        fprintf(stderr, "usage: lptlink_dialog_client no-display|program|verify|read\n");
        return 2;
    }
    snprintf(dir, sizeof dir, "%s/lptlink_dialog_XXXXXX", tmp && *tmp ? tmp : "/tmp");
    if (!mkdtemp(dir)) return 2;
    Path(path, sizeof path, "config");
    mkdir(path, 0700);
    setenv("XDG_CONFIG_HOME", path, 1);
    Path(path, sizeof path, "run");
    mkdir(path, 0700);
    setenv("XDG_RUNTIME_DIR", path, 1);
    Path(path, sizeof path, "flash.bin");
    setenv("LPTLINK_SIM_FLASH", path, 1);
    setenv("TESSARY_TRACE_DIR", dir, 1);
    Path(errPath, sizeof errPath, "stderr.txt");

    CHECK(lptlinkInit() == 1);
    base = lptlinkGetParPortBaseAdr(1);
    if (!strcmp(scenario, "no-display")) NoDisplay();
    if (!strcmp(scenario, "program")) Program();
    if (!strcmp(scenario, "verify")) Verify();
    if (!strcmp(scenario, "read")) Read();
    CHECK(lptlinkRelease() == 1);

    nftw(dir, Remove, 16, FTW_DEPTH | FTW_PHYS);
    if (failures) fprintf(stderr, "dialog_client %s: %d checks failed\n", scenario, failures);
    else printf("dialog_client %s: all checks passed\n", scenario);
    return failures ? 1 : 0;
}

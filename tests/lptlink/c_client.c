/* A C program that knows only the public prototypes. On the virtual port it must see
 * port 1 at 0x378 and read back what the port's lines show. */
#include <stdio.h>

#include "lptlink/lptlink.h"

#define CHECK(cond)                                             \
    do {                                                        \
        if (!(cond)) {                                          \
            fprintf(stderr, "c_client: failed: %s\n", #cond);  \
            return 1;                                           \
        }                                                       \
    } while (0)

int main(void) {
    int base;
    CHECK(lptlinkInit() == 1);
    CHECK(lptlinkGetNumParPorts() == 1);
    base = lptlinkGetParPortBaseAdr(1);
    CHECK(base == 0x378);
    lptlinkWrite(base, 0xC3);
    CHECK(lptlinkRead(base) == 0xC3);
    lptlinkWrite(base + 2, 0x05);
    CHECK(lptlinkRead(base + 2) == 0x05);
    CHECK(lptlinkRead(base + 1) == 0xFF); /* nothing attached drives the status lines */
    CHECK(lptlinkSimAttachBoard("loopback") == 1);
    lptlinkWrite(base, 0x0A);
    CHECK(lptlinkRead(base + 1) == ((0x0A << 3) | 0x07));
    lptlinkWaitAtLeast(100);
    CHECK(lptlinkRelease() == 1);
    printf("c_client: port 1 at 0x%X, lines read back\n", base);
    return 0;
}

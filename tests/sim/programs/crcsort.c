/* A CRC-16 (polynomial 0x1021, start 0xFFFF) over 256 bytes in XDATA and a bubble sort of
 * 64 bytes taken from them, results at fixed XDATA addresses. Built with
 * -DROUNDS_FOREVER it repeats with new data for ever (the core benchmark). */

#ifndef ROUNDS_FOREVER
#define ROUNDS_FOREVER 0
#endif

__xdata __at(0x0100) unsigned char buffer[256];
__xdata __at(0x0300) unsigned char sorted[64];
__xdata __at(0x07F0) unsigned int crc;
__xdata __at(0x07F2) unsigned char done;
__xdata __at(0x07F4) unsigned char rounds;

static unsigned int crc16(__xdata unsigned char *p, unsigned int n) {
    unsigned int c = 0xFFFF;
    unsigned char i;
    while (n--) {
        c ^= (unsigned int)(*p++) << 8;
        for (i = 0; i < 8; i++) c = (c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1;
    }
    return c;
}

void main(void) {
    unsigned int i;
    unsigned char j, k, t;
    rounds = 0;
    do {
        for (i = 0; i < 256; i++) buffer[i] = (unsigned char)(i * 37 + 11 + rounds);
        crc = crc16(buffer, 256);
        for (j = 0; j < 64; j++) sorted[j] = buffer[(unsigned char)(j * 13)] ^ 0x5A;
        for (j = 0; j < 63; j++)
            for (k = 0; k < 63 - j; k++)
                if (sorted[k] > sorted[k + 1]) { t = sorted[k]; sorted[k] = sorted[k + 1]; sorted[k + 1] = t; }
        rounds++;
    } while (ROUNDS_FOREVER);
    done = 0xA5;
    while (1);
}

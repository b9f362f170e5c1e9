/* A plug-in with only EnumUv351, for the host's loading errors and its display
 * side: it logs what the host asks of it to the file in FAKE_PLUGIN_LOG. */
#define KX6500_PLUGIN_BUILD 1
#include <stdio.h>
#include <stdlib.h>

#include "host/kx6500_host.h"

static HostInterface *record;

static void Log(const char *what) {
    const char *path = getenv("FAKE_PLUGIN_LOG");
    FILE *f = path ? fopen(path, "a") : NULL;
    if (!f) return;
    fprintf(f, "%s\n", what);
    fclose(f);
}

static void Update(void) { Log("update"); }

int32_t EnumUv351(HostInterface *host, uint32_t code) {
    if (code == 0) {
        if (host->tag != HOST_TAG) return -2;
        record = host;
        record->update = Update;
        Log("attach");
        return 1;
    }
    if (code == 1) {
        Log("detach");
        return 0;
    }
    return code == 2 ? (int32_t)HOST_TARGET_8051 : 0;
}

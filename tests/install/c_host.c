/* A C11 host: builds a pool, runs the session calls that need no data, and
   exits non-zero if any result differs from what the interface promises. */
#include <stdio.h>
#include <string.h>

#include "vantir/vantir.h"

int main(void) {
    static uint32_t block[64];
    MemPool* pool = MemPool_Init(block, sizeof block);
    if (pool == NULL) return 1;
    void* p = MemPool_Alloc(pool, 10);
    if (p == NULL) return 2;
    MemPool_Free(pool, p);
    if (Vantir_Init(NULL, NULL, NULL) != NULL) return 3;
    if (Vantir_Reset(NULL) != -5) return 4;
    int32_t count = 3;
    if (Vantir_GetFilterResult(NULL, NULL, 0, 0, &count) != -5) return 5;
    if (Vantir_SegmentText(NULL, NULL, 0, NULL, 0) != -5) return 6;
    if (Vantir_AddRecogText(NULL, u"", -1) != -5) return 7;
    const char* message = Vantir_ErrorMessage(-5);
    if (message == NULL || message[0] == '\0') return 8;
    if (strcmp(Vantir_ErrorMessage(-6), "unknown result code") != 0) return 9;
    puts("c host ok");
    return 0;
}

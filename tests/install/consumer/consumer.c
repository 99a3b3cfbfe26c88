/* Links the installed shared library from C and makes one call of each kind. */
#include <stddef.h>

#include "vantir/vantir.h"

int main(void) {
    static uint32_t block[32];
    MemPool* pool = MemPool_Init(block, sizeof block);
    int32_t count = 0;
    if (pool == NULL || MemPool_Alloc(pool, 8) == NULL) return 1;
    return Vantir_GetFilterResult(NULL, NULL, 0, 0, &count) == -5 ? 0 : 2;
}

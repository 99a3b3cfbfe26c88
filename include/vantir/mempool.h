/* First-fit allocator inside one caller-supplied block. All bookkeeping lives in
   the block: a 12-byte pool header, then 16-byte block headers linked by offsets. */
#ifndef VANTIR_MEMPOOL_H
#define VANTIR_MEMPOOL_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The block must be 4-byte aligned and larger than 28 bytes; the handle returned
   is the block's own address, or null when the block cannot serve as a pool. */
VANTIR_API MemPool* MemPool_Init(void* block, uint32_t size);
/* At least n bytes (rounded up to 4), or null; a negative n gives null. */
VANTIR_API void* MemPool_Alloc(MemPool* pool, int32_t n);
VANTIR_API void* MemPool_AllocZeroed(MemPool* pool, int32_t count, int32_t size);
/* p must come from this pool and still be allocated; null is not accepted. */
VANTIR_API void MemPool_Free(MemPool* pool, void* p);
VANTIR_API void* MemPool_Realloc(MemPool* pool, void* p, int32_t n);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_MEMPOOL_H */

/* First-fit allocator inside one caller-supplied block. All bookkeeping lives in
   the block: a 12-byte pool header, then 16-byte block headers linked by offsets. */
#ifndef VANTIR_MEMPOOL_H
#define VANTIR_MEMPOOL_H

#include "vantir/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Makes a pool of a caller's block, which stays the caller's: it must outlive
   every use of the pool, and the caller frees it when done (a pool has no
   teardown). The block must be 4-byte aligned and larger than 28 bytes; the
   handle returned is the block's own address, or null when the block cannot
   serve as a pool (null, misaligned or too small). Initialising a block that
   already is a pool forgets every allocation in it. */
VANTIR_API MemPool* MemPool_Init(void* block, uint32_t size);
/* At least n bytes (rounded up to 4), 4-byte aligned and not cleared, or null;
   a negative n gives null, and so do a null pool and a pool without one free
   block that large. Each allocation also takes a 16-byte header. */
VANTIR_API void* MemPool_Alloc(MemPool* pool, int32_t n);
/* count * size bytes, all 0, as MemPool_Alloc; null also for a negative
   factor or a product beyond 2^31 - 1. */
VANTIR_API void* MemPool_AllocZeroed(MemPool* pool, int32_t count, int32_t size);
/* Returns p's block to the pool, merged with free neighbours. p must come
   from this pool and still be allocated; that is not checked, and a foreign
   pointer corrupts the pool. A null pool or p, and a block already free, are
   ignored. */
VANTIR_API void MemPool_Free(MemPool* pool, void* p);
/* A new block of n bytes holding p's contents (the smaller of the two sizes),
   after which p is freed; p must come from this pool, and a null p makes this
   MemPool_Alloc. Null for a null pool, n <= 0 or no room, and p then stays
   allocated and unchanged. */
VANTIR_API void* MemPool_Realloc(MemPool* pool, void* p, int32_t n);

#ifdef __cplusplus
}
#endif

#endif /* VANTIR_MEMPOOL_H */

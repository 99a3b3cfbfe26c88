// Memory for models and lexicons: from their MemPool when they have one, from the
// heap otherwise. Sizes beyond what a pool can express fail cleanly.
#ifndef VANTIR_MEMPOOL_OBJECT_MEMORY_H
#define VANTIR_MEMPOOL_OBJECT_MEMORY_H

#include <cstddef>

#include "vantir/mempool.h"

namespace vantir {

// Null on failure, and for more than INT32_MAX bytes (a pool's limit, kept for
// the heap too so that both paths accept the same requests).
void* ObjectAlloc(MemPool* pool, size_t bytes);
// Accepts null.
void ObjectFree(MemPool* pool, void* p);

// Room for a record of `bytes` at `alignment` (a power of two). Pool payloads
// are only 4-byte aligned while records hold pointers, so the block is a little
// larger and the record sits at the first aligned address inside it. Returns
// that address, or null; *block receives the allocation to pass to ObjectFree.
void* ObjectAllocAligned(MemPool* pool, size_t bytes, size_t alignment, void** block);

}  // namespace vantir

#endif  // VANTIR_MEMPOOL_OBJECT_MEMORY_H

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

}  // namespace vantir

#endif  // VANTIR_MEMPOOL_OBJECT_MEMORY_H

// Routes object allocations to the owning pool or to the heap.
// One place decides, so models and lexicons never mix the two.
#include "mempool/object_memory.h"

#include <cstdint>

#include "mempool/heap.h"

namespace vantir {

void* ObjectAlloc(MemPool* pool, size_t bytes) {
    if (bytes > static_cast<size_t>(INT32_MAX)) return nullptr;
    if (pool != nullptr) return MemPool_Alloc(pool, static_cast<int32_t>(bytes));
    return HeapAlloc(bytes);
}

void ObjectFree(MemPool* pool, void* p) {
    if (p == nullptr) return;
    if (pool != nullptr) {
        MemPool_Free(pool, p);
    } else {
        HeapFree(p);
    }
}

}  // namespace vantir

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

void* ObjectAllocAligned(MemPool* pool, size_t bytes, size_t alignment, void** block) {
    // Both the pool and the heap hand out at least 4-byte aligned memory.
    constexpr size_t kGuaranteedAlignment = 4;
    const size_t slack = alignment > kGuaranteedAlignment ? alignment - kGuaranteedAlignment : 0;
    *block = ObjectAlloc(pool, bytes + slack);
    if (*block == nullptr) return nullptr;
    const uintptr_t address = reinterpret_cast<uintptr_t>(*block);
    const uintptr_t aligned = (address + alignment - 1) & ~uintptr_t{alignment - 1};
    return static_cast<unsigned char*>(*block) + (aligned - address);
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

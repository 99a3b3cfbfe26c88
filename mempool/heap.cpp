// Heap allocation through the C runtime. Nothing else lives here so that a
// test can substitute both routines at link time.
#include "mempool/heap.h"

#include <cstdlib>

namespace vantir {

void* HeapAlloc(size_t bytes) {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void HeapFree(void* p) {
    std::free(p);
}

}  // namespace vantir

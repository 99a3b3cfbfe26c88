// The library's only door to the process heap. Kept in a file of its own so that
// allocation-failure tests can link a replacement of these two routines.
#ifndef VANTIR_MEMPOOL_HEAP_H
#define VANTIR_MEMPOOL_HEAP_H

#include <cstddef>

namespace vantir {

void* HeapAlloc(size_t bytes);  // null when refused; 0 bytes gives a unique block
void HeapFree(void* p);         // accepts null

}  // namespace vantir

#endif  // VANTIR_MEMPOOL_HEAP_H

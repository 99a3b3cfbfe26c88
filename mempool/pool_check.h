// Consistency checks of a pool's block chain, for tests and fuzzing: a walk from
// the first block that confirms every structural invariant of the allocator.
#ifndef VANTIR_MEMPOOL_POOL_CHECK_H
#define VANTIR_MEMPOOL_POOL_CHECK_H

#include <cstdint>

#include "vantir/mempool.h"

namespace vantir {

// True when the chain from firstBlock is contiguous (each next header starts
// where the previous payload ends), prev and next are inverse, every size is a
// non-negative multiple of 4, no two free blocks are neighbours, freeBytes is
// the sum of the free sizes and lastBlock is the chain's end. Trusts the links
// to stay inside the block; a corrupted pool may be read out of bounds.
bool CheckPoolInvariants(const MemPool* pool);

// The same walk, reading nothing outside the first `blockSize` bytes, and also
// confirming that the chain covers exactly the area that MemPool_Init gave it.
bool CheckPoolInvariants(const MemPool* pool, uint32_t blockSize);

}  // namespace vantir

#endif  // VANTIR_MEMPOOL_POOL_CHECK_H

// Pool set-up and allocation: first fit searched from the highest block down,
// splitting a block only when a worthwhile free remainder is left.
#include "vantir/mempool.h"

#include <cstdint>
#include <cstring>

#include "mempool/pool_layout.h"

namespace vantir {
namespace {

// Highest free block with at least `need` payload bytes, or kNoBlock.
uint32_t FindFirstFit(const uint8_t* base, int32_t need) {
    for (uint32_t block = PoolLastBlock(base); block != kNoBlock; block = BlockPrev(base, block)) {
        if (BlockInUse(base, block) == kBlockFree && BlockSize(base, block) >= need) return block;
    }
    return kNoBlock;
}

// Keeps the low `need` bytes of a free block and leaves the rest, less one
// header, as a new free block above it.
void SplitAndTake(uint8_t* base, uint32_t block, int32_t need) {
    int32_t rest = BlockSize(base, block) - need;
    uint32_t remainder = block + kBlockHeaderSize + static_cast<uint32_t>(need);
    uint32_t oldNext = BlockNext(base, block);
    WriteBlockHeader(base, remainder, kBlockFree, rest - static_cast<int32_t>(kBlockHeaderSize),
                     block, oldNext);
    if (oldNext != kNoBlock) SetBlockPrev(base, oldNext, remainder);
    SetBlockNext(base, block, remainder);
    SetBlockSize(base, block, need);
    SetBlockInUse(base, block, kBlockInUse);
    if (PoolLastBlock(base) == block) SetPoolLastBlock(base, remainder);
    SetPoolFreeBytes(base, PoolFreeBytes(base) - static_cast<uint32_t>(need) - kBlockHeaderSize);
}

// Hands out the whole block; its size may exceed the request by up to the split threshold.
void TakeWhole(uint8_t* base, uint32_t block) {
    SetBlockInUse(base, block, kBlockInUse);
    SetPoolFreeBytes(base, PoolFreeBytes(base) - static_cast<uint32_t>(BlockSize(base, block)));
}

}  // namespace
}  // namespace vantir

using namespace vantir;

MemPool* MemPool_Init(void* block, uint32_t size) {
    if (block == nullptr || size <= kPoolOverhead) return nullptr;
    if (reinterpret_cast<uintptr_t>(block) % kPoolAlignment != 0) return nullptr;
    uint8_t* base = static_cast<uint8_t*>(block);
    int32_t avail = PoolInitialAvail(size);
    SetPoolFirstBlock(base, kPoolHeaderSize);
    SetPoolLastBlock(base, kPoolHeaderSize);
    SetPoolFreeBytes(base, static_cast<uint32_t>(avail));
    WriteBlockHeader(base, kPoolHeaderSize, kBlockFree, avail, kNoBlock, kNoBlock);
    return static_cast<MemPool*>(block);
}

void* MemPool_Alloc(MemPool* pool, int32_t n) {
    // Beyond kMaxBlockSize the rounding would overflow, and no block is that large.
    if (pool == nullptr || n < 0 || n > kMaxBlockSize) return nullptr;
    uint8_t* base = PoolBase(pool);
    int32_t need =
        (n + static_cast<int32_t>(kPoolGranule - 1)) & ~static_cast<int32_t>(kPoolGranule - 1);
    if (static_cast<uint32_t>(need) > PoolFreeBytes(base)) return nullptr;
    uint32_t block = FindFirstFit(base, need);
    if (block == kNoBlock) return nullptr;
    if (BlockSize(base, block) - need > kSplitThreshold) {
        SplitAndTake(base, block, need);
    } else {
        TakeWhole(base, block);
    }
    return BlockPayload(base, block);
}

void* MemPool_AllocZeroed(MemPool* pool, int32_t count, int32_t size) {
    if (count < 0 || size < 0) return nullptr;
    int64_t bytes = static_cast<int64_t>(count) * size;
    if (bytes > INT32_MAX) return nullptr;
    void* p = MemPool_Alloc(pool, static_cast<int32_t>(bytes));
    if (p != nullptr) std::memset(p, 0, static_cast<size_t>(bytes));
    return p;
}

void* MemPool_Realloc(MemPool* pool, void* p, int32_t n) {
    if (pool == nullptr || n <= 0) return nullptr;
    // Like the C runtime's realloc, a missing old block makes this a plain allocation.
    if (p == nullptr) return MemPool_Alloc(pool, n);
    // The new block is taken while the old one is still held, so the two never overlap.
    void* q = MemPool_Alloc(pool, n);
    if (q == nullptr) return nullptr;
    uint8_t* base = PoolBase(pool);
    int32_t oldSize = BlockSize(base, PayloadBlock(base, p));
    std::memcpy(q, p, static_cast<size_t>(oldSize < n ? oldSize : n));
    MemPool_Free(pool, p);
    return q;
}

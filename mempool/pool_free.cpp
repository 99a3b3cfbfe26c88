// Release of pool blocks. A freed block merges at once with free physical
// neighbours, so no two free blocks ever sit side by side.
#include <cstdint>

#include "mempool/pool_layout.h"
#include "vantir/mempool.h"

namespace vantir {
namespace {

// `keeper` takes over the chain position after `removed`, which lies directly above it.
void UnlinkAbove(uint8_t* base, uint32_t keeper, uint32_t removed) {
    uint32_t after = BlockNext(base, removed);
    SetBlockNext(base, keeper, after);
    if (after != kNoBlock) SetBlockPrev(base, after, keeper);
    if (PoolLastBlock(base) == removed) SetPoolLastBlock(base, keeper);
}

void AddFreeBytes(uint8_t* base, uint32_t bytes) {
    SetPoolFreeBytes(base, PoolFreeBytes(base) + bytes);
}

constexpr int32_t kHeaderBytes = static_cast<int32_t>(kBlockHeaderSize);

// Both neighbours free: the lower one swallows this block and the upper one.
void MergeWithBoth(uint8_t* base, uint32_t prev, uint32_t block, uint32_t next) {
    int32_t size = BlockSize(base, block);
    SetBlockSize(base, prev,
                 BlockSize(base, prev) + size + BlockSize(base, next) + 2 * kHeaderBytes);
    UnlinkAbove(base, prev, next);
    AddFreeBytes(base, static_cast<uint32_t>(size + 2 * kHeaderBytes));
}

void MergeIntoPrev(uint8_t* base, uint32_t prev, uint32_t block) {
    int32_t size = BlockSize(base, block);
    SetBlockSize(base, prev, BlockSize(base, prev) + size + kHeaderBytes);
    UnlinkAbove(base, prev, block);
    AddFreeBytes(base, static_cast<uint32_t>(size + kHeaderBytes));
}

void AbsorbNext(uint8_t* base, uint32_t block, uint32_t next) {
    int32_t size = BlockSize(base, block);
    SetBlockInUse(base, block, kBlockFree);
    UnlinkAbove(base, block, next);
    AddFreeBytes(base, static_cast<uint32_t>(size + kHeaderBytes));
    SetBlockSize(base, block, size + BlockSize(base, next) + kHeaderBytes);
}

}  // namespace
}  // namespace vantir

using namespace vantir;

void MemPool_Free(MemPool* pool, void* p) {
    if (pool == nullptr || p == nullptr) return;
    uint8_t* base = PoolBase(pool);
    uint32_t block = PayloadBlock(base, p);
    // A block already marked free is left alone rather than counted twice.
    if (BlockInUse(base, block) != kBlockInUse) return;
    uint32_t prev = BlockPrev(base, block);
    uint32_t next = BlockNext(base, block);
    bool prevFree = BlockIsFree(base, prev);
    bool nextFree = BlockIsFree(base, next);
    if (prevFree && nextFree) {
        MergeWithBoth(base, prev, block, next);
    } else if (prevFree) {
        MergeIntoPrev(base, prev, block);
    } else if (nextFree) {
        AbsorbNext(base, block, next);
    } else {
        SetBlockInUse(base, block, kBlockFree);
        AddFreeBytes(base, static_cast<uint32_t>(BlockSize(base, block)));
    }
}

// Walks a pool's block chain and verifies its invariants; never modifies the pool.
// Offsets are widened to 64 bits so that corrupted sizes cannot wrap around.
#include "mempool/pool_check.h"

#include "mempool/pool_layout.h"

namespace vantir {
namespace {

// Offsets are u32, so no header or payload can reach past this.
constexpr uint64_t kOffsetSpace = uint64_t{1} << 32;

bool BlockFieldsValid(const uint8_t* base, uint32_t block) {
    uint32_t inUse = BlockInUse(base, block);
    int32_t size = BlockSize(base, block);
    return (inUse == kBlockFree || inUse == kBlockInUse) && size >= 0 &&
           size % static_cast<int32_t>(kPoolGranule) == 0;
}

// Walks the chain within `limit` bytes; on success stores where the last payload ends.
bool WalkChain(const uint8_t* base, uint64_t limit, uint64_t* chainEnd) {
    if (limit < kPoolHeaderSize || PoolFirstBlock(base) != kPoolHeaderSize) return false;
    uint32_t block = kPoolHeaderSize;
    uint32_t expectedPrev = kNoBlock;
    bool prevFree = false;
    uint64_t freeSum = 0;
    for (;;) {
        if (uint64_t{block} + kBlockHeaderSize > limit) return false;
        if (!BlockFieldsValid(base, block) || BlockPrev(base, block) != expectedPrev) return false;
        bool free = BlockInUse(base, block) == kBlockFree;
        if (free && prevFree) return false;
        uint64_t end =
            uint64_t{block} + kBlockHeaderSize + static_cast<uint64_t>(BlockSize(base, block));
        if (end > limit) return false;
        if (free) freeSum += static_cast<uint64_t>(BlockSize(base, block));
        uint32_t next = BlockNext(base, block);
        if (next == kNoBlock) {
            *chainEnd = end;
            return PoolLastBlock(base) == block && freeSum == PoolFreeBytes(base);
        }
        // Requiring next == end rules out gaps and overlaps and makes the walk terminate.
        if (next != end) return false;
        expectedPrev = block;
        prevFree = free;
        block = next;
    }
}

}  // namespace

bool CheckPoolInvariants(const MemPool* pool) {
    uint64_t chainEnd = 0;
    return pool != nullptr && WalkChain(PoolBase(pool), kOffsetSpace, &chainEnd);
}

bool CheckPoolInvariants(const MemPool* pool, uint32_t blockSize) {
    if (pool == nullptr || blockSize <= kPoolOverhead) return false;
    uint64_t chainEnd = 0;
    if (!WalkChain(PoolBase(pool), blockSize, &chainEnd)) return false;
    return chainEnd == uint64_t{kPoolOverhead} + static_cast<uint64_t>(PoolInitialAvail(blockSize));
}

}  // namespace vantir

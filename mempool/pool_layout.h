// In-block layout of a MemPool: the 12-byte pool header and the 16-byte block
// headers, with links kept as 32-bit byte offsets from the pool's start (0 = none).
#ifndef VANTIR_MEMPOOL_POOL_LAYOUT_H
#define VANTIR_MEMPOOL_POOL_LAYOUT_H

#include <cstdint>
#include <cstring>

#include "vantir/mempool.h"

namespace vantir {

// Offsets instead of pointers keep both headers the same size on every host.
inline constexpr uint32_t kPoolHeaderSize = 12;
inline constexpr uint32_t kBlockHeaderSize = 16;
// Smallest block that cannot hold a pool: the pool header plus one block header.
inline constexpr uint32_t kPoolOverhead = kPoolHeaderSize + kBlockHeaderSize;
// A block is split only when more than this many bytes would be left over.
inline constexpr int32_t kSplitThreshold = 32;
// Block addresses and payload sizes move in steps of this many bytes.
inline constexpr uint32_t kPoolGranule = 4;
// The caller's block must start at a multiple of this.
inline constexpr uintptr_t kPoolAlignment = 4;
// The block size field is an i32; the largest multiple of the granule it holds.
inline constexpr int32_t kMaxBlockSize = INT32_MAX - (INT32_MAX % kPoolGranule);
inline constexpr uint32_t kNoBlock = 0;
inline constexpr uint32_t kBlockFree = 0;
inline constexpr uint32_t kBlockInUse = 1;

// Field positions inside the pool header.
inline constexpr uint32_t kFirstBlockField = 0;
inline constexpr uint32_t kLastBlockField = 4;
inline constexpr uint32_t kFreeBytesField = 8;
// Field positions inside a block header.
inline constexpr uint32_t kInUseField = 0;
inline constexpr uint32_t kSizeField = 4;
inline constexpr uint32_t kPrevField = 8;
inline constexpr uint32_t kNextField = 12;

// Fields go through memcpy so that the caller's buffer may have any declared type.
inline uint32_t LoadPoolWord(const uint8_t* base, uint32_t at) {
    uint32_t value;
    std::memcpy(&value, base + at, sizeof value);
    return value;
}

inline void StorePoolWord(uint8_t* base, uint32_t at, uint32_t value) {
    std::memcpy(base + at, &value, sizeof value);
}

inline uint8_t* PoolBase(MemPool* pool) {
    return reinterpret_cast<uint8_t*>(pool);
}
inline const uint8_t* PoolBase(const MemPool* pool) {
    return reinterpret_cast<const uint8_t*>(pool);
}

inline uint32_t PoolFirstBlock(const uint8_t* base) {
    return LoadPoolWord(base, kFirstBlockField);
}
inline uint32_t PoolLastBlock(const uint8_t* base) {
    return LoadPoolWord(base, kLastBlockField);
}
inline uint32_t PoolFreeBytes(const uint8_t* base) {
    return LoadPoolWord(base, kFreeBytesField);
}
inline void SetPoolFirstBlock(uint8_t* base, uint32_t block) {
    StorePoolWord(base, kFirstBlockField, block);
}
inline void SetPoolLastBlock(uint8_t* base, uint32_t block) {
    StorePoolWord(base, kLastBlockField, block);
}
inline void SetPoolFreeBytes(uint8_t* base, uint32_t bytes) {
    StorePoolWord(base, kFreeBytesField, bytes);
}

inline uint32_t BlockInUse(const uint8_t* base, uint32_t block) {
    return LoadPoolWord(base, block + kInUseField);
}
inline int32_t BlockSize(const uint8_t* base, uint32_t block) {
    return static_cast<int32_t>(LoadPoolWord(base, block + kSizeField));
}
inline uint32_t BlockPrev(const uint8_t* base, uint32_t block) {
    return LoadPoolWord(base, block + kPrevField);
}
inline uint32_t BlockNext(const uint8_t* base, uint32_t block) {
    return LoadPoolWord(base, block + kNextField);
}
inline void SetBlockInUse(uint8_t* base, uint32_t block, uint32_t inUse) {
    StorePoolWord(base, block + kInUseField, inUse);
}
inline void SetBlockSize(uint8_t* base, uint32_t block, int32_t size) {
    StorePoolWord(base, block + kSizeField, static_cast<uint32_t>(size));
}
inline void SetBlockPrev(uint8_t* base, uint32_t block, uint32_t prev) {
    StorePoolWord(base, block + kPrevField, prev);
}
inline void SetBlockNext(uint8_t* base, uint32_t block, uint32_t next) {
    StorePoolWord(base, block + kNextField, next);
}

inline void WriteBlockHeader(uint8_t* base, uint32_t block, uint32_t inUse, int32_t size,
                             uint32_t prev, uint32_t next) {
    SetBlockInUse(base, block, inUse);
    SetBlockSize(base, block, size);
    SetBlockPrev(base, block, prev);
    SetBlockNext(base, block, next);
}

inline uint8_t* BlockPayload(uint8_t* base, uint32_t block) {
    return base + block + kBlockHeaderSize;
}
inline uint32_t PayloadBlock(const uint8_t* base, const void* payload) {
    return static_cast<uint32_t>(static_cast<const uint8_t*>(payload) - base) - kBlockHeaderSize;
}

inline bool BlockIsFree(const uint8_t* base, uint32_t block) {
    return block != kNoBlock && BlockInUse(base, block) == kBlockFree;
}

// Payload bytes of the single free block that a fresh pool of `size` bytes gets;
// the i32 size field caps it. Callers check size > kPoolOverhead first.
inline int32_t PoolInitialAvail(uint32_t size) {
    uint32_t avail = (size - kPoolOverhead) & ~(kPoolGranule - 1);
    if (avail > static_cast<uint32_t>(kMaxBlockSize)) return kMaxBlockSize;
    return static_cast<int32_t>(avail);
}

}  // namespace vantir

#endif  // VANTIR_MEMPOOL_POOL_LAYOUT_H

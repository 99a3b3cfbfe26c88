// Helpers for the pool tests: aligned buffers and a raw reader of the fixed
// in-block layout that does not go through the library's own accessors.
#ifndef VANTIR_TESTS_MEMPOOL_POOL_TEST_SUPPORT_H
#define VANTIR_TESTS_MEMPOOL_POOL_TEST_SUPPORT_H

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "vantir/mempool.h"

namespace vantir::testing {

// A 4-aligned buffer of `size` bytes, pre-filled so that untouched bytes are recognisable.
class PoolBuffer {
  public:
    explicit PoolBuffer(uint32_t size, uint8_t fill = 0xEE)
        : words_((size + 3) / 4 + 1), size_(size) {
        std::memset(words_.data(), fill, words_.size() * 4);
    }
    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }
    uint32_t size() const { return size_; }
    MemPool* Init() { return MemPool_Init(bytes(), size_); }

  private:
    std::vector<uint32_t> words_;
    uint32_t size_;
};

inline uint32_t ReadU32(const void* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline const uint8_t* Bytes(const void* p) {
    return static_cast<const uint8_t*>(p);
}

// Pool header fields, at their fixed byte positions.
inline uint32_t FirstBlock(const MemPool* pool) {
    return ReadU32(Bytes(pool));
}
inline uint32_t LastBlock(const MemPool* pool) {
    return ReadU32(Bytes(pool) + 4);
}
inline uint32_t FreeBytes(const MemPool* pool) {
    return ReadU32(Bytes(pool) + 8);
}
// The size of a handed-out payload sits 12 bytes before it.
inline int32_t PayloadSize(const void* p) {
    return static_cast<int32_t>(ReadU32(Bytes(p) - 12));
}
inline uint32_t OffsetOf(const MemPool* pool, const void* p) {
    return static_cast<uint32_t>(Bytes(p) - Bytes(pool));
}

struct RawBlock {
    uint32_t offset;
    uint32_t inUse;
    int32_t size;
    bool operator==(const RawBlock&) const = default;
};

inline void PrintTo(const RawBlock& block, std::ostream* os) {
    *os << "{at " << block.offset << (block.inUse ? ", used, " : ", free, ") << block.size << "}";
}

// The chain read from firstBlock along the next offsets.
inline std::vector<RawBlock> Chain(const MemPool* pool) {
    std::vector<RawBlock> blocks;
    for (uint32_t at = FirstBlock(pool); at != 0; at = ReadU32(Bytes(pool) + at + 12)) {
        const uint8_t* header = Bytes(pool) + at;
        blocks.push_back({at, ReadU32(header), static_cast<int32_t>(ReadU32(header + 4))});
    }
    return blocks;
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_MEMPOOL_POOL_TEST_SUPPORT_H

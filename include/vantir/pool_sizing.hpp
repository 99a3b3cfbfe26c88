// Pool sizing for hosts that place models and lexicons in a memory pool: the
// estimate calls' figures plus what a pool needs beyond them on each target.
#ifndef VANTIR_POOL_SIZING_HPP
#define VANTIR_POOL_SIZING_HPP

#include <bit>
#include <cstdint>

#include "vantir/blob_format.h"
#include "vantir/vantir.h"

namespace vantir {

// BigramModel_EstimateMemory and Lexicon_EstimateMemory return the
// same figures on every target: they count the records at their 32-bit sizes
// and no pool bookkeeping. A pool holding the object needs more: the pool's own
// header, a block header per allocation, the records at their real size and
// alignment (pointers are 8 bytes on 64-bit targets), and on a big-endian host a
// host-order copy of an attached lexicon blob's words. The two calls below add
// that; a pool of their sum (one call per object) suffices on every supported
// target (32- and 64-bit ARM, x86-64, s390x).

// Bytes a pool needs per model or lexicon beyond its estimate; the largest
// shortfall measured on the supported targets, rounded up (docs/DECISIONS.md).
inline constexpr uint32_t kPoolSlackPerObject = 512;

// Pool bytes for a model created in the pool and given its blob (attached, or
// a new one of `words` and `pairs`), and its optional tables when asked for.
inline uint32_t PoolBytesForModel(const void* blob, int32_t words, int32_t pairs,
                                  int32_t withOptionalTables) {
    const uint64_t bytes =
        uint64_t{BigramModel_EstimateMemory(blob, words, pairs, withOptionalTables)} +
        kPoolSlackPerObject;
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

// Pool bytes for a lexicon created in the pool with these capacities, given
// `blob` (or none when null) and filled to its capacities.
inline uint32_t PoolBytesForLexicon(const void* blob, int32_t addedCapacity,
                                    int32_t addedCharCapacity) {
    uint64_t bytes =
        static_cast<uint64_t>(Lexicon_EstimateMemory(addedCapacity, addedCharCapacity)) +
        kPoolSlackPerObject;
    if (std::endian::native == std::endian::big && blob != nullptr) {
        // The host-order copy of the words is smaller than the whole blob.
        const auto* size = static_cast<const unsigned char*>(blob) + VANTIR_BLOB_TOTAL_SIZE_OFFSET;
        bytes += uint64_t{size[0]} | uint64_t{size[1]} << 8 | uint64_t{size[2]} << 16 |
                 uint64_t{size[3]} << 24;
    }
    return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

}  // namespace vantir

#endif  // VANTIR_POOL_SIZING_HPP

// Helpers of the bigram model tests: models built from pair lists, blob field
// access by offset, blobs with static words and hand-made extra pair tables.
#ifndef VANTIR_TESTS_BIGRAM_TEST_MODELS_H
#define VANTIR_TESTS_BIGRAM_TEST_MODELS_H

#include <cstdint>
#include <cstring>
#include <vector>

#include "bigram/blob_layout.h"
#include "bigram/extra_pairs.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"
#include "vantir/mempool.h"

namespace vantir::testing {

struct Pair {
    WordId first;
    WordId second;
    int32_t score;
};

inline int32_t BlobI32(const void* blob, int64_t offset) {
    return vantir::LoadI32(static_cast<const uint8_t*>(blob) + offset);
}
inline void PutBlobI32(void* blob, int64_t offset, int32_t value) {
    vantir::StoreI32(static_cast<uint8_t*>(blob) + offset, value);
}

// Offsets inside a blob of n word ids and s slots, spelled out from the start
// of rowStart so that the test checks the layout rather than restating it: the
// arrays follow each other, and each byte array begins with its word -1 entry.
inline int64_t RowStartAt(int64_t word) {
    return vantir::kRowStartOffset + 4 * word;
}
inline int64_t SuccessorAtOffset(int64_t n, int64_t slot) {
    return RowStartAt(n + 1) + 4 * slot;
}
inline int64_t UnigramAt(int64_t n, int64_t s, int64_t word) {
    return SuccessorAtOffset(n, s) + 1 + word;
}
inline int64_t BackoffAt(int64_t n, int64_t s, int64_t word) {
    return UnigramAt(n, s, n) + 1 + word;
}
inline int64_t BigramAt(int64_t n, int64_t s, int64_t slot) {
    return BackoffAt(n, s, n) + slot;
}

// A model with its own new blob of `words` ids and `slots` slots.
struct OwnModel {
    BigramModel* model = nullptr;
    uint8_t* blob = nullptr;
    int32_t size = 0;
    OwnModel(int32_t words, int32_t slots, MemPool* pool = nullptr) {
        model = BigramModel_Create(pool);
        blob = static_cast<uint8_t*>(BigramModel_NewBlob(model, words, slots, &size));
    }
    ~OwnModel() { BigramModel_Destroy(model); }
    OwnModel(const OwnModel&) = delete;
    OwnModel& operator=(const OwnModel&) = delete;
};

inline int32_t SetPairs(BigramModel* model, const std::vector<Pair>& pairs) {
    std::vector<WordId> first, second;
    std::vector<int32_t> scores;
    for (const Pair& p : pairs) {
        first.push_back(p.first);
        second.push_back(p.second);
        scores.push_back(p.score);
    }
    return BigramModel_SetBigramScores(model, first.data(), second.data(), scores.data(),
                                       static_cast<int32_t>(pairs.size()));
}

inline int32_t SetUnigram(BigramModel* model, WordId word, int32_t score) {
    return BigramModel_SetUnigramScores(model, &word, &score, 1);
}

// Bytes of a blob with staticCount static words among its words, holding the
// given pairs; the layout depends only on the total, so a new blob is relabelled.
inline std::vector<uint8_t> BlobWithStaticWords(int32_t staticCount, int32_t added, int32_t slots,
                                                const std::vector<Pair>& pairs) {
    OwnModel source(staticCount + added, slots);
    SetPairs(source.model, pairs);
    std::vector<uint8_t> bytes(source.blob, source.blob + source.size);
    PutBlobI32(bytes.data(), vantir::kStaticCountOffset, staticCount);
    PutBlobI32(bytes.data(), vantir::kAddedCapacityOffset, added);
    return bytes;
}

// An extra pair table whose entries are all marked empty.
struct ExtraTable {
    std::vector<uint8_t> bytes;
    ExtraTable() : bytes(vantir::kExtraPairTableBytes, 0) {
        for (int32_t e = 0; e < vantir::kExtraEntryCount; ++e)
            SetEntry(e, INT32_MIN, INT32_MIN, 0, 0);
    }
    void SetEntry(int32_t entry, int32_t a, int32_t b, int16_t part1, int16_t part2) {
        uint8_t* at = bytes.data() + vantir::kExtraLeadingBytes + entry * vantir::kExtraEntryBytes;
        vantir::StoreI32(at + vantir::kExtraFirstWordField, a);
        vantir::StoreI32(at + vantir::kExtraSecondWordField, b);
        vantir::StoreU16(at + vantir::kExtraScorePart1Field, static_cast<uint16_t>(part1));
        vantir::StoreU16(at + vantir::kExtraScorePart2Field, static_cast<uint16_t>(part2));
    }
    // Puts the pair into the next empty entry of its bucket.
    void Add(int32_t a, int32_t b, int16_t part1, int16_t part2 = 0) {
        int32_t first = vantir::ExtraPairBucket(a, b) * vantir::kExtraEntriesPerBucket;
        for (int32_t e = first; e < first + vantir::kExtraEntriesPerBucket; ++e) {
            if (vantir::ReadExtraEntry(bytes.data(), e).firstWord != INT32_MIN) continue;
            SetEntry(e, a, b, part1, part2);
            return;
        }
    }
};

inline int32_t GiveTables(BigramModel* model, const std::vector<uint8_t>& alt,
                          const ExtraTable& extra) {
    return BigramModel_SetExtraTables(model, alt.data(), static_cast<int32_t>(alt.size()),
                                      extra.bytes.data(), static_cast<int32_t>(extra.bytes.size()));
}

// freeBytes of a pool: the u32 at byte 8 of its block.
inline uint32_t PoolFreeBytes(const void* block) {
    return vantir::LoadU32(static_cast<const uint8_t*>(block) + 8);
}

}  // namespace vantir::testing

#endif  // VANTIR_TESTS_BIGRAM_TEST_MODELS_H

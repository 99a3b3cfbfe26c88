// The extra pair table: a 1,028-byte leading area, then 1,024 hashed buckets of
// eight 12-byte entries holding a word pair and two 16-bit score parts.
#ifndef VANTIR_BIGRAM_EXTRA_PAIRS_H
#define VANTIR_BIGRAM_EXTRA_PAIRS_H

#include <cstdint>

#include "textutil/byte_order.h"
#include "vantir/types.h"

namespace vantir {

constexpr int32_t kExtraLeadingBytes = 1028;  // 257 words that no look-up reads
constexpr int32_t kExtraBucketCount = 1024;
constexpr int32_t kExtraEntriesPerBucket = 8;
constexpr int32_t kExtraEntryBytes = 12;
constexpr int32_t kExtraBucketBytes = kExtraEntriesPerBucket * kExtraEntryBytes;
constexpr int32_t kExtraEntryCount = kExtraBucketCount * kExtraEntriesPerBucket;
constexpr int32_t kExtraPairTableBytes = kExtraLeadingBytes + kExtraBucketCount * kExtraBucketBytes;
static_assert(kExtraPairTableBytes == 99332, "stored extra pair table size");

// Entry fields, relative to the entry.
constexpr int32_t kExtraFirstWordField = 0;
constexpr int32_t kExtraSecondWordField = 4;
constexpr int32_t kExtraScorePart1Field = 8;
constexpr int32_t kExtraScorePart2Field = 10;

// Producers mark unused entries with this word in both fields; no word id equals
// it, so such an entry never matches.
constexpr int32_t kExtraEmptyWord = INT32_MIN;

// Bucket of (a, b): (a * 127 + b * 37 + 205) AND 1023 in 32-bit wrap-around.
constexpr uint32_t kExtraHashFirstFactor = 127;
constexpr uint32_t kExtraHashSecondFactor = 37;
constexpr uint32_t kExtraHashBias = 205;
constexpr uint32_t kExtraBucketMask = kExtraBucketCount - 1;

struct ExtraPairEntry {
    int32_t firstWord;
    int32_t secondWord;
    int32_t score;  // scorePart1 + scorePart2, each sign-extended
};

inline int32_t ExtraPairBucket(WordId first, WordId second) {
    uint32_t hash = static_cast<uint32_t>(first) * kExtraHashFirstFactor +
                    static_cast<uint32_t>(second) * kExtraHashSecondFactor + kExtraHashBias;
    return static_cast<int32_t>(hash & kExtraBucketMask);
}

// Entries are numbered in table order: bucket k holds entries 8k to 8k + 7.
inline const uint8_t* ExtraEntryAt(const void* table, int32_t entryIndex) {
    return static_cast<const uint8_t*>(table) + kExtraLeadingBytes +
           static_cast<int64_t>(entryIndex) * kExtraEntryBytes;
}

inline ExtraPairEntry ReadExtraEntry(const void* table, int32_t entryIndex) {
    const uint8_t* entry = ExtraEntryAt(table, entryIndex);
    ExtraPairEntry result;
    result.firstWord = LoadI32(entry + kExtraFirstWordField);
    result.secondWord = LoadI32(entry + kExtraSecondWordField);
    result.score = static_cast<int16_t>(LoadU16(entry + kExtraScorePart1Field)) +
                   static_cast<int16_t>(LoadU16(entry + kExtraScorePart2Field));
    return result;
}

// Score of the first entry of (first, second)'s bucket that holds the pair, or
// the not-listed score.
int32_t LookupExtraPair(const void* table, WordId first, WordId second);

}  // namespace vantir

namespace vantir {

// Ownership of the two optional tables (alternative unigram bytes and this
// table), shared by their installation and the model's destruction: frees
// both, if present, through the model's pool or the heap, and clears their
// pointers. The alternative table is freed from its allocation start, one byte
// before the stored pointer.
void ReleaseOptionalTables(BigramModel* model);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_EXTRA_PAIRS_H

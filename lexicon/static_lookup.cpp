// Static-part lookups: bucket bounds from the offset tables, binary search in a
// bucket, and the place of a word computed from its id.
#include "lexicon/static_lookup.h"

#include "lexicon/blob_layout.h"

namespace vantir {

bool GetStaticBucket(const Lexicon* lexicon, int32_t length, StaticBucket* bucket) {
    *bucket = StaticBucket{nullptr, 0, 0};
    if (length <= 0 || length > lexicon->staticMaxLength) return false;
    const int32_t firstId = StaticIdOffset(lexicon, length - 1);
    const int32_t endId = StaticIdOffset(lexicon, length);
    bucket->base = lexicon->staticChars + kWpbUnitBytes * StaticCharOffset(lexicon, length - 1);
    bucket->count = endId > firstId ? endId - firstId : 0;
    bucket->firstId = firstId;
    return true;
}

int32_t SearchBucket(const void* key, int32_t n, const void* base, int32_t count, int32_t stride,
                     WordCompare compare) {
    const unsigned char* words = static_cast<const unsigned char*>(base);
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t r = compare(key, words + kWpbUnitBytes * mid * int64_t{stride}, n);
        if (r == 0) return mid;
        if (r > 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return -1;
}

WordId FindStatic(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare) {
    StaticBucket bucket;
    if (!GetStaticBucket(lexicon, length, &bucket)) return -1;
    const int32_t k = SearchBucket(key, length, bucket.base, bucket.count, length, compare);
    return k < 0 ? -1 : bucket.firstId + k;
}

const unsigned char* LocateStaticWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    // At most staticMaxLength steps; the place then follows by one multiplication.
    for (int32_t L = 1; L <= lexicon->staticMaxLength; L++) {
        if (id >= StaticIdOffset(lexicon, L)) continue;
        const int64_t k = int64_t{id} - StaticIdOffset(lexicon, L - 1);
        if (k < 0) return nullptr;
        if (length != nullptr) *length = L;
        return lexicon->staticChars + kWpbUnitBytes * (StaticCharOffset(lexicon, L - 1) + k * L);
    }
    return nullptr;
}

}  // namespace vantir

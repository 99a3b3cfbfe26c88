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

namespace {

// Up to this many length buckets, the bucket of an id is found by visiting all
// of them without a branch; which one holds a random id is unpredictable.
constexpr int32_t kFullScanLengths = 16;

// The smallest L in 1..staticMaxLength with id < idOffsets[L], or 0 if none.
int32_t StaticLengthOf(const Lexicon* lexicon, WordId id) {
    const int32_t maxLength = lexicon->staticMaxLength;
    if (maxLength <= kFullScanLengths) {
        int32_t found = 0;
        for (int32_t L = maxLength; L >= 1; L--)
            found = id < StaticIdOffset(lexicon, L) ? L : found;
        return found;
    }
    for (int32_t L = 1; L <= maxLength; L++) {
        if (id < StaticIdOffset(lexicon, L)) return L;
    }
    return 0;
}

template <typename Compare>
int32_t SearchWords(const void* key, int32_t n, const unsigned char* words, int32_t count,
                    int32_t stride, Compare compare) {
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t r = compare(key, words + kWpbUnitBytes * mid * int64_t{stride}, n);
        if (r == 0) return mid;
        // Selects rather than branches: which half follows is a coin toss that
        // a branch predictor gets wrong half of the time.
        const int32_t keyAbove = -static_cast<int32_t>(r > 0);  // all ones or zero
        lo = ((mid + 1) & keyAbove) | (lo & ~keyAbove);
        hi = (hi & keyAbove) | ((mid - 1) & ~keyAbove);
    }
    return -1;
}

}  // namespace

int32_t SearchBucket(const void* key, int32_t n, const void* base, int32_t count, int32_t stride,
                     WordCompare compare) {
    const unsigned char* words = static_cast<const unsigned char*>(base);
    // The lexicon's own two comparisons are inlined into the search loop, which
    // is every look-up's hot path; any other comparison goes through its pointer.
    if (compare == CompareWordExact) {
        return SearchWords(key, n, words, count, stride,
                           [](const void* a, const void* b, int32_t units) {
                               return CompareWordExactInline(a, b, units);
                           });
    }
    if (compare == CompareWordFolded) {
        return SearchWords(key, n, words, count, stride,
                           [](const void* a, const void* b, int32_t units) {
                               return CompareWordFoldedInline(a, b, units);
                           });
    }
    return SearchWords(key, n, words, count, stride, compare);
}

WordId FindStatic(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare) {
    StaticBucket bucket;
    if (!GetStaticBucket(lexicon, length, &bucket)) return -1;
    const int32_t k = SearchBucket(key, length, bucket.base, bucket.count, length, compare);
    return k < 0 ? -1 : bucket.firstId + k;
}

const unsigned char* LocateStaticWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    // At most staticMaxLength steps; the place then follows by one multiplication.
    const int32_t L = StaticLengthOf(lexicon, id);
    if (L == 0) return nullptr;
    const int64_t k = int64_t{id} - StaticIdOffset(lexicon, L - 1);
    if (k < 0) return nullptr;
    if (length != nullptr) *length = L;
    return lexicon->staticChars + kWpbUnitBytes * (StaticCharOffset(lexicon, L - 1) + k * L);
}

}  // namespace vantir

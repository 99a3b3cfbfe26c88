// Verification of a "WPB" blob before it is attached: every table and word is
// checked to lie inside the bytes held, so lookups on it stay in bounds.
#include "lexicon/blob_verify.h"

#include "lexicon/blob_layout.h"
#include "lexicon/word_order.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

// Entry L of both tables begins at 0 and grows by L units per word of length L;
// the id table ends at the word count. Returns the unit count, or -1.
int64_t CheckOffsetTables(const unsigned char* blob, int32_t wordCount, int32_t maxLength) {
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    if (LoadI32At(charOffsets, 0) != 0 || LoadI32At(idOffsets, 0) != 0) return -1;
    for (int32_t L = 1; L <= maxLength; L++) {
        const int64_t words = int64_t{LoadI32At(idOffsets, L)} - LoadI32At(idOffsets, L - 1);
        const int64_t units = int64_t{LoadI32At(charOffsets, L)} - LoadI32At(charOffsets, L - 1);
        if (words < 0 || units != words * L) return -1;
    }
    if (LoadI32At(idOffsets, maxLength) != wordCount) return -1;
    return LoadI32At(charOffsets, maxLength);
}

bool HoldsZeroUnit(const unsigned char* word, int32_t length) {
    for (int32_t i = 0; i < length; i++) {
        if (LoadStoredUnitAt(word, i) == 0) return true;
    }
    return false;
}

// Binary search in a bucket finds a word only when the bucket is strictly
// ascending; an unsorted or repeated bucket would lose words or ids.
bool BucketIsOrdered(const unsigned char* words, int64_t count, int32_t length) {
    const int64_t stride = kWpbUnitBytes * int64_t{length};
    for (int64_t k = 0; k < count; k++) {
        const unsigned char* word = words + k * stride;
        if (HoldsZeroUnit(word, length)) return false;
        if (k > 0 && CompareWordExactInline<LoadStoredUnitAt>(word - stride, word, length) >= 0)
            return false;
    }
    return true;
}

bool BucketsAreOrdered(const unsigned char* blob, int32_t maxLength) {
    const unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    const unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    const unsigned char* units = blob + WpbUnitsAt(maxLength);
    for (int32_t L = 1; L <= maxLength; L++) {
        const int64_t count = int64_t{LoadI32At(idOffsets, L)} - LoadI32At(idOffsets, L - 1);
        const unsigned char* words = units + kWpbUnitBytes * LoadI32At(charOffsets, L - 1);
        if (!BucketIsOrdered(words, count, L)) return false;
    }
    return true;
}

}  // namespace

bool LexiconBlobIsSound(const unsigned char* blob, uint64_t size) {
    if (size < static_cast<uint64_t>(kWpbCharOffsetsAt)) return false;
    const int32_t wordCount = LoadI32(blob + kWpbWordCountAt);
    const int32_t maxLength = LoadI32(blob + kWpbMaxLengthAt);
    if (wordCount < 0 || maxLength < 0 || maxLength > kMaxStaticWordLength) return false;
    if (static_cast<uint64_t>(WpbUnitsAt(maxLength)) > size) return false;
    const int64_t totalUnits = CheckOffsetTables(blob, wordCount, maxLength);
    if (totalUnits < 0) return false;
    const uint64_t end = static_cast<uint64_t>(WpbUnitsAt(maxLength) + kWpbUnitBytes * totalUnits);
    if (end > size) return false;
    return BucketsAreOrdered(blob, maxLength);
}

}  // namespace vantir

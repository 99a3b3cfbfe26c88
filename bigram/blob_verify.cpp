// Verification of an "LMB" blob before it is attached: counts, array extents and
// the successor rows, so that scoring, ranking and editing stay in bounds.
#include "bigram/blob_verify.h"

#include "bigram/blob_layout.h"
#include "textutil/byte_order.h"

namespace vantir {

namespace {

struct ModelCounts {
    int64_t words;  // N: ids -1 .. N - 1
    int64_t slots;  // S = pairCount + sparePairs
    int64_t pairCount;
};

bool ReadCounts(const unsigned char* blob, ModelCounts* counts) {
    const int32_t staticCount = LoadI32(blob + kStaticCountOffset);
    const int32_t pairCount = LoadI32(blob + kPairCountOffset);
    const int32_t addedCapacity = LoadI32(blob + kAddedCapacityOffset);
    const int32_t sparePairs = LoadI32(blob + kSparePairsOffset);
    if (staticCount < 0 || pairCount < 0 || addedCapacity < 0 || sparePairs < 0) return false;
    counts->words = int64_t{staticCount} + addedCapacity;
    counts->slots = int64_t{pairCount} + sparePairs;
    counts->pairCount = pairCount;
    return BlobCountsFit(counts->words, counts->slots);
}

// The row of word w is slots rowStart[w] .. rowStart[w + 1] - 1; rowStart[-1]
// lies just before rowStart[0].
bool RowIsSound(const unsigned char* successorIds, int32_t begin, int32_t end, int64_t words) {
    int64_t previous = -2;  // below every valid successor id
    for (int32_t slot = begin; slot < end; slot++) {
        const int64_t successor = LoadI32At(successorIds, slot);
        if (successor <= previous || successor >= words) return false;
        previous = successor;
    }
    return true;
}

bool RowsAreSound(const unsigned char* blob, const ModelCounts& counts) {
    const unsigned char* rowStart = blob + kRowStartOffset;
    const unsigned char* successorIds =
        blob + ComputeBlobLayout(counts.words, counts.slots).successorIds;
    if (LoadI32At(rowStart, -1) != 0) return false;
    if (LoadI32At(rowStart, counts.words) != counts.pairCount) return false;
    for (int64_t word = -1; word < counts.words; word++) {
        const int32_t begin = LoadI32At(rowStart, word);
        const int32_t end = LoadI32At(rowStart, word + 1);
        // Starts never fall, so each lies in 0 .. pairCount once both ends do.
        if (end < begin || end > counts.pairCount) return false;
        if (!RowIsSound(successorIds, begin, end, counts.words)) return false;
    }
    return true;
}

}  // namespace

bool ModelBlobIsSound(const unsigned char* blob, uint64_t size) {
    if (size < static_cast<uint64_t>(kRowStartOffset)) return false;
    ModelCounts counts;
    if (!ReadCounts(blob, &counts)) return false;
    if (static_cast<uint64_t>(ComputeBlobLayout(counts.words, counts.slots).dataEnd) > size) {
        return false;
    }
    return RowsAreSound(blob, counts);
}

}  // namespace vantir

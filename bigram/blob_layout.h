// Byte layout of the "LMB" model blob: the common header, the count block at
// 64..115, then rowStart, successorIds and the three byte arrays back to back.
#ifndef VANTIR_BIGRAM_BLOB_LAYOUT_H
#define VANTIR_BIGRAM_BLOB_LAYOUT_H

#include <cstdint>

#include "vantir/blob_format.h"

namespace vantir {

constexpr char kModelBlobTag[] = VANTIR_MODEL_BLOB_TAG;
constexpr uint16_t kModelBlobVersion = VANTIR_MODEL_BLOB_VERSION;

// The count block: thirteen i32 values mirrored by the model object.
constexpr int32_t kStaticCountOffset = 64;
constexpr int32_t kPairCountOffset = 68;
constexpr int32_t kAddedCapacityOffset = 72;
constexpr int32_t kSparePairsOffset = 76;
constexpr int32_t kReserved1Offset = 80;
constexpr int32_t kReserved2Offset = 84;
constexpr int32_t kReserved3Offset = 88;
constexpr int32_t kUnigramMaxOffset = 92;
constexpr int32_t kUnigramMinOffset = 96;
constexpr int32_t kUnigramMidOffset = 100;
constexpr int32_t kBigramMaxOffset = 104;
constexpr int32_t kBigramMinOffset = 108;
constexpr int32_t kBigramMeanOffset = 112;

// rowStart entry 0; the entry for word -1 is the i32 before it, at 116.
constexpr int32_t kRowStartOffset = 120;
// Bytes of a blob that do not depend on the word and slot counts: the 124 bytes
// up to rowStart[N] (exclusive of the N words) plus the -1 entries of the two
// score byte arrays.
constexpr int64_t kFixedBlobBytes = 126;
constexpr int64_t kBytesPerWord = 6;  // a row start and two score bytes
constexpr int64_t kBytesPerPair = 5;  // a successor id and a score byte
constexpr int64_t kBlobSizeGranule = 4;
// Blob sizes stay within what an i32 count and a pool request can express.
constexpr int64_t kMaxModelBlobBytes = 0x7FFFFFFC;

// Offsets from the blob start, for N word ids and S successor slots. The byte
// arrays are located by their entry for word 0.
struct ModelBlobLayout {
    int64_t successorIds;
    int64_t unigramBytes;
    int64_t backoffBytes;
    int64_t bigramBytes;
    int64_t dataEnd;
    int64_t totalSize;  // dataEnd rounded up to the size granule
};

inline ModelBlobLayout ComputeBlobLayout(int64_t words, int64_t slots) {
    ModelBlobLayout layout;
    layout.successorIds = kRowStartOffset + 4 * (words + 1);
    layout.unigramBytes = layout.successorIds + 4 * slots + 1;
    layout.backoffBytes = layout.unigramBytes + words + 1;
    layout.bigramBytes = layout.backoffBytes + words;
    layout.dataEnd = kFixedBlobBytes + kBytesPerWord * words + kBytesPerPair * slots;
    layout.totalSize =
        (layout.dataEnd + kBlobSizeGranule - 1) / kBlobSizeGranule * kBlobSizeGranule;
    return layout;
}

// True when the counts describe a blob whose size arithmetic stays in range.
inline bool BlobCountsFit(int64_t words, int64_t slots) {
    if (words < 0 || slots < 0 || words > INT32_MAX || slots > INT32_MAX) return false;
    return ComputeBlobLayout(words, slots).totalSize <= kMaxModelBlobBytes;
}

}  // namespace vantir

#endif  // VANTIR_BIGRAM_BLOB_LAYOUT_H

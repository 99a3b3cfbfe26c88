// The BigramModel record: counts and statistics mirrored from its "LMB" blob,
// views of the blob's arrays, the optional tables, the scoring slots, score codes.
#ifndef VANTIR_BIGRAM_MODEL_OBJECT_H
#define VANTIR_BIGRAM_MODEL_OBJECT_H

#include <cstdint>

#include "bigram/blob_layout.h"
#include "bigram/scorers.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"

namespace vantir {

using UnigramScoreFn = int32_t (*)(const BigramModel* model, WordId word);

constexpr int32_t kModeStrict = 0;
constexpr int32_t kModeBackoff = 1;

}  // namespace vantir

// Word ids run from -1 to N - 1 with N = staticCount + addedCapacity; slots from
// 0 to pairCount + sparePairs - 1. The i32 arrays lie in the blob at whatever
// alignment the host gave it, so they are kept as byte pointers and read through
// the byte-order helpers below.
struct BigramModel {
    int32_t staticCount;
    int32_t pairCount;
    int32_t addedCapacity;
    int32_t sparePairs;
    int32_t reserved1;
    int32_t reserved2;
    int32_t reserved3;
    int32_t unigramMax;
    int32_t unigramMin;
    int32_t unigramMid;
    int32_t bigramMax;
    int32_t bigramMin;
    int32_t bigramMean;
    unsigned char* rowStart;      // i32 entries; points at the entry of word 0
    unsigned char* successorIds;  // i32 entries, one per slot
    uint8_t* unigramBytes;        // points at the entry of word 0
    uint8_t* backoffBytes;        // points at the entry of word 0
    uint8_t* bigramBytes;         // one per slot
    int32_t mode;
    int32_t unigramFloor;
    int32_t addedWordDefault;
    int32_t reservedCopy;
    void* ownBlob;
    uint8_t* altUnigramBytes;  // entry of word 0; the allocation starts one byte earlier
    uint8_t* extraPairTable;
    vantir::UnigramScoreFn unigramScoreFn;
    vantir::PairScoreFn pairScoreFn;
    MemPool* pool;
    uint32_t userValue;
    // Distance from the allocation start to the record, which is moved up to its
    // natural alignment because pool payloads are only 4-byte aligned.
    uint32_t recordShift;
};

namespace vantir {

inline int32_t WordCount(const BigramModel* model) {
    return model->staticCount + model->addedCapacity;
}

inline int32_t SlotCapacity(const BigramModel* model) {
    return model->pairCount + model->sparePairs;
}

inline bool HasBlob(const BigramModel* model) {
    return model->unigramBytes != nullptr;
}

inline int32_t RowStartOf(const BigramModel* model, int64_t word) {
    return LoadI32At(model->rowStart, word);
}

inline void SetRowStartOf(BigramModel* model, int64_t word, int32_t slot) {
    StoreI32(model->rowStart + word * 4, slot);
}

inline int32_t SuccessorAt(const BigramModel* model, int64_t slot) {
    return LoadI32At(model->successorIds, slot);
}

inline void SetSuccessorAt(BigramModel* model, int64_t slot, int32_t word) {
    StoreI32(model->successorIds + slot * 4, word);
}

// The blob start, recovered from rowStart, which always lies at a fixed offset.
inline unsigned char* ModelBlobBase(const BigramModel* model) {
    return model->rowStart - kRowStartOffset;
}

inline void WriteBlobCount(BigramModel* model, int32_t offset, int32_t value) {
    StoreI32(ModelBlobBase(model) + offset, value);
}

// Score values of the bigram model: the stored range, the not-listed score of
// strict mode and the one-byte encoding of a score as its negation.

constexpr int32_t kBestScore = 0;
constexpr int32_t kWorstStoredScore = -255;
// Strict-mode answer for a pair that neither the rows nor the extra table list.
constexpr int32_t kNotListedScore = -10000;
// An extra-table score or a strict row score is used only from this value up;
// anything lower falls through to the next source.
constexpr int32_t kLowestUsableScore = -254;

// Scores outside the stored range are pulled to its nearer end.
inline int32_t ClampScore(int32_t score) {
    if (score > kBestScore) return kBestScore;
    if (score < kWorstStoredScore) return kWorstStoredScore;
    return score;
}

// A stored score byte b stands for the score -b.
inline uint8_t ScoreToByte(int32_t clampedScore) {
    return static_cast<uint8_t>(-clampedScore);
}
inline int32_t ByteToScore(uint8_t byte) {
    return -static_cast<int32_t>(byte);
}

// Midpoint of two statistics, truncated toward zero, without overflow.
inline int32_t TruncatedMidpoint(int32_t a, int32_t b) {
    return static_cast<int32_t>((static_cast<int64_t>(a) + b) / 2);
}

}  // namespace vantir

#endif  // VANTIR_BIGRAM_MODEL_OBJECT_H

// A model's "LMB" blob: the structural check, attaching a host's blob in place,
// an empty blob of the model's own, and the binding of the model to either.
#include "bigram/model_blob.h"

#include <cstring>

#include "bigram/blob_layout.h"
#include "bigram/model_object.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"

namespace vantir {

// Array views and count block transfer between a model and its blob. Counts go
// through the byte-safe loads so that a blob at any alignment is read in place.

void PointArraysInto(BigramModel* model, unsigned char* blob, const ModelBlobLayout& layout) {
    model->rowStart = blob + kRowStartOffset;
    model->successorIds = blob + layout.successorIds;
    model->unigramBytes = blob + layout.unigramBytes;
    model->backoffBytes = blob + layout.backoffBytes;
    model->bigramBytes = blob + layout.bigramBytes;
}

void LoadCountBlock(BigramModel* model, const void* blob) {
    const unsigned char* bytes = static_cast<const unsigned char*>(blob);
    model->staticCount = LoadI32(bytes + kStaticCountOffset);
    model->pairCount = LoadI32(bytes + kPairCountOffset);
    model->addedCapacity = LoadI32(bytes + kAddedCapacityOffset);
    model->sparePairs = LoadI32(bytes + kSparePairsOffset);
    model->reserved1 = LoadI32(bytes + kReserved1Offset);
    model->reserved2 = LoadI32(bytes + kReserved2Offset);
    model->reserved3 = LoadI32(bytes + kReserved3Offset);
    model->unigramMax = LoadI32(bytes + kUnigramMaxOffset);
    model->unigramMin = LoadI32(bytes + kUnigramMinOffset);
    model->unigramMid = LoadI32(bytes + kUnigramMidOffset);
    model->bigramMax = LoadI32(bytes + kBigramMaxOffset);
    model->bigramMin = LoadI32(bytes + kBigramMinOffset);
    model->bigramMean = LoadI32(bytes + kBigramMeanOffset);
}

void StoreCountBlock(BigramModel* model) {
    WriteBlobCount(model, kStaticCountOffset, model->staticCount);
    WriteBlobCount(model, kPairCountOffset, model->pairCount);
    WriteBlobCount(model, kAddedCapacityOffset, model->addedCapacity);
    WriteBlobCount(model, kSparePairsOffset, model->sparePairs);
    WriteBlobCount(model, kReserved1Offset, model->reserved1);
    WriteBlobCount(model, kReserved2Offset, model->reserved2);
    WriteBlobCount(model, kReserved3Offset, model->reserved3);
    WriteBlobCount(model, kUnigramMaxOffset, model->unigramMax);
    WriteBlobCount(model, kUnigramMinOffset, model->unigramMin);
    WriteBlobCount(model, kUnigramMidOffset, model->unigramMid);
    WriteBlobCount(model, kBigramMaxOffset, model->bigramMax);
    WriteBlobCount(model, kBigramMinOffset, model->bigramMin);
    WriteBlobCount(model, kBigramMeanOffset, model->bigramMean);
}

// Verification of an "LMB" blob before it is attached: counts, array extents and
// the successor rows, so that scoring, ranking and editing stay in bounds.

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

bool ModelBlobIsWellFormed(const unsigned char* blob, uint64_t size) {
    if (size < static_cast<uint64_t>(kRowStartOffset)) return false;
    ModelCounts counts;
    if (!ReadCounts(blob, &counts)) return false;
    if (static_cast<uint64_t>(ComputeBlobLayout(counts.words, counts.slots).dataEnd) > size) {
        return false;
    }
    return RowsAreSound(blob, counts);
}

}  // namespace vantir

using namespace vantir;

// Attachment of a host's "LMB" blob: header check, counts copied into the
// object, arrays used in place. The blob stays the host's.

namespace {

// Counts that no blob of this format can hold (negative, or sizes beyond the
// i32 range) would make every later index computation overflow; such a blob is
// refused like one with a bad header. The array contents are not examined.
bool CountsAreUsable(const unsigned char* blob) {
    int32_t staticCount = LoadI32(blob + kStaticCountOffset);
    int32_t addedCapacity = LoadI32(blob + kAddedCapacityOffset);
    int32_t pairCount = LoadI32(blob + kPairCountOffset);
    int32_t sparePairs = LoadI32(blob + kSparePairsOffset);
    if (staticCount < 0 || addedCapacity < 0 || pairCount < 0 || sparePairs < 0) return false;
    return BlobCountsFit(static_cast<int64_t>(staticCount) + addedCapacity,
                         static_cast<int64_t>(pairCount) + sparePairs);
}

}  // namespace

extern "C" {

int32_t BigramModel_AttachBlob(BigramModel* model, void* blob) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (blob == nullptr || HasBlob(model)) return VANTIR_WRONG_STATE;
    unsigned char* bytes = static_cast<unsigned char*>(blob);
    if (!BlobHeaderMatches(bytes, kModelBlobTag, kModelBlobVersion)) return VANTIR_BAD_BLOB;
    if (!CountsAreUsable(bytes)) return VANTIR_BAD_BLOB;

    model->userValue = BlobUserValue(bytes);
    LoadCountBlock(model, bytes);
    PointArraysInto(model, bytes, ComputeBlobLayout(WordCount(model), SlotCapacity(model)));
    model->reservedCopy = model->reserved3;
    model->addedWordDefault = TruncatedMidpoint(model->unigramMid, model->unigramMax);
    model->unigramFloor = model->unigramMin;
    return VANTIR_OK;
}

}  // extern "C"

// Creation of an empty "LMB" blob owned by the model: every word id an added
// id, every slot spare, all scores 0.
namespace {

void SetEmptyCounts(BigramModel* model, int32_t words, int32_t slots) {
    model->staticCount = 0;
    model->pairCount = 0;
    model->addedCapacity = words;
    model->sparePairs = slots;
    model->reserved1 = 0;
    model->reserved2 = 0;
    model->reserved3 = 0;
    model->unigramMax = kWorstStoredScore;
    model->unigramMin = kBestScore;
    model->unigramMid = 0;
    model->bigramMax = kWorstStoredScore;
    model->bigramMin = kBestScore;
    model->bigramMean = 0;
    model->unigramFloor = 0;
    model->addedWordDefault = 0;
    model->reservedCopy = 0;
}

}  // namespace

extern "C" {

void* BigramModel_NewBlob(BigramModel* model, int32_t wordCapacity, int32_t pairCapacity,
                          int32_t* outSize) {
    if (model == nullptr || HasBlob(model)) return nullptr;
    if (!BlobCountsFit(wordCapacity, pairCapacity)) return nullptr;
    ModelBlobLayout layout = ComputeBlobLayout(wordCapacity, pairCapacity);
    size_t size = static_cast<size_t>(layout.totalSize);
    unsigned char* blob = static_cast<unsigned char*>(ObjectAlloc(model->pool, size));
    if (blob == nullptr) return nullptr;
    std::memset(blob, 0, size);
    WriteBlobHeader(blob, static_cast<uint32_t>(size), kModelBlobTag, kModelBlobVersion);
    model->ownBlob = blob;
    PointArraysInto(model, blob, layout);
    SetEmptyCounts(model, wordCapacity, pairCapacity);
    StoreCountBlock(model);
    if (outSize != nullptr) *outSize = static_cast<int32_t>(size);
    return blob;
}

}  // extern "C"

// Array views and count block transfer between a model and its blob. Counts go
// through the byte-safe loads so that a blob at any alignment is read in place.
#include "bigram/blob_binding.h"

#include "bigram/model_object.h"

namespace vantir {

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

}  // namespace vantir

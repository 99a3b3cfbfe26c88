// Creation of an empty "LMB" blob owned by the model: every word id an added
// id, every slot spare, all scores 0.
#include <cstring>

#include "bigram/blob_binding.h"
#include "bigram/blob_layout.h"
#include "bigram/model_object.h"
#include "bigram/score_codes.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "vantir/bigram.h"

using namespace vantir;

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

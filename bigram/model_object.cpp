// A model's life: creation and destruction, the memory estimate for a pool, and
// the read-only accessors of its counts, statistics and mode.
#include "bigram/model_object.h"

#include <cstdint>
#include <new>

#include "bigram/blob_layout.h"
#include "bigram/extra_pairs.h"
#include "bigram/scorers.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/bigram.h"

using namespace vantir;

// Creation and destruction of the model object. The object and everything it
// owns come from its pool when it has one, from the heap otherwise.

extern "C" {

BigramModel* BigramModel_Create(MemPool* pool) {
    // The record holds pointers; pool memory is only 4-byte aligned.
    void* block;
    void* place = ObjectAllocAligned(pool, sizeof(BigramModel), alignof(BigramModel), &block);
    if (place == nullptr) return nullptr;
    BigramModel* model = new (place) BigramModel{};
    model->mode = kModeBackoff;
    model->unigramScoreFn = ScoreUnigramMain;
    model->pairScoreFn = ScorePairBackoff;
    model->pool = pool;
    model->recordShift = static_cast<uint32_t>(static_cast<unsigned char*>(place) -
                                               static_cast<unsigned char*>(block));
    return model;
}

int32_t BigramModel_Destroy(BigramModel* model) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    MemPool* pool = model->pool;
    ReleaseOptionalTables(model);
    ObjectFree(pool, model->ownBlob);
    ObjectFree(pool, reinterpret_cast<unsigned char*>(model) - model->recordShift);
    return VANTIR_OK;
}

}  // extern "C"

// Memory estimate that a host uses to size a pool for a model: the object for an
// attached blob, or an own blob of the given size, plus the optional tables.
namespace {

// The figure the estimate counts for the object itself (its size on the
// 32-bit target).
constexpr int64_t kModelObjectEstimate = 116;
// An own blob is counted without its 64 header bytes.
constexpr int64_t kOwnBlobBase = kFixedBlobBytes - kBlobHeaderSize;
// Beyond the N + 1 alternative unigram bytes and the extra pair table, a fixed
// allowance that the optional tables are granted on top.
constexpr int64_t kAltTableLeadingByte = 1;
constexpr int64_t kOptionalTablesSlack = 131072;
constexpr int64_t kOptionalTablesAllowance =
    kAltTableLeadingByte + kExtraPairTableBytes + kOptionalTablesSlack;
static_assert(kOptionalTablesAllowance == 230405, "stored optional table allowance");

int64_t AtLeastZero(int64_t value) {
    return value < 0 ? 0 : value;
}

uint32_t SaturateToU32(int64_t value) {
    if (value < 0) return 0;
    if (value > static_cast<int64_t>(UINT32_MAX)) return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

}  // namespace

extern "C" {

uint32_t BigramModel_EstimateMemory(const void* blob, int32_t words, int32_t pairs,
                                    int32_t withOptionalTables) {
    if (blob != nullptr && !BlobHeaderMatches(blob, kModelBlobTag, kModelBlobVersion)) {
        return static_cast<uint32_t>(kModelObjectEstimate);
    }
    int64_t wordCount = AtLeastZero(words);
    int64_t pairCount = AtLeastZero(pairs);
    int64_t total = blob != nullptr
                        ? kModelObjectEstimate
                        : kBytesPerWord * wordCount + kBytesPerPair * pairCount + kOwnBlobBase;
    if (withOptionalTables == 0) return SaturateToU32(total);
    int64_t staticWords =
        blob != nullptr ? LoadI32(static_cast<const unsigned char*>(blob) + kStaticCountOffset) : 0;
    return SaturateToU32(total + staticWords + wordCount + kOptionalTablesAllowance);
}

// Read-only accessors of the model's counts, statistics and mode. A null model
// answers -5 (0 for the user value) instead of being dereferenced.

int32_t BigramModel_GetUnigramMax(const BigramModel* model) {
    return model != nullptr ? model->unigramMax : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetUnigramMin(const BigramModel* model) {
    return model != nullptr ? model->unigramMin : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetUnigramMid(const BigramModel* model) {
    return model != nullptr ? model->unigramMid : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetBigramMean(const BigramModel* model) {
    return model != nullptr ? model->bigramMean : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetStaticCount(const BigramModel* model) {
    return model != nullptr ? model->staticCount : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetPairCount(const BigramModel* model) {
    return model != nullptr ? model->pairCount : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetAddedCapacity(const BigramModel* model) {
    return model != nullptr ? model->addedCapacity : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetSparePairs(const BigramModel* model) {
    return model != nullptr ? model->sparePairs : VANTIR_NULL_OBJECT;
}

int32_t BigramModel_GetMode(const BigramModel* model) {
    return model != nullptr ? model->mode : VANTIR_NULL_OBJECT;
}

uint32_t BigramModel_GetUserValue(const BigramModel* model) {
    return model != nullptr ? model->userValue : 0;
}

}  // extern "C"

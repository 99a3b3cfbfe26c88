// Creation and destruction of the model object. The object and everything it
// owns come from its pool when it has one, from the heap otherwise.
#include <cstdint>
#include <new>

#include "bigram/extra_pairs.h"
#include "bigram/model_object.h"
#include "bigram/scorers.h"
#include "mempool/object_memory.h"
#include "vantir/bigram.h"

using namespace vantir;

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

// Creation and destruction of the model object. The object and everything it
// owns come from its pool when it has one, from the heap otherwise.
#include <cstdint>
#include <new>

#include "bigram/model_object.h"
#include "bigram/optional_tables.h"
#include "bigram/scorers.h"
#include "mempool/object_memory.h"
#include "vantir/bigram.h"

using namespace vantir;

namespace {

// Pool payloads are only guaranteed to be 4-byte aligned; the record, which
// holds pointers, may need more, so it is placed at the next suitable address.
constexpr uintptr_t kAllocationAlignment = 4;
constexpr uintptr_t kRecordAlignment = alignof(BigramModel);
constexpr size_t kRecordAllocationBytes =
    sizeof(BigramModel) +
    (kRecordAlignment > kAllocationAlignment ? kRecordAlignment - kAllocationAlignment : 0);

uint32_t RecordShiftFor(const void* memory) {
    uintptr_t address = reinterpret_cast<uintptr_t>(memory);
    uintptr_t aligned = (address + kRecordAlignment - 1) & ~(kRecordAlignment - 1);
    return static_cast<uint32_t>(aligned - address);
}

}  // namespace

extern "C" {

BigramModel* BigramModel_Create(MemPool* pool) {
    void* memory = ObjectAlloc(pool, kRecordAllocationBytes);
    if (memory == nullptr) return nullptr;
    uint32_t shift = RecordShiftFor(memory);
    BigramModel* model = new (static_cast<unsigned char*>(memory) + shift) BigramModel{};
    model->mode = kModeBackoff;
    model->unigramScoreFn = ScoreUnigramMain;
    model->pairScoreFn = ScorePairBackoff;
    model->pool = pool;
    model->recordShift = shift;
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

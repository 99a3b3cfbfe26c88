// The extra pair table: look-up of a word pair by its hashed bucket, and the
// installation and release of the optional tables the model owns.
#include "bigram/extra_pairs.h"

#include <cstring>

#include "bigram/model_object.h"
#include "mempool/object_memory.h"
#include "vantir/bigram.h"

namespace vantir {

// Look-up of a word pair in the extra pair table: hash to one bucket, then
// compare its eight entries in order.

int32_t LookupExtraPair(const void* table, WordId first, WordId second) {
    int32_t entryIndex = ExtraPairBucket(first, second) * kExtraEntriesPerBucket;
    for (int32_t e = 0; e < kExtraEntriesPerBucket; ++e, ++entryIndex) {
        const uint8_t* entry = ExtraEntryAt(table, entryIndex);
        if (LoadI32(entry + kExtraFirstWordField) != first) continue;
        if (LoadI32(entry + kExtraSecondWordField) != second) continue;
        return ReadExtraEntry(table, entryIndex).score;
    }
    return kNotListedScore;
}

// Installation of the optional tables: the model copies them into buffers of
// its own, which it owns from then on and frees on destruction or replacement.

void ReleaseOptionalTables(BigramModel* model) {
    if (model->altUnigramBytes != nullptr) ObjectFree(model->pool, model->altUnigramBytes - 1);
    ObjectFree(model->pool, model->extraPairTable);
    model->altUnigramBytes = nullptr;
    model->extraPairTable = nullptr;
}

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t BigramModel_SetExtraTables(BigramModel* model, const uint8_t* altUnigramBytes,
                                   int32_t altCount, const void* extraPairTable,
                                   int32_t extraSize) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (!HasBlob(model) || altUnigramBytes == nullptr || extraPairTable == nullptr) {
        return VANTIR_WRONG_STATE;
    }
    // One byte per word id from -1 to N - 1.
    if (static_cast<int64_t>(altCount) != static_cast<int64_t>(WordCount(model)) + 1 ||
        extraSize != kExtraPairTableBytes) {
        return VANTIR_INVALID_ARGUMENT;
    }
    uint8_t* altCopy = static_cast<uint8_t*>(ObjectAlloc(model->pool, altCount));
    if (altCopy == nullptr) return VANTIR_OUT_OF_MEMORY;
    uint8_t* extraCopy = static_cast<uint8_t*>(ObjectAlloc(model->pool, kExtraPairTableBytes));
    if (extraCopy == nullptr) {
        ObjectFree(model->pool, altCopy);
        return VANTIR_OUT_OF_MEMORY;
    }
    std::memcpy(altCopy, altUnigramBytes, static_cast<size_t>(altCount));
    std::memcpy(extraCopy, extraPairTable, kExtraPairTableBytes);
    ReleaseOptionalTables(model);
    model->altUnigramBytes = altCopy + 1;
    model->extraPairTable = extraCopy;
    return VANTIR_OK;
}

}  // extern "C"

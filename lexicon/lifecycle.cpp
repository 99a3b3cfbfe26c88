// Creating and destroying a lexicon, and the memory estimate a host uses to
// size a pool for one.
#include "lexicon/lexicon_memory.h"
#include "lexicon/lexicon_object.h"
#include "mempool/object_memory.h"
#include "vantir/lexicon.h"

namespace vantir {

namespace {

// Estimate terms: the record, then bytes per added word (entry, sorted slot and
// the temporary arrays of an addition) and per added-word code unit.
constexpr int64_t kEstimateRecordBytes = 68;
constexpr int64_t kEstimateBytesPerWord = 24;
constexpr int64_t kEstimateBytesPerUnit = 2;

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" {

Lexicon* Lexicon_Create(MemPool* pool, int32_t addedCapacity, int32_t addedCharCapacity) {
    // The capacities are only recorded here; the first addition sizes its buffers
    // from them and fails cleanly when they cannot be had.
    Lexicon* lexicon = AllocLexiconRecord(pool);
    if (lexicon == nullptr) return nullptr;
    lexicon->addedCapacity = addedCapacity;
    lexicon->addedCharCapacity = addedCharCapacity;
    return lexicon;
}

int32_t Lexicon_Destroy(Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    MemPool* pool = lexicon->pool;
    ObjectFree(pool, lexicon->hostChars);
    ObjectFree(pool, lexicon->ownBlob);
    ObjectFree(pool, lexicon->addedSorted);
    ObjectFree(pool, lexicon->addedEntries);
    ObjectFree(pool, lexicon->addedChars);
    FreeLexiconRecord(lexicon);
    return VANTIR_OK;
}

int32_t Lexicon_EstimateMemory(int32_t addedCapacity, int32_t addedCharCapacity) {
    int64_t bytes = kEstimateRecordBytes;
    if (addedCapacity > 0) bytes += kEstimateBytesPerWord * addedCapacity;
    if (addedCharCapacity > 0) bytes += kEstimateBytesPerUnit * addedCharCapacity;
    // Capacities this large cannot be served anyway; the estimate saturates.
    return bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
}

}  // extern "C"

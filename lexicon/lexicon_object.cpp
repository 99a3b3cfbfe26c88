// A lexicon's life: checked allocation and placement of the record, creating,
// destroying, the memory estimate for a pool, and the read-only accessors.
#include "lexicon/lexicon_object.h"

#include <cstring>
#include <new>

#include "lexicon/lookup_index.h"
#include "mempool/object_memory.h"
#include "vantir/lexicon.h"

namespace vantir {

// Checked array allocation and the aligned placement of the lexicon record.
// Pool payloads are only 4-byte aligned, while the record holds pointers.

namespace {

// The most bytes one allocation may have; pools cannot express more.
constexpr int64_t kMaxAllocationBytes = INT32_MAX;

}  // namespace

void* AllocArray(MemPool* pool, int64_t count, size_t elementSize) {
    if (count < 0 || elementSize == 0) return nullptr;
    if (count > kMaxAllocationBytes / static_cast<int64_t>(elementSize)) return nullptr;
    return ObjectAlloc(pool, static_cast<size_t>(count) * elementSize);
}

Lexicon* AllocLexiconRecord(MemPool* pool) {
    void* block;
    void* place = ObjectAllocAligned(pool, sizeof(Lexicon), alignof(Lexicon), &block);
    if (place == nullptr) return nullptr;
    Lexicon* lexicon = new (place) Lexicon{};
    lexicon->block = block;
    lexicon->pool = pool;
    return lexicon;
}

void FreeLexiconRecord(Lexicon* lexicon) {
    MemPool* pool = lexicon->pool;
    ObjectFree(pool, lexicon->block);
}

// Creating and destroying a lexicon, and the memory estimate a host uses to
// size a pool for one.

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
    DropLookupIndex(lexicon);
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

// Read-only accessors of a lexicon: lengths, counts, capacity and the user value
// copied from an attached blob's header.

int32_t Lexicon_GetMaxWordLength(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->staticMaxLength > lexicon->addedMaxLength ? lexicon->staticMaxLength
                                                              : lexicon->addedMaxLength;
}

int32_t Lexicon_GetStaticCount(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->staticCount;
}

int32_t Lexicon_GetAddedIdSpan(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->nextId - lexicon->staticCount;
}

int32_t Lexicon_GetAddedCapacity(const Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return lexicon->addedCapacity;
}

uint32_t Lexicon_GetUserValue(const Lexicon* lexicon) {
    if (lexicon == nullptr) return 0;
    return lexicon->userValue;
}

}  // extern "C"

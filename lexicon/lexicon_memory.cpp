// Checked array allocation and the aligned placement of the lexicon record.
// Pool payloads are only 4-byte aligned, while the record holds pointers.
#include "lexicon/lexicon_memory.h"

#include <cstring>
#include <new>

#include "mempool/object_memory.h"

namespace vantir {

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

}  // namespace vantir

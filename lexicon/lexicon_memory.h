// Allocation helpers of the lexicon: arrays whose byte size is checked before it
// is computed, and the record itself, placed at its natural alignment.
#ifndef VANTIR_LEXICON_LEXICON_MEMORY_H
#define VANTIR_LEXICON_LEXICON_MEMORY_H

#include <cstddef>
#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// count elements of elementSize bytes from the pool (or heap); null when count is
// negative, when the size is beyond what an allocation can express, or on failure.
void* AllocArray(MemPool* pool, int64_t count, size_t elementSize);

// A zeroed record whose `block` field remembers the allocation to release.
Lexicon* AllocLexiconRecord(MemPool* pool);
void FreeLexiconRecord(Lexicon* lexicon);

}  // namespace vantir

#endif  // VANTIR_LEXICON_LEXICON_MEMORY_H

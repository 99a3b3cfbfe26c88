// The Lexicon record, its added-word entries, inline readers for the static part
// (read in place from a "WPB" blob at any alignment) and the record's allocation helpers.
#ifndef VANTIR_LEXICON_LEXICON_OBJECT_H
#define VANTIR_LEXICON_LEXICON_OBJECT_H

#include <cstddef>
#include <cstdint>

#include "textutil/byte_order.h"
#include "vantir/lexicon.h"
#include "vantir/mempool.h"

namespace vantir {

// One added word. The text is kept as a unit offset into addedChars, not as a
// pointer: pool payloads are only 4-byte aligned, so every array the lexicon
// allocates holds 32-bit fields only.
struct AddedEntry {
    int32_t id;    // the word's WordId; -1 marks a word being removed
    int32_t text;  // offset of the word's 0-terminated units in addedChars
};

}  // namespace vantir

// The public header declares the handle at global scope, so the record lives there.
struct Lexicon {
    int32_t staticCount;
    int32_t staticMaxLength;
    const unsigned char* charOffsets;  // i32[staticMaxLength + 1] inside the blob
    const unsigned char* idOffsets;    // i32[staticMaxLength + 1] inside the blob
    const unsigned char* staticChars;  // 16-bit host-order units: the blob's, or hostChars
    char16_t* hostChars;  // owned host-order copy of the blob's units on a big-endian host
    int32_t addedCapacity;
    int32_t addedCharCapacity;
    int32_t addedCount;
    int32_t addedMaxLength;
    int32_t nextId;
    int32_t addedCharsUsed;
    char16_t* addedChars;              // owned, addedCharCapacity units
    vantir::AddedEntry* addedEntries;  // owned, ascending id order
    int32_t* addedSorted;              // owned, entry indices in lexicon order
    void* ownBlob;                     // blob built by this lexicon, or null
    MemPool* pool;                     // not owned; null means the heap
    uint32_t userValue;
    // Counts the calls that may change which text gives which id (attach,
    // build, add, remove, renumber), so that a reader caching ids learns when
    // they may be stale. Sits in what was padding: the record keeps its size.
    uint32_t editCount;
    uint32_t* lookupIndex;  // owned; the optional look-up index, or null
    void* block;            // the allocation holding this record (it may start a few bytes earlier)
};

namespace vantir {

inline void NoteLexiconEdit(Lexicon* lexicon) {
    ++lexicon->editCount;  // wraps; readers compare for equality only
}

inline bool HasAddedBuffers(const Lexicon* lexicon) {
    return lexicon->addedChars != nullptr;
}

// Entry L of the static offset tables; callers keep L within 0..staticMaxLength.
inline int32_t StaticCharOffset(const Lexicon* lexicon, int32_t length) {
    return LoadI32At(lexicon->charOffsets, length);
}
inline int32_t StaticIdOffset(const Lexicon* lexicon, int32_t length) {
    return LoadI32At(lexicon->idOffsets, length);
}

inline const AddedEntry& SortedEntry(const Lexicon* lexicon, int32_t k) {
    return lexicon->addedEntries[lexicon->addedSorted[k]];
}
inline const char16_t* EntryText(const Lexicon* lexicon, const AddedEntry& entry) {
    return lexicon->addedChars + entry.text;
}

// Allocation helpers of the lexicon: arrays whose byte size is checked before it
// is computed, and the record itself, placed at its natural alignment.

// count elements of elementSize bytes from the pool (or heap); null when count is
// negative, when the size is beyond what an allocation can express, or on failure.
void* AllocArray(MemPool* pool, int64_t count, size_t elementSize);

// A zeroed record whose `block` field remembers the allocation to release.
Lexicon* AllocLexiconRecord(MemPool* pool);
void FreeLexiconRecord(Lexicon* lexicon);

}  // namespace vantir

#endif  // VANTIR_LEXICON_LEXICON_OBJECT_H

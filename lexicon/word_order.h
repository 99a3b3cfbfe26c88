// Lexicon order and the unit comparisons behind every lookup, and word lists:
// split in place, gathered, sorted into lexicon order and deduplicated.
#ifndef VANTIR_LEXICON_WORD_ORDER_H
#define VANTIR_LEXICON_WORD_ORDER_H

#include <cstdint>

#include "lexicon/lexicon_object.h"
#include "textutil/byte_order.h"
#include "textutil/text_units.h"
#include "vantir/mempool.h"

namespace vantir {

// Lexicon order and the unit comparisons behind every lookup: exact (folded
// value, then raw value) and ASCII-case-insensitive, over a fixed unit count.

// Both compare exactly n units of host-order text, never stopping at a 0 unit,
// and return a difference whose sign alone matters. Units are read byte-safely,
// so words may sit at any address.
using WordCompare = int32_t (*)(const void* a, const void* b, int32_t n);
int32_t CompareWordExact(const void* a, const void* b, int32_t n);
int32_t CompareWordFolded(const void* a, const void* b, int32_t n);

// The bodies of the two, inline for the binary searches, folding with the
// arithmetic of ToUpperAscii. Units that are equal fold equally, so folding is
// needed only where the units differ. Load reads unit i of either word.
using UnitLoader = char16_t (*)(const void* base, int64_t i);

template <UnitLoader Load = LoadUnitAt>
inline int32_t CompareWordExactInline(const void* a, const void* b, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        const int32_t rawA = Load(a, i);
        const int32_t rawB = Load(b, i);
        if (rawA == rawB) continue;
        const int32_t foldedA = UpperAsciiValue(rawA);
        const int32_t foldedB = UpperAsciiValue(rawB);
        return foldedA != foldedB ? foldedA - foldedB : rawA - rawB;
    }
    return 0;
}

inline int32_t CompareWordFoldedInline(const void* a, const void* b, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        const int32_t rawA = LoadUnitAt(a, i);
        const int32_t rawB = LoadUnitAt(b, i);
        if (rawA == rawB) continue;
        const int32_t foldedA = UpperAsciiValue(rawA);
        const int32_t foldedB = UpperAsciiValue(rawB);
        if (foldedA != foldedB) return foldedA - foldedB;
    }
    return 0;
}

// Lexicon order of two 0-terminated words: shorter first, then CompareWordExact.
int32_t CompareWordOrder(const char16_t* a, const char16_t* b);
// The same on two added entries of one lexicon.
int32_t CompareEntryOrder(const Lexicon* lexicon, const AddedEntry& p, const AddedEntry& q);

// Position of a unit in lexicon order: folded value first, raw value second.
// Within a run of words that share their first i units, the words are sorted
// by this key of unit i.
uint32_t UnitOrderKey(uint32_t unit);

// Word lists: one word per line in a writable text, split in place into
// 0-terminated words, then gathered, sorted into lexicon order and deduplicated.

// Rewrites the text as its words back to back, each ended by a 0 unit, and
// returns their number. A line ends at LF or CR LF; a LF right after a line
// break belongs to that break.
int32_t SplitWordList(char16_t* text);

// Unit offsets from `text` of the first *count words that SplitWordList left
// there, in list order; null when the array cannot be allocated. Words whose
// offset would not fit an i32 are cut off by lowering *count.
int32_t* NewWordArray(MemPool* pool, const char16_t* text, int32_t* count);

// Sorts the words into lexicon order and keeps one of each identical group;
// returns how many remain at the front of the array.
int32_t SortUniqueWords(const char16_t* text, int32_t* words, int32_t count);

// First `count` words, but never more than twice the added-word capacity.
int32_t CapToAddedCapacity(int32_t count, int32_t addedCapacity);

}  // namespace vantir

#endif  // VANTIR_LEXICON_WORD_ORDER_H

// The optional look-up index of a lexicon: open-addressing tables of word ids
// keyed by a hash of the ASCII-folded text, answering text to id in one probe.
#ifndef VANTIR_LEXICON_LOOKUP_INDEX_H
#define VANTIR_LEXICON_LOOKUP_INDEX_H

#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// Slot counts per word: the tables are kept at most 5/8 full, so that a probe
// that finds nothing stops after a few neighbouring slots of one cache line.
constexpr int64_t kIndexSlotsPerWordNumerator = 8;
constexpr int64_t kIndexSlotsPerWordDenominator = 5;

// A slot holds item + 1 in its low 24 bits (0: empty), a flag and 7 bits of the
// hash; items (static ids, added entry indices) must stay below this.
constexpr int64_t kMaxIndexedItems = (int64_t{1} << 24) - 1;

// Bytes of an index over `staticWords` static words and `addedCapacity` added
// words; -1 when either count is negative or beyond kMaxIndexedItems.
int64_t LookupIndexBytes(int64_t staticWords, int64_t addedCapacity);

// Builds the index of the lexicon as it is now and hands it to the lexicon,
// replacing an earlier one; the earlier one stays on failure. 0, or -51 for
// counts beyond kMaxIndexedItems, -103 for a static part whose buckets are not
// strictly in lexicon order (the binary searches the index stands in for
// would miss words there), -10 out of memory.
int32_t BuildLookupIndex(Lexicon* lexicon);

// Frees the lexicon's index, if any.
void DropLookupIndex(Lexicon* lexicon);

// Enters the added words again after an addition or a removal (renumbering
// keeps the entries, so it needs nothing). Allocates nothing.
void RefreshAddedIndex(Lexicon* lexicon);

// Lexicon_FindIdN through the index, for a text of n >= 1 units.
WordId FindIdThroughIndex(const Lexicon* lexicon, const char16_t* text, int32_t n);

}  // namespace vantir

#endif  // VANTIR_LEXICON_LOOKUP_INDEX_H

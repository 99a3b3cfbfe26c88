// Searches over the added words: addedSorted in lexicon order for texts, and
// addedEntries in id order for ids.
#ifndef VANTIR_LEXICON_ADDED_LOOKUP_H
#define VANTIR_LEXICON_ADDED_LOOKUP_H

#include <cstdint>

#include "lexicon/lexicon_object.h"
#include "lexicon/word_order.h"

namespace vantir {

// Index into addedSorted of an entry of exactly `length` units whose first n
// units compare equal to the key's (compare(entry text, key, n)); -1 if none.
int32_t SearchAdded(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                    WordCompare compare);

// Id of an added word of exactly `length` units that compare finds equal; -1 if none.
WordId FindAdded(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare);

// Text and length of the added word with this id; null when no held word has it.
const char16_t* GetAddedWord(const Lexicon* lexicon, WordId id, int32_t* length);

// The entries of exactly `length` units form one run of addedSorted; its first
// index is returned and its size stored in count (0 when there are none).
int32_t FindAddedLengthRun(const Lexicon* lexicon, int32_t length, int32_t* count);

}  // namespace vantir

#endif  // VANTIR_LEXICON_ADDED_LOOKUP_H

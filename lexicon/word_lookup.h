// Exact lookups: the static part's length buckets and the added words (by text
// in lexicon order, by id in id order).
#ifndef VANTIR_LEXICON_WORD_LOOKUP_H
#define VANTIR_LEXICON_WORD_LOOKUP_H

#include <cstdint>

#include "lexicon/lexicon_object.h"
#include "lexicon/word_order.h"

namespace vantir {

// Searches over the static part: one length bucket at a time, each a sorted
// array of fixed-stride words without terminators.

// The words of exactly `length` units: `count` words, `length` units apart from
// `base`, with the ids firstId .. firstId + count - 1.
struct StaticBucket {
    const unsigned char* base;
    int32_t count;
    int32_t firstId;
};

// False (and an empty bucket) when length lies outside 1..staticMaxLength.
bool GetStaticBucket(const Lexicon* lexicon, int32_t length, StaticBucket* bucket);

// Binary search over count words lying stride units apart from base, comparing n
// units with compare(key, word, n). Index of a match, or -1.
int32_t SearchBucket(const void* key, int32_t n, const void* base, int32_t count, int32_t stride,
                     WordCompare compare);

// Id of a static word of exactly `length` units that compare finds equal to key; -1 if none.
WordId FindStatic(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare);

// Units of static word id (0 <= id < staticCount) and its length; null when the
// offset tables do not cover the id.
const unsigned char* LocateStaticWord(const Lexicon* lexicon, WordId id, int32_t* length);

// Searches over the added words: addedSorted in lexicon order for texts, and
// addedEntries in id order for ids.

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

#endif  // VANTIR_LEXICON_WORD_LOOKUP_H

// Word lists: one word per line in a writable text, split in place into
// 0-terminated words, then gathered, sorted into lexicon order and deduplicated.
#ifndef VANTIR_LEXICON_WORD_LIST_H
#define VANTIR_LEXICON_WORD_LIST_H

#include <cstdint>

#include "vantir/mempool.h"

namespace vantir {

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

#endif  // VANTIR_LEXICON_WORD_LIST_H

// Internal steps of adding and removing words at run time: the three buffers,
// the merge of a sorted batch into addedSorted, and marking plus compaction.
#ifndef VANTIR_LEXICON_ADDED_WORDS_H
#define VANTIR_LEXICON_ADDED_WORDS_H

#include <cstdint>

#include "lexicon/lexicon_object.h"

namespace vantir {

// addedChars, addedEntries and addedSorted at their capacities: 0, or -10 with
// none of them left behind.
int32_t AllocAddedBuffers(Lexicon* lexicon);

// Stores the words (unit offsets from `text`, in lexicon order, none held yet)
// until one does not fit, and merges them into addedSorted. Number stored, -4
// without buffers, -10 when the merge array cannot be had (the words stay
// stored and addedSorted is put back in lexicon order).
int32_t MergeAdded(Lexicon* lexicon, const char16_t* text, const int32_t* words, int32_t count);

// Removes the added words named (unit offsets from `text`, any order, repeats
// allowed) and compacts the buffers. Number removed, or -4 without buffers.
int32_t RemoveAdded(Lexicon* lexicon, const char16_t* text, const int32_t* words, int32_t count);

}  // namespace vantir

#endif  // VANTIR_LEXICON_ADDED_WORDS_H

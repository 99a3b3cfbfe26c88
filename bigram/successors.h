// Successor ranking: a word's successors from its row and the extra pair table,
// best first, in the caller's two arrays.
#ifndef VANTIR_BIGRAM_SUCCESSORS_H
#define VANTIR_BIGRAM_SUCCESSORS_H

#include <cstdint>

#include "vantir/types.h"

namespace vantir {

// Enters key with score into the ranked list ids/scores of count entries, after
// every entry scoring at least as high; a listed key only moves up when the new
// score is better. The entry pushed past the end lands at position count.
// Returns 1 for a new key, 0 for a key already listed.
int32_t InsertRanked(WordId* ids, int32_t* scores, int32_t count, WordId key, int32_t score);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_SUCCESSORS_H

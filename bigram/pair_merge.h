// New pairs of one pair-setter call: the row search, their ordering and their
// backwards merge into the spare slots.
#ifndef VANTIR_BIGRAM_PAIR_MERGE_H
#define VANTIR_BIGRAM_PAIR_MERGE_H

#include <cstdint>

#include "vantir/bigram.h"

namespace vantir {

// Index of value in an ascending array of count little-endian i32 values (any
// alignment), or -1. A count of 0 or less finds nothing.
int32_t SearchSortedInts(const void* array, int32_t count, int32_t value);

// New pairs collected by the pair setter, in the front of the caller's arrays.
struct NewPairs {
    WordId* first;
    WordId* second;
    int32_t* scores;  // clamped
};

// Puts the first count entries in ascending pair order and keeps one entry per
// pair, the latest in input order, compacted to the front. Well-ordered input is
// left as it is. Returns the number of distinct pairs. Allocates nothing.
int32_t OrderNewPairs(NewPairs pairs, int32_t count);

// Merges count ascending, distinct pairs that the rows do not list yet into the
// spare slots (count <= sparePairs), working backwards so that every slot is
// written before it is read. Recomputes bigramMean over all listed pairs and
// updates pairCount and sparePairs, in the object and the blob.
void MergeNewPairs(BigramModel* model, NewPairs pairs, int32_t count);

}  // namespace vantir

#endif  // VANTIR_BIGRAM_PAIR_MERGE_H

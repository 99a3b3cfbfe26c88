// Pair tests against the bigram model and the range of word ids that the model
// covers, shared by the grammar, region completion and the intake.
#ifndef VANTIR_ADDRESS_WORD_PAIRS_H
#define VANTIR_ADDRESS_WORD_PAIRS_H

#include <cstdint>

#include "address/tag_codes.h"
#include "vantir/bigram.h"

namespace vantir {

// The pair (first, second): first immediately followed by second.
inline bool PairPasses(const BigramModel* model, WordId first, WordId second) {
    return BigramModel_PairScore(model, first, second) >= kLowestPassingScore;
}

// The stricter test: a score of exactly kLowestPassingScore fails it.
inline bool PairBeatsLowest(const BigramModel* model, WordId first, WordId second) {
    return BigramModel_PairScore(model, first, second) > kLowestPassingScore;
}

// N, the number of word ids from 0 that the model has rows for; its scorers
// take -1 .. N - 1 and nothing else. A model without a blob covers none.
inline int64_t ModelWordLimit(const BigramModel* model) {
    return int64_t{BigramModel_GetStaticCount(model)} + BigramModel_GetAddedCapacity(model);
}

inline bool IsModelWord(int64_t limit, WordId word) {
    return word >= -1 && word < limit;
}

}  // namespace vantir

#endif  // VANTIR_ADDRESS_WORD_PAIRS_H

// The scoring operations that can stand in a model's two slots, and the row
// search they share. None of them checks its arguments: this is the hot path.
#ifndef VANTIR_BIGRAM_SCORERS_H
#define VANTIR_BIGRAM_SCORERS_H

#include <cstdint>

#include "vantir/bigram.h"

namespace vantir {

constexpr int32_t kNoSlot = -1;

using PairScoreFn = int32_t (*)(const BigramModel* model, WordId first, WordId second);

// The pair scorer that BigramModel_SetStrictMode puts in this model's slot (it
// depends on whether the extra pair table is attached), chosen without writing
// to the model: sessions that share a model score strict pairs through it.
PairScoreFn StrictPairScorer(const BigramModel* model);

// Slot of (first, second) in the rows, or kNoSlot: one bisection of first's row.
int32_t FindPairSlot(const BigramModel* model, WordId first, WordId second);

int32_t ScoreUnigramMain(const BigramModel* model, WordId word);
int32_t ScoreUnigramAlt(const BigramModel* model, WordId word);

int32_t ScorePairBackoff(const BigramModel* model, WordId first, WordId second);
int32_t ScorePairStrict(const BigramModel* model, WordId first, WordId second);
int32_t ScorePairBackoffExtra(const BigramModel* model, WordId first, WordId second);
int32_t ScorePairStrictExtra(const BigramModel* model, WordId first, WordId second);

// N, the number of word ids from 0 that the model has rows for; its scorers
// take -1 .. N - 1 and nothing else. A model without a blob covers none.
inline int64_t ModelWordLimit(const BigramModel* model) {
    return int64_t{BigramModel_GetStaticCount(model)} + BigramModel_GetAddedCapacity(model);
}

inline bool IsModelWord(int64_t limit, WordId word) {
    return word >= -1 && word < limit;
}

}  // namespace vantir

#endif  // VANTIR_BIGRAM_SCORERS_H

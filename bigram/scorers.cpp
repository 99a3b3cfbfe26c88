// Unigram and pair scorers for strict and back-off mode, with and without the
// extra pair table. Each is one row bisection plus at most one bucket scan.
#include "bigram/scorers.h"

#include "bigram/extra_pairs.h"
#include "bigram/model_object.h"
#include "bigram/score_codes.h"

namespace vantir {

int32_t FindPairSlot(const BigramModel* model, WordId first, WordId second) {
    int32_t lo = RowStartOf(model, first);
    int32_t hi = RowStartOf(model, static_cast<int64_t>(first) + 1) - 1;
    while (lo <= hi) {
        int32_t mid = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) >> 1);
        int32_t successor = SuccessorAt(model, mid);
        if (successor < second) {
            lo = mid + 1;
        } else if (successor > second) {
            hi = mid - 1;
        } else {
            return mid;
        }
    }
    return kNoSlot;
}

int32_t ScoreUnigramMain(const BigramModel* model, WordId word) {
    return ByteToScore(model->unigramBytes[word]);
}

int32_t ScoreUnigramAlt(const BigramModel* model, WordId word) {
    return ByteToScore(model->altUnigramBytes[word]);
}

int32_t ScorePairBackoff(const BigramModel* model, WordId first, WordId second) {
    int32_t slot = FindPairSlot(model, first, second);
    if (slot != kNoSlot) return ByteToScore(model->bigramBytes[slot]);
    return -(model->backoffBytes[first] + model->unigramBytes[second]);
}

int32_t ScorePairStrict(const BigramModel* model, WordId first, WordId second) {
    int32_t slot = FindPairSlot(model, first, second);
    if (slot != kNoSlot) return ByteToScore(model->bigramBytes[slot]);
    return kNotListedScore;
}

// A row byte of 255 is not usable here either: such a pair backs off through the
// alternative unigram table like an unlisted one.
int32_t ScorePairBackoffExtra(const BigramModel* model, WordId first, WordId second) {
    int32_t extra = LookupExtraPair(model->extraPairTable, first, second);
    if (extra >= kLowestUsableScore) return extra;
    int32_t strict = ScorePairStrict(model, first, second);
    if (strict >= kLowestUsableScore) return strict;
    return -(model->backoffBytes[first] + model->altUnigramBytes[second]);
}

int32_t ScorePairStrictExtra(const BigramModel* model, WordId first, WordId second) {
    int32_t extra = LookupExtraPair(model->extraPairTable, first, second);
    if (extra >= kLowestUsableScore) return extra;
    return ScorePairStrict(model, first, second);
}

}  // namespace vantir

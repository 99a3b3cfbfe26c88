// Unigram and pair scorers for strict and back-off mode, with and without the
// extra pair table, and the exported scoring calls and mode switches on them.
#include "bigram/scorers.h"

#include "bigram/extra_pairs.h"
#include "bigram/model_object.h"
#include "vantir/bigram.h"

namespace vantir {

// Each scorer is one row bisection plus at most one bucket scan.

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

using namespace vantir;

// The exported scoring calls, which go through the model's slots, and the mode
// switches, which decide once which pair scorer stands in the slot.

PairScoreFn vantir::StrictPairScorer(const BigramModel* model) {
    return model->extraPairTable != nullptr ? ScorePairStrictExtra : ScorePairStrict;
}

extern "C" {

int32_t BigramModel_PairScore(const BigramModel* model, WordId first, WordId second) {
    return model->pairScoreFn(model, first, second);
}

int32_t BigramModel_UnigramScore(const BigramModel* model, WordId word) {
    return model->unigramScoreFn(model, word);
}

int32_t BigramModel_IsBelowFloor(const BigramModel* model, WordId word) {
    return model->unigramScoreFn(model, word) < model->unigramFloor ? 1 : 0;
}

void BigramModel_SetBackoffMode(BigramModel* model) {
    if (model == nullptr) return;
    model->mode = kModeBackoff;
    model->pairScoreFn =
        model->extraPairTable != nullptr ? ScorePairBackoffExtra : ScorePairBackoff;
}

void BigramModel_SetStrictMode(BigramModel* model) {
    if (model == nullptr) return;
    model->mode = kModeStrict;
    model->pairScoreFn = StrictPairScorer(model);
}

}  // extern "C"

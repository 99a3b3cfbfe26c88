// The exported scoring calls, which go through the model's slots, and the mode
// switches, which decide once which pair scorer stands in the slot.
#include "bigram/model_object.h"
#include "bigram/scorers.h"
#include "vantir/bigram.h"

using namespace vantir;

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

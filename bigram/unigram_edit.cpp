// Setting unigram scores: clamp, store as negated bytes, widen the unigram
// statistics and mirror them into the blob.
#include "bigram/model_object.h"
#include "bigram/score_codes.h"
#include "vantir/bigram.h"

using namespace vantir;

extern "C" {

int32_t BigramModel_SetUnigramScores(BigramModel* model, const WordId* words, int32_t* scores,
                                     int32_t n) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (model->unigramBytes == nullptr || model->rowStart == nullptr) return VANTIR_WRONG_STATE;
    if (n > 0 && (words == nullptr || scores == nullptr)) return VANTIR_INVALID_ARGUMENT;

    int32_t wordCount = WordCount(model);
    int32_t taken = 0;
    for (int32_t k = 0; k < n; ++k) {
        WordId word = words[k];
        if (word < -1 || word >= wordCount) continue;
        ++taken;
        int32_t score = ClampScore(scores[k]);
        scores[k] = score;
        model->unigramBytes[word] = ScoreToByte(score);
        if (score > model->unigramMax) model->unigramMax = score;
        if (score < model->unigramMin) model->unigramMin = score;
    }
    model->unigramFloor = model->unigramMin;
    model->unigramMid = TruncatedMidpoint(model->unigramMin, model->unigramMax);
    WriteBlobCount(model, kUnigramMaxOffset, model->unigramMax);
    WriteBlobCount(model, kUnigramMinOffset, model->unigramMin);
    WriteBlobCount(model, kUnigramMidOffset, model->unigramMid);
    return taken;
}

}  // extern "C"

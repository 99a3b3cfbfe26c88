// Setting pair scores: listed pairs are updated in place; pairs not listed yet
// are collected, put in order and merged into the spare slots.
#include "bigram/model_object.h"
#include "bigram/score_codes.h"
#include "bigram/score_edit.h"
#include "vantir/bigram.h"

using namespace vantir;

namespace {

bool HasPairArrays(const BigramModel* model) {
    return model->rowStart != nullptr && model->successorIds != nullptr &&
           model->bigramBytes != nullptr;
}

void WidenBigramRange(BigramModel* model, int32_t score) {
    if (score > model->bigramMax) model->bigramMax = score;
    if (score < model->bigramMin) model->bigramMin = score;
}

// Updates the listed pairs among the n entries and moves the others, clamped,
// to the front of the arrays in input order. Returns how many were collected.
int32_t UpdateListedPairs(BigramModel* model, NewPairs pairs, int32_t n, int32_t* updated) {
    int32_t wordCount = WordCount(model);
    int32_t collected = 0;
    for (int32_t k = 0; k < n; ++k) {
        WordId first = pairs.first[k];
        WordId second = pairs.second[k];
        if (first < -1 || first >= wordCount || second < -1 || second >= wordCount) continue;
        int32_t score = ClampScore(pairs.scores[k]);
        pairs.scores[k] = score;
        int32_t rowBegin = RowStartOf(model, first);
        int32_t rowLength = RowStartOf(model, first + 1) - rowBegin;
        int32_t index = SearchSortedInts(model->successorIds + static_cast<int64_t>(rowBegin) * 4,
                                         rowLength, second);
        if (index >= 0) {
            model->bigramBytes[rowBegin + index] = ScoreToByte(score);
            ++*updated;
        } else {
            // collected <= k, so no entry still to be read is overwritten.
            pairs.first[collected] = first;
            pairs.second[collected] = second;
            pairs.scores[collected] = score;
            ++collected;
        }
        WidenBigramRange(model, score);
    }
    return collected;
}

}  // namespace

extern "C" {

int32_t BigramModel_SetBigramScores(BigramModel* model, WordId* first, WordId* second,
                                    int32_t* scores, int32_t n) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (!HasPairArrays(model)) return VANTIR_WRONG_STATE;
    if (n > 0 && (first == nullptr || second == nullptr || scores == nullptr)) {
        return VANTIR_INVALID_ARGUMENT;
    }

    NewPairs pairs{first, second, scores};
    int32_t updated = 0;
    int32_t collected = UpdateListedPairs(model, pairs, n, &updated);
    WriteBlobCount(model, kBigramMaxOffset, model->bigramMax);
    WriteBlobCount(model, kBigramMinOffset, model->bigramMin);
    WriteBlobCount(model, kBigramMeanOffset, model->bigramMean);
    if (collected == 0) return updated;

    // Only the first entries that fit, in input order, are taken; the rest are
    // dropped. Entries naming the same pair share one slot.
    int32_t taken = collected < model->sparePairs ? collected : model->sparePairs;
    int32_t distinct = OrderNewPairs(pairs, taken);
    MergeNewPairs(model, pairs, distinct);
    return updated + taken;
}

}  // extern "C"

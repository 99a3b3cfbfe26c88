// Listing and counting the successors of a word. The ranking keeps its list in
// order as it grows; the last array position takes the entry pushed off the end.
#include "bigram/successors.h"

#include "bigram/extra_pairs.h"
#include "bigram/model_object.h"
#include "vantir/bigram.h"

namespace vantir {

int32_t InsertRanked(WordId* ids, int32_t* scores, int32_t count, WordId key, int32_t score) {
    int32_t end = count;
    int32_t isNew = 1;
    for (int32_t i = 0; i < count; ++i) {
        if (ids[i] != key) continue;
        if (scores[i] >= score) return 0;
        // The entry leaves its place and is inserted again above it.
        end = i;
        isNew = 0;
        break;
    }
    int32_t p = end - 1;
    while (p >= 0 && scores[p] < score) {
        ids[p + 1] = ids[p];
        scores[p + 1] = scores[p];
        --p;
    }
    ids[p + 1] = key;
    scores[p + 1] = score;
    return isNew;
}

}  // namespace vantir

using namespace vantir;

namespace {

int32_t CountSuccessors(const BigramModel* model, WordId word) {
    int32_t count = RowStartOf(model, static_cast<int64_t>(word) + 1) - RowStartOf(model, word);
    if (model->extraPairTable == nullptr) return count;
    for (int32_t e = 0; e < kExtraEntryCount; ++e) {
        if (ReadExtraEntry(model->extraPairTable, e).firstWord == word) ++count;
    }
    return count;
}

// Adds one candidate; the list never counts more than capacity - 1 entries.
int32_t AddCandidate(WordId* ids, int32_t* scores, int32_t count, int32_t capacity, WordId key,
                     int32_t score) {
    int32_t grown = count + InsertRanked(ids, scores, count, key, score);
    return grown < capacity - 1 ? grown : capacity - 1;
}

int32_t RankSuccessors(const BigramModel* model, WordId word, WordId* ids, int32_t* scores,
                       int32_t capacity) {
    int32_t count = 0;
    if (model->extraPairTable != nullptr) {
        // The table is hashed on both words, so every entry must be examined.
        for (int32_t e = 0; e < kExtraEntryCount; ++e) {
            ExtraPairEntry entry = ReadExtraEntry(model->extraPairTable, e);
            if (entry.firstWord != word) continue;
            count = AddCandidate(ids, scores, count, capacity, entry.secondWord, entry.score);
        }
    }
    int32_t rowEnd = RowStartOf(model, static_cast<int64_t>(word) + 1);
    for (int32_t slot = RowStartOf(model, word); slot < rowEnd; ++slot) {
        count = AddCandidate(ids, scores, count, capacity, SuccessorAt(model, slot),
                             ByteToScore(model->bigramBytes[slot]));
    }
    return count;
}

}  // namespace

extern "C" {

int32_t BigramModel_ListSuccessors(const BigramModel* model, WordId word, WordId* ids,
                                   int32_t* scores, int32_t capacity) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    if (model->rowStart == nullptr || model->successorIds == nullptr ||
        model->bigramBytes == nullptr) {
        return VANTIR_WRONG_STATE;
    }
    if (word < -1 || word >= WordCount(model)) return VANTIR_INVALID_ARGUMENT;
    if (ids == nullptr || scores == nullptr) return CountSuccessors(model, word);
    if (capacity < 1) return VANTIR_INVALID_ARGUMENT;
    return RankSuccessors(model, word, ids, scores, capacity);
}

}  // extern "C"

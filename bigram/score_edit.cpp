// Editing a model's scores: unigram scores, pair scores (updated in place or
// merged in as new pairs), and following a lexicon's renumbering.
#include <cstdint>

#include "bigram/model_object.h"
#include "bigram/pair_merge.h"
#include "vantir/bigram.h"

using namespace vantir;

// Setting unigram scores: clamp, store as negated bytes, widen the unigram
// statistics and mirror them into the blob.

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

// Setting pair scores: listed pairs are updated in place; pairs not listed yet
// are collected, put in order and merged into the spare slots.
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

// Following a lexicon's renumbering of its added words: unigram bytes move to
// the new ids, rows of removed words and pairs naming them are dropped.
namespace {

// Marks a word that the renumbering removes; no word id equals it.
constexpr int32_t kRemovedWord = INT32_MIN;

// The only maps a lexicon produces: kept words take consecutive ids from the
// first added id on, in their old order. Any other map would leave rows
// unsorted or move bytes outside the model, so it is refused.
bool IsCompactingMap(const int32_t* map, int32_t n, int32_t firstAddedId) {
    int32_t nextId = firstAddedId;
    for (int32_t i = 0; i < n; ++i) {
        if (map[i] < 0) continue;
        if (map[i] != nextId) return false;
        ++nextId;
    }
    return true;
}

// New id of word, or kRemovedWord for a removed added word and for every id at
// or beyond the end of the map.
int32_t RenumberedId(const BigramModel* model, const int32_t* map, int32_t n, int32_t word) {
    if (word < model->staticCount) return word;
    int32_t index = word - model->staticCount;
    if (index >= n || map[index] < 0) return kRemovedWord;
    return map[index];
}

void MoveUnigramBytes(BigramModel* model, const int32_t* map, int32_t n) {
    // The negation in unsigned arithmetic: an attached blob may hold any value.
    uint8_t vacatedByte = static_cast<uint8_t>(0u - static_cast<uint32_t>(model->addedWordDefault));
    for (int32_t i = 0; i < n; ++i) {
        int32_t oldId = model->staticCount + i;
        uint8_t byte = model->unigramBytes[oldId];
        model->unigramBytes[oldId] = vacatedByte;
        if (map[i] >= 0) model->unigramBytes[map[i]] = byte;
    }
}

// Copies the kept rows down in word order, renaming successors. Writes never
// overtake reads: both the row index and the write slot trail their sources.
int32_t CompactRows(BigramModel* model, const int32_t* map, int32_t n) {
    int32_t lastWord = model->staticCount + n - 1;
    int32_t write = 0;
    int64_t nextRow = -1;
    int32_t read = RowStartOf(model, -1);
    for (int32_t word = -1; word <= lastWord; ++word) {
        int32_t readEnd = RowStartOf(model, static_cast<int64_t>(word) + 1);
        if (RenumberedId(model, map, n, word) != kRemovedWord) {
            SetRowStartOf(model, nextRow++, write);
            for (int32_t slot = read; slot < readEnd; ++slot) {
                int32_t successor = RenumberedId(model, map, n, SuccessorAt(model, slot));
                if (successor == kRemovedWord) continue;
                SetSuccessorAt(model, write, successor);
                model->bigramBytes[write] = model->bigramBytes[slot];
                ++write;
            }
        }
        read = readEnd;
    }
    for (int64_t row = nextRow; row <= WordCount(model); ++row)
        SetRowStartOf(model, row, write);
    return write;
}

void ClearSlotsFrom(BigramModel* model, int32_t firstFree) {
    int32_t capacity = SlotCapacity(model);
    for (int32_t slot = firstFree; slot < capacity; ++slot) {
        SetSuccessorAt(model, slot, 0);
        model->bigramBytes[slot] = 0;
    }
}

}  // namespace

extern "C" {

int32_t BigramModel_RenumberAddedWords(BigramModel* model, const int32_t* map, int32_t n) {
    if (model == nullptr) return VANTIR_NULL_OBJECT;
    // The capacity check comes first: a model without a blob has no added ids.
    if (n > model->addedCapacity) return VANTIR_OVER_CAPACITY;
    if (!HasBlob(model) || model->rowStart == nullptr) return VANTIR_WRONG_STATE;
    if (n < 0 || (n > 0 && map == nullptr)) return VANTIR_INVALID_ARGUMENT;
    if (!IsCompactingMap(map, n, model->staticCount)) return VANTIR_INVALID_ARGUMENT;

    MoveUnigramBytes(model, map, n);
    int32_t used = CompactRows(model, map, n);
    ClearSlotsFrom(model, used);
    int32_t capacity = SlotCapacity(model);
    model->pairCount = used;
    model->sparePairs = capacity - used;
    WriteBlobCount(model, kPairCountOffset, model->pairCount);
    WriteBlobCount(model, kSparePairsOffset, model->sparePairs);
    return VANTIR_OK;
}

}  // extern "C"

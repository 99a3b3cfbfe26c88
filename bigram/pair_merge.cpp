// New pairs of one pair-setter call: the bisection of a row, ordering them by a
// stable in-place merge sort, and merging them backwards into the spare slots.
#include "bigram/pair_merge.h"

#include <algorithm>

#include "bigram/model_object.h"
#include "textutil/byte_order.h"

namespace vantir {

// Bisection in an ascending i32 array stored at any alignment; the pair setter
// uses it on one successor row at a time.

int32_t SearchSortedInts(const void* array, int32_t count, int32_t value) {
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (lo <= hi) {
        int32_t mid = static_cast<int32_t>((static_cast<int64_t>(lo) + hi) >> 1);
        int32_t element = LoadI32At(array, mid);
        if (element > value) {
            hi = mid - 1;
        } else if (element == value) {
            return mid;
        } else {
            lo = mid + 1;
        }
    }
    return -1;
}

// Ordering of the new pairs of one pair-setter call: a stable in-place merge
// sort (rotations, no buffer) followed by removal of repeated pairs.

namespace {

struct PairKey {
    WordId first;
    WordId second;
};

PairKey KeyAt(NewPairs pairs, int32_t i) {
    return PairKey{pairs.first[i], pairs.second[i]};
}

bool KeyLess(PairKey a, PairKey b) {
    return a.first < b.first || (a.first == b.first && a.second < b.second);
}

bool StrictlyAscending(NewPairs pairs, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        if (!KeyLess(KeyAt(pairs, i - 1), KeyAt(pairs, i))) return false;
    }
    return true;
}

void SwapEntries(NewPairs pairs, int32_t i, int32_t j) {
    std::swap(pairs.first[i], pairs.first[j]);
    std::swap(pairs.second[i], pairs.second[j]);
    std::swap(pairs.scores[i], pairs.scores[j]);
}

// Exchanges the blocks [lo, mid) and [mid, hi) in all three arrays.
void RotateEntries(NewPairs pairs, int32_t lo, int32_t mid, int32_t hi) {
    std::rotate(pairs.first + lo, pairs.first + mid, pairs.first + hi);
    std::rotate(pairs.second + lo, pairs.second + mid, pairs.second + hi);
    std::rotate(pairs.scores + lo, pairs.scores + mid, pairs.scores + hi);
}

// First index in [lo, hi) whose key is not less than key.
int32_t LowerBound(NewPairs pairs, int32_t lo, int32_t hi, PairKey key) {
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (KeyLess(KeyAt(pairs, mid), key)) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// First index in [lo, hi) whose key is greater than key.
int32_t UpperBound(NewPairs pairs, int32_t lo, int32_t hi, PairKey key) {
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (KeyLess(key, KeyAt(pairs, mid))) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// Stable merge of the sorted runs [lo, mid) and [mid, hi) without a buffer:
// split the longer run in half, find the matching cut in the other, rotate the
// middle blocks, and merge the two halves. The right half is done by looping,
// the left by recursion, whose depth stays logarithmic.
void MergeRuns(NewPairs pairs, int32_t lo, int32_t mid, int32_t hi) {
    while (lo < mid && mid < hi) {
        int32_t leftLength = mid - lo;
        int32_t rightLength = hi - mid;
        if (leftLength + rightLength == 2) {
            if (KeyLess(KeyAt(pairs, mid), KeyAt(pairs, lo))) SwapEntries(pairs, lo, mid);
            return;
        }
        int32_t leftCut;
        int32_t rightCut;
        if (leftLength > rightLength) {
            leftCut = lo + leftLength / 2;
            rightCut = LowerBound(pairs, mid, hi, KeyAt(pairs, leftCut));
        } else {
            rightCut = mid + rightLength / 2;
            leftCut = UpperBound(pairs, lo, mid, KeyAt(pairs, rightCut));
        }
        RotateEntries(pairs, leftCut, mid, rightCut);
        int32_t newMid = leftCut + (rightCut - mid);
        MergeRuns(pairs, lo, leftCut, newMid);
        lo = newMid;
        mid = rightCut;
    }
}

void StableSortPairs(NewPairs pairs, int32_t count) {
    for (int64_t width = 1; width < count; width *= 2) {
        for (int64_t lo = 0; lo + width < count; lo += 2 * width) {
            int64_t hi = std::min<int64_t>(lo + 2 * width, count);
            MergeRuns(pairs, static_cast<int32_t>(lo), static_cast<int32_t>(lo + width),
                      static_cast<int32_t>(hi));
        }
    }
}

// Of each run of equal pairs, the last entry (the latest in input order, the
// sort being stable) is kept.
int32_t KeepLatestOfEachPair(NewPairs pairs, int32_t count) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        bool repeatedLater = i + 1 < count && !KeyLess(KeyAt(pairs, i), KeyAt(pairs, i + 1));
        if (repeatedLater) continue;
        pairs.first[kept] = pairs.first[i];
        pairs.second[kept] = pairs.second[i];
        pairs.scores[kept] = pairs.scores[i];
        ++kept;
    }
    return kept;
}

}  // namespace

int32_t OrderNewPairs(NewPairs pairs, int32_t count) {
    if (StrictlyAscending(pairs, count)) return count;
    StableSortPairs(pairs, count);
    return KeepLatestOfEachPair(pairs, count);
}

// Backwards merge of new pairs into the successor rows. Slots are filled from
// the top of the grown range downwards, so no old slot is overwritten unread.

namespace {

struct MergeCursor {
    int32_t write;    // next slot to write
    int32_t oldRead;  // next old slot to read
    int32_t newRead;  // next new pair to read
    int64_t scoreSum;
};

void WriteNewPair(BigramModel* model, NewPairs pairs, MergeCursor* cursor) {
    int32_t score = pairs.scores[cursor->newRead];
    SetSuccessorAt(model, cursor->write, pairs.second[cursor->newRead]);
    model->bigramBytes[cursor->write] = ScoreToByte(score);
    cursor->scoreSum += score;
    --cursor->newRead;
    --cursor->write;
}

void MoveOldSlot(BigramModel* model, MergeCursor* cursor) {
    uint8_t byte = model->bigramBytes[cursor->oldRead];
    SetSuccessorAt(model, cursor->write, SuccessorAt(model, cursor->oldRead));
    model->bigramBytes[cursor->write] = byte;
    cursor->scoreSum += ByteToScore(byte);
    --cursor->oldRead;
    --cursor->write;
}

bool NextNewPairInRow(NewPairs pairs, const MergeCursor& cursor, int32_t word) {
    return cursor.newRead >= 0 && pairs.first[cursor.newRead] == word;
}

// Rebuilds the row of word from its top end: the larger of the next old
// successor and the next new one goes first.
void MergeRow(BigramModel* model, NewPairs pairs, MergeCursor* cursor, int32_t word) {
    int32_t oldRowBegin = RowStartOf(model, word);
    while (cursor->oldRead >= oldRowBegin) {
        if (NextNewPairInRow(pairs, *cursor, word) &&
            SuccessorAt(model, cursor->oldRead) < pairs.second[cursor->newRead]) {
            WriteNewPair(model, pairs, cursor);
        } else {
            MoveOldSlot(model, cursor);
        }
    }
    while (NextNewPairInRow(pairs, *cursor, word))
        WriteNewPair(model, pairs, cursor);
    SetRowStartOf(model, word, cursor->write + 1);
}

}  // namespace

void MergeNewPairs(BigramModel* model, NewPairs pairs, int32_t count) {
    int32_t wordCount = WordCount(model);
    int32_t total = model->pairCount + count;
    SetRowStartOf(model, wordCount, total);
    MergeCursor cursor{total - 1, model->pairCount - 1, count - 1, 0};
    for (int32_t word = wordCount - 1; word >= -1; --word)
        MergeRow(model, pairs, &cursor, word);

    if (total > 0) model->bigramMean = static_cast<int32_t>(cursor.scoreSum / total);
    model->pairCount = total;
    model->sparePairs -= count;
    WriteBlobCount(model, kPairCountOffset, model->pairCount);
    WriteBlobCount(model, kSparePairsOffset, model->sparePairs);
    WriteBlobCount(model, kBigramMeanOffset, model->bigramMean);
}

}  // namespace vantir

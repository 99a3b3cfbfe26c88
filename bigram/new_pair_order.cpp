// Ordering of the new pairs of one pair-setter call: a stable in-place merge
// sort (rotations, no buffer) followed by removal of repeated pairs.
#include <algorithm>

#include "bigram/score_edit.h"

namespace vantir {

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

}  // namespace vantir

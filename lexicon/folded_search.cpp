// Case-insensitive matches of a key among sorted words of one length, found by
// narrowing unit by unit, and the prefix listing (Lexicon_ListPrefix) on them.
#include "lexicon/folded_search.h"

#include "lexicon/lexicon_object.h"
#include "lexicon/word_lookup.h"
#include "lexicon/word_order.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

// Finds all case-insensitive matches of a key among sorted words of one length by
// narrowing unit by unit, taking both cases of a letter where both occur.

namespace {

// Ranges this short are checked word by word instead of narrowed further.
constexpr int32_t kScanRangeSize = 8;
// Case branches nest at most this deep; a deeper range is checked word by word,
// which keeps the stack small whatever the key.
constexpr int32_t kMaxBranchDepth = 24;
// Distance between an upper-case ASCII letter and its lower-case form.
constexpr int32_t kCaseDistance = 'a' - 'A';

uint32_t RunUnit(const WordRun& run, int32_t word, int32_t unit) {
    if (run.staticBase != nullptr) {
        return LoadUnitAt(run.staticBase, int64_t{word} * run.length + unit);
    }
    const Lexicon* lexicon = run.lexicon;
    return EntryText(lexicon, lexicon->addedEntries[run.sorted[word]])[unit];
}

// First index in [lo, hi) whose unit at `position` has an order key above `key`
// (strictly when `after`, else at or above).
int32_t UnitBound(const WordRun& run, int32_t position, int32_t lo, int32_t hi, uint32_t key,
                  bool after) {
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const uint32_t midKey = UnitOrderKey(RunUnit(run, mid, position));
        if (midKey < key || (after && midKey == key)) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

bool TailMatches(const WordRun& run, const void* key, int32_t n, int32_t from, int32_t word) {
    for (int32_t i = from; i < n; i++) {
        if (ToUpperAscii(RunUnit(run, word, i)) != ToUpperAscii(LoadUnitAt(key, i))) return false;
    }
    return true;
}

// Word-by-word check of a range whose words already match the key before `from`.
bool ScanRange(const WordRun& run, const void* key, int32_t n, int32_t from, int32_t lo, int32_t hi,
               MatchVisitor visit, void* context) {
    int32_t word = lo;
    while (word < hi) {
        if (!TailMatches(run, key, n, from, word)) {
            word++;
            continue;
        }
        int32_t end = word + 1;
        while (end < hi && TailMatches(run, key, n, from, end))
            end++;
        if (!visit(context, word, end)) return false;
        word = end;
    }
    return true;
}

// [lo, hi) holds the words that equal the key exactly-as-chosen before `position`;
// they are sorted by the order key of their unit at `position`.
bool Narrow(const WordRun& run, const void* key, int32_t n, int32_t position, int32_t lo,
            int32_t hi, int32_t depth, MatchVisitor visit, void* context) {
    while (position < n) {
        if (hi - lo <= kScanRangeSize || depth >= kMaxBranchDepth) {
            return ScanRange(run, key, n, position, lo, hi, visit, context);
        }
        const uint32_t unit = LoadUnitAt(key, position);
        const uint32_t folded = static_cast<uint32_t>(ToUpperAscii(static_cast<int32_t>(unit)));
        const bool letter = folded >= 'A' && folded <= 'Z';
        if (!letter) {
            const int32_t first = UnitBound(run, position, lo, hi, UnitOrderKey(unit), false);
            hi = UnitBound(run, position, first, hi, UnitOrderKey(unit), true);
            lo = first;
        } else {
            // Upper case sorts right before lower case; nothing else folds to them.
            const uint32_t lower = folded + kCaseDistance;
            const int32_t upperFirst =
                UnitBound(run, position, lo, hi, UnitOrderKey(folded), false);
            const int32_t lowerFirst =
                UnitBound(run, position, upperFirst, hi, UnitOrderKey(folded), true);
            const int32_t lowerEnd =
                UnitBound(run, position, lowerFirst, hi, UnitOrderKey(lower), true);
            if (upperFirst < lowerFirst && lowerFirst < lowerEnd) {
                if (!Narrow(run, key, n, position + 1, upperFirst, lowerFirst, depth + 1, visit,
                            context)) {
                    return false;
                }
                depth++;
                lo = lowerFirst;
            } else {
                lo = upperFirst;
            }
            hi = lowerEnd;
        }
        if (lo >= hi) return true;
        position++;
    }
    return visit(context, lo, hi);
}

bool KeepFirstMatch(void* context, int32_t first, int32_t /*end*/) {
    *static_cast<int32_t*>(context) = first;
    return false;
}

int32_t FirstFoldedMatch(const WordRun& run, const void* key) {
    int32_t found = -1;
    if (run.count > 0) VisitFoldedMatches(run, key, run.length, KeepFirstMatch, &found);
    return found;
}

}  // namespace

WordRun StaticWordRun(const Lexicon* lexicon, int32_t length) {
    StaticBucket bucket;
    GetStaticBucket(lexicon, length, &bucket);
    return WordRun{lexicon, bucket.base, nullptr, bucket.count, length};
}

WordRun AddedWordRun(const Lexicon* lexicon, int32_t length) {
    WordRun run{lexicon, nullptr, nullptr, 0, length};
    if (length <= 0 || length > lexicon->addedMaxLength) return run;
    const int32_t first = FindAddedLengthRun(lexicon, length, &run.count);
    run.sorted = lexicon->addedSorted + first;
    return run;
}

bool VisitFoldedMatches(const WordRun& run, const void* key, int32_t n, MatchVisitor visit,
                        void* context) {
    if (n <= 0 || n > run.length || run.count <= 0) return true;
    return Narrow(run, key, n, 0, 0, run.count, 0, visit, context);
}

WordId FindStaticFolded(const Lexicon* lexicon, const void* key, int32_t length) {
    const WordId id = FindStatic(lexicon, key, length, CompareWordFolded);
    if (id >= 0) return id;
    const WordRun run = StaticWordRun(lexicon, length);
    const int32_t k = FirstFoldedMatch(run, key);
    return k < 0 ? -1 : StaticIdOffset(lexicon, length - 1) + k;
}

WordId FindAddedFolded(const Lexicon* lexicon, const void* key, int32_t length) {
    const WordId id = FindAdded(lexicon, key, length, CompareWordFolded);
    if (id >= 0) return id;
    const WordRun run = AddedWordRun(lexicon, length);
    const int32_t k = FirstFoldedMatch(run, key);
    return k < 0 ? -1 : lexicon->addedEntries[run.sorted[k]].id;
}

// Prefix listing: ids of the words whose first n units match a key up to ASCII
// case, static words first by length, then added words by length.

namespace {

// Where the matches of one run go: into out (at most room ids) or, with a null
// out, only counted.
struct ListTarget {
    const WordRun* run;
    WordId* out;
    int32_t room;
    int32_t listed;
    WordId firstId;  // static runs: id of the run's first word
};

WordId RunWordId(const ListTarget& target, int32_t word) {
    const WordRun& run = *target.run;
    if (run.staticBase != nullptr) return target.firstId + word;
    return run.lexicon->addedEntries[run.sorted[word]].id;
}

bool ListMatches(void* context, int32_t first, int32_t end) {
    ListTarget& target = *static_cast<ListTarget*>(context);
    if (target.out == nullptr) {
        target.listed += end - first;
        return true;
    }
    for (int32_t word = first; word < end && target.listed < target.room; word++) {
        target.out[target.listed++] = RunWordId(target, word);
    }
    return target.listed < target.room;
}

int32_t ListRun(const WordRun& run, const void* key, int32_t n, WordId firstId, WordId* out,
                int32_t room) {
    ListTarget target{&run, out, room, 0, firstId};
    VisitFoldedMatches(run, key, n, ListMatches, &target);
    return target.listed;
}

}  // namespace

int32_t ListBucketRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                        WordId* out, int32_t room) {
    if (n <= 0 || length <= 0 || length > lexicon->staticMaxLength || n > length) return 0;
    const WordRun run = StaticWordRun(lexicon, length);
    return ListRun(run, key, n, StaticIdOffset(lexicon, length - 1), out, room);
}

int32_t ListAddedRange(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                       WordId* out, int32_t room) {
    if (n <= 0 || length <= 0 || length > lexicon->addedMaxLength || n > length) return 0;
    const WordRun run = AddedWordRun(lexicon, length);
    return ListRun(run, key, n, 0, out, room);
}

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Lexicon_ListPrefix(const Lexicon* lexicon, const char16_t* key, WordId* ids,
                           int32_t maxIds) {
    return Lexicon_ListPrefixN(lexicon, key, WStrLen(key), ids, maxIds);
}

int32_t Lexicon_ListPrefixN(const Lexicon* lexicon, const char16_t* key, int32_t n, WordId* ids,
                            int32_t maxIds) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (key == nullptr || n <= 0 || maxIds <= 0) return 0;
    // Without an array each bucket adds its whole count, so the sum may pass
    // maxIds; it is kept wide and capped at the end.
    int64_t total = 0;
    for (int32_t L = n; L <= lexicon->staticMaxLength && total < maxIds; L++) {
        WordId* out = ids == nullptr ? nullptr : ids + total;
        total += ListBucketRange(lexicon, key, n, L, out, maxIds - static_cast<int32_t>(total));
    }
    for (int32_t L = n; L <= lexicon->addedMaxLength && total < maxIds; L++) {
        WordId* out = ids == nullptr ? nullptr : ids + total;
        total += ListAddedRange(lexicon, key, n, L, out, maxIds - static_cast<int32_t>(total));
    }
    return total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
}

}  // extern "C"

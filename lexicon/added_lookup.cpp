// Added-word lookups: a binary search over addedSorted narrowed by length first,
// and a binary search over the id-ordered entries.
#include "lexicon/added_lookup.h"

#include "vantir/textutil.h"

namespace vantir {

namespace {

int32_t SortedLength(const Lexicon* lexicon, int32_t k) {
    return WStrLen(EntryText(lexicon, SortedEntry(lexicon, k)));
}

// First index of addedSorted whose entry is at least `length` units long.
int32_t FirstOfLength(const Lexicon* lexicon, int32_t length) {
    int32_t lo = 0;
    int32_t hi = lexicon->addedCount;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (SortedLength(lexicon, mid) < length) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

}  // namespace

int32_t SearchAdded(const Lexicon* lexicon, const void* key, int32_t n, int32_t length,
                    WordCompare compare) {
    if (n <= 0 || length <= 0 || length > lexicon->addedMaxLength || n > length) return -1;
    int32_t lo = 0;
    int32_t hi = lexicon->addedCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const char16_t* text = EntryText(lexicon, SortedEntry(lexicon, mid));
        const int32_t entryLength = WStrLen(text);
        if (entryLength > length) {
            hi = mid - 1;
        } else if (entryLength < length) {
            lo = mid + 1;
        } else {
            const int32_t r = compare(text, key, n);
            if (r == 0) return mid;
            if (r > 0) {
                hi = mid - 1;
            } else {
                lo = mid + 1;
            }
        }
    }
    return -1;
}

WordId FindAdded(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare) {
    const int32_t k = SearchAdded(lexicon, key, length, length, compare);
    return k < 0 ? -1 : SortedEntry(lexicon, k).id;
}

const char16_t* GetAddedWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    int32_t lo = 0;
    int32_t hi = lexicon->addedCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const AddedEntry& entry = lexicon->addedEntries[mid];
        if (entry.id == id) {
            const char16_t* text = EntryText(lexicon, entry);
            if (length != nullptr) *length = WStrLen(text);
            return text;
        }
        if (entry.id > id) {
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return nullptr;
}

int32_t FindAddedLengthRun(const Lexicon* lexicon, int32_t length, int32_t* count) {
    const int32_t first = FirstOfLength(lexicon, length);
    *count = FirstOfLength(lexicon, length + 1) - first;
    return first;
}

}  // namespace vantir

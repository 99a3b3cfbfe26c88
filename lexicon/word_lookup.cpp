// Exact lookups over static buckets and added words, and the exported text to id
// (exact before case-insensitive, static before added) and id to text calls.
#include "lexicon/word_lookup.h"

#include <cstring>

#include "lexicon/blob_layout.h"
#include "lexicon/folded_search.h"
#include "lexicon/lexicon_object.h"
#include "lexicon/lookup_index.h"
#include "lexicon/word_order.h"
#include "textutil/text_units.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

// Static-part lookups: bucket bounds from the offset tables, binary search in a
// bucket, and the place of a word computed from its id.

bool GetStaticBucket(const Lexicon* lexicon, int32_t length, StaticBucket* bucket) {
    *bucket = StaticBucket{nullptr, 0, 0};
    if (length <= 0 || length > lexicon->staticMaxLength) return false;
    const int32_t firstId = StaticIdOffset(lexicon, length - 1);
    const int32_t endId = StaticIdOffset(lexicon, length);
    bucket->base = lexicon->staticChars + kWpbUnitBytes * StaticCharOffset(lexicon, length - 1);
    bucket->count = endId > firstId ? endId - firstId : 0;
    bucket->firstId = firstId;
    return true;
}

namespace {

// Up to this many length buckets, the bucket of an id is found by visiting all
// of them without a branch; which one holds a random id is unpredictable.
constexpr int32_t kFullScanLengths = 16;

// The smallest L in 1..staticMaxLength with id < idOffsets[L], or 0 if none.
int32_t StaticLengthOf(const Lexicon* lexicon, WordId id) {
    const int32_t maxLength = lexicon->staticMaxLength;
    if (maxLength <= kFullScanLengths) {
        int32_t found = 0;
        for (int32_t L = maxLength; L >= 1; L--)
            found = id < StaticIdOffset(lexicon, L) ? L : found;
        return found;
    }
    for (int32_t L = 1; L <= maxLength; L++) {
        if (id < StaticIdOffset(lexicon, L)) return L;
    }
    return 0;
}

template <typename Compare>
int32_t SearchWords(const void* key, int32_t n, const unsigned char* words, int32_t count,
                    int32_t stride, Compare compare) {
    int32_t lo = 0;
    int32_t hi = count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        const int32_t r = compare(key, words + kWpbUnitBytes * mid * int64_t{stride}, n);
        if (r == 0) return mid;
        // Selects rather than branches: which half follows is a coin toss that
        // a branch predictor gets wrong half of the time.
        const int32_t keyAbove = -static_cast<int32_t>(r > 0);  // all ones or zero
        lo = ((mid + 1) & keyAbove) | (lo & ~keyAbove);
        hi = (hi & keyAbove) | ((mid - 1) & ~keyAbove);
    }
    return -1;
}

}  // namespace

int32_t SearchBucket(const void* key, int32_t n, const void* base, int32_t count, int32_t stride,
                     WordCompare compare) {
    const unsigned char* words = static_cast<const unsigned char*>(base);
    // The lexicon's own two comparisons are inlined into the search loop, which
    // is every look-up's hot path; any other comparison goes through its pointer.
    if (compare == CompareWordExact) {
        return SearchWords(key, n, words, count, stride,
                           [](const void* a, const void* b, int32_t units) {
                               return CompareWordExactInline(a, b, units);
                           });
    }
    if (compare == CompareWordFolded) {
        return SearchWords(key, n, words, count, stride,
                           [](const void* a, const void* b, int32_t units) {
                               return CompareWordFoldedInline(a, b, units);
                           });
    }
    return SearchWords(key, n, words, count, stride, compare);
}

WordId FindStatic(const Lexicon* lexicon, const void* key, int32_t length, WordCompare compare) {
    StaticBucket bucket;
    if (!GetStaticBucket(lexicon, length, &bucket)) return -1;
    const int32_t k = SearchBucket(key, length, bucket.base, bucket.count, length, compare);
    return k < 0 ? -1 : bucket.firstId + k;
}

const unsigned char* LocateStaticWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    // At most staticMaxLength steps; the place then follows by one multiplication.
    const int32_t L = StaticLengthOf(lexicon, id);
    if (L == 0) return nullptr;
    const int64_t k = int64_t{id} - StaticIdOffset(lexicon, L - 1);
    if (k < 0) return nullptr;
    if (length != nullptr) *length = L;
    return lexicon->staticChars + kWpbUnitBytes * (StaticCharOffset(lexicon, L - 1) + k * L);
}

// Added-word lookups: a binary search over addedSorted narrowed by length first,
// and a binary search over the id-ordered entries.

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

// Text to id (exact before case-insensitive, static before added) and id to
// text. Lookups only read the lexicon and never allocate.
namespace {

// A case-insensitive match differs from the text only in the case of ASCII
// letters, so a text without letters has no match beyond an exact one.
bool HasAsciiLetter(const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; i++) {
        if (vantir::UpperAsciiValue(text[i]) != vantir::LowerAsciiValue(text[i])) return true;
    }
    return false;
}

}  // namespace

using namespace vantir;

extern "C" {

WordId Lexicon_FindId(const Lexicon* lexicon, const char16_t* text) {
    return Lexicon_FindIdN(lexicon, text, WStrLen(text));
}

WordId Lexicon_FindIdN(const Lexicon* lexicon, const char16_t* text, int32_t n) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (text == nullptr || n <= 0) return VANTIR_NOT_FOUND;
    if (lexicon->lookupIndex != nullptr) return FindIdThroughIndex(lexicon, text, n);
    WordId id = FindStatic(lexicon, text, n, CompareWordExact);
    if (id >= 0) return id;
    id = FindAdded(lexicon, text, n, CompareWordExact);
    if (id >= 0) return id;
    if (!HasAsciiLetter(text, n)) return VANTIR_NOT_FOUND;
    id = FindStaticFolded(lexicon, text, n);
    if (id >= 0) return id;
    return FindAddedFolded(lexicon, text, n);
}

const char16_t* Lexicon_GetWord(const Lexicon* lexicon, WordId id, int32_t* length) {
    if (length != nullptr) *length = 0;
    if (lexicon == nullptr || id < 0) return nullptr;
    if (id < lexicon->staticCount) {
        // Static units sit 2-byte aligned whenever the blob does; a blob built
        // here, or attached at the 4-byte aligned address its format asks for, is.
        return reinterpret_cast<const char16_t*>(LocateStaticWord(lexicon, id, length));
    }
    if (id >= lexicon->nextId) return nullptr;
    return GetAddedWord(lexicon, id, length);
}

int32_t Lexicon_GetWordText(const Lexicon* lexicon, WordId id, char16_t* buffer) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    int32_t length = 0;
    const char16_t* word = Lexicon_GetWord(lexicon, id, &length);
    if (buffer != nullptr) {
        // Stored words hold no 0 unit, so a byte copy of `length` units is the
        // bounded string copy; it also reads a blob attached at an odd address.
        if (word != nullptr)
            std::memcpy(buffer, word, static_cast<size_t>(length) * sizeof(char16_t));
        buffer[length] = 0;
    }
    return length;
}

}  // extern "C"

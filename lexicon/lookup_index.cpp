// The optional look-up index: its two tables (static words by id, added words by
// entry), how they are built and kept, and text to id through them.
#include "lexicon/lookup_index.h"

#include <cstring>

#include "lexicon/blob_layout.h"
#include "lexicon/folded_search.h"
#include "lexicon/word_lookup.h"
#include "lexicon/word_order.h"
#include "mempool/object_memory.h"
#include "textutil/byte_order.h"
#include "textutil/text_units.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

// Slot bits: item + 1 (0 marks an empty slot), the flag of the word that a
// case-insensitive look-up of its folded text answers, and 7 bits of the hash
// that spare most comparisons with words that only share the slot.
constexpr uint32_t kItemMask = 0x00FFFFFFu;
constexpr uint32_t kFoldedAnswer = 0x01000000u;
constexpr uint32_t kTagMask = 0xFE000000u;

// The block: two counts, then the static table, then the added table.
constexpr int64_t kHeaderWords = 2;

struct Tables {
    uint32_t staticSlots;
    uint32_t addedSlots;
    uint32_t* staticTable;
    uint32_t* addedTable;
};

Tables TablesOf(uint32_t* block) {
    return Tables{block[0], block[1], block + kHeaderWords, block + kHeaderWords + block[0]};
}

int64_t SlotsFor(int64_t words) {
    return words * kIndexSlotsPerWordNumerator / kIndexSlotsPerWordDenominator + 1;
}

// Hash of the text with ASCII letters folded to upper case, so that every case
// variant of a word lands in the same chain.
constexpr uint64_t kHashSeed = 0x243F6A8885A308D3u;
constexpr uint64_t kHashFactor = 0x9E3779B97F4A7C15u;

inline uint64_t HashFolded(const void* text, int32_t n) {
    uint64_t hash = kHashSeed;
    for (int32_t i = 0; i < n; ++i)
        hash = (hash + static_cast<uint32_t>(UpperAsciiValue(LoadUnitAt(text, i)))) * kHashFactor;
    // The last multiplication has spread every unit into the high half, which
    // picks the slot; no finishing step, which would lengthen every look-up.
    return hash;
}

// The home slot comes from the high half of the hash, the tag from bits 25..31,
// which the multiplications fill from every unit as well.
inline uint32_t HomeSlot(uint64_t hash, uint32_t slots) {
    return static_cast<uint32_t>(((hash >> 32) * slots) >> 32);
}

inline uint32_t TagOf(uint64_t hash) {
    return static_cast<uint32_t>(hash) & kTagMask;
}

inline uint32_t NextSlot(uint32_t slot, uint32_t slots) {
    return slot + 1 == slots ? 0 : slot + 1;
}

void Insert(uint32_t* table, uint32_t slots, uint64_t hash, uint32_t item) {
    uint32_t slot = HomeSlot(hash, slots);
    while (table[slot] != 0)
        slot = NextSlot(slot, slots);
    table[slot] = TagOf(hash) | (item + 1);
}

bool HasAsciiLetter(const void* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const int32_t unit = LoadUnitAt(text, i);
        if (UpperAsciiValue(unit) != LowerAsciiValue(unit)) return true;
    }
    return false;
}

// Static units read byte-safely: a blob may be attached at any address. Words
// are a few units long, where a loop beats a call to memcmp.
bool StaticIs(const void* word, const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (LoadUnitAt(word, i) != text[i]) return false;
    }
    return true;
}

bool FoldedEqual(const void* word, const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (UpperAsciiValue(LoadUnitAt(word, i)) != UpperAsciiValue(text[i])) return false;
    }
    return true;
}

// An added word's text against n units: the same units, then its 0 unit.
bool AddedIs(const char16_t* word, const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (word[i] != text[i] || word[i] == 0) return false;
    }
    return word[n] == 0;
}

bool AddedFoldsTo(const char16_t* word, const char16_t* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (word[i] == 0 || UpperAsciiValue(word[i]) != UpperAsciiValue(text[i])) return false;
    }
    return word[n] == 0;
}

// The binary searches find every word only in strictly ascending buckets; the
// index would find words there that they miss.
bool StaticBucketsAreOrdered(const Lexicon* lexicon) {
    for (int32_t length = 1; length <= lexicon->staticMaxLength; ++length) {
        StaticBucket bucket;
        GetStaticBucket(lexicon, length, &bucket);
        const int64_t stride = int64_t{length} * kWpbUnitBytes;
        for (int32_t k = 1; k < bucket.count; ++k) {
            const unsigned char* word = bucket.base + k * stride;
            if (CompareWordExactInline(word - stride, word, length) >= 0) return false;
        }
    }
    return true;
}

// Enters every static word, then flags, for each folded text of a word with
// ASCII letters, the word that the case-insensitive search gives for it. That
// search depends only on the folded text, so a word may stand for its own.
void FillStaticTable(const Lexicon* lexicon, const Tables& tables) {
    for (int32_t length = 1; length <= lexicon->staticMaxLength; ++length) {
        StaticBucket bucket;
        GetStaticBucket(lexicon, length, &bucket);
        for (int32_t k = 0; k < bucket.count; ++k) {
            const unsigned char* word = bucket.base + int64_t{k} * length * kWpbUnitBytes;
            Insert(tables.staticTable, tables.staticSlots, HashFolded(word, length),
                   static_cast<uint32_t>(bucket.firstId + k));
        }
    }
    for (int32_t length = 1; length <= lexicon->staticMaxLength; ++length) {
        StaticBucket bucket;
        GetStaticBucket(lexicon, length, &bucket);
        for (int32_t k = 0; k < bucket.count; ++k) {
            const unsigned char* word = bucket.base + int64_t{k} * length * kWpbUnitBytes;
            if (!HasAsciiLetter(word, length)) continue;
            const WordId answer = FindStaticFolded(lexicon, word, length);
            if (answer < 0) continue;
            const uint64_t hash = HashFolded(word, length);
            for (uint32_t slot = HomeSlot(hash, tables.staticSlots); tables.staticTable[slot] != 0;
                 slot = NextSlot(slot, tables.staticSlots)) {
                if ((tables.staticTable[slot] & kItemMask) == static_cast<uint32_t>(answer) + 1) {
                    tables.staticTable[slot] |= kFoldedAnswer;
                    break;
                }
            }
        }
    }
}

void FillAddedTable(const Lexicon* lexicon, const Tables& tables) {
    std::memset(tables.addedTable, 0, sizeof(uint32_t) * tables.addedSlots);
    for (int32_t e = 0; e < lexicon->addedCount; ++e) {
        const char16_t* text = EntryText(lexicon, lexicon->addedEntries[e]);
        Insert(tables.addedTable, tables.addedSlots, HashFolded(text, WStrLen(text)),
               static_cast<uint32_t>(e));
    }
    // A folded text that some static word has is answered by the static part.
    for (int32_t e = 0; e < lexicon->addedCount; ++e) {
        const char16_t* text = EntryText(lexicon, lexicon->addedEntries[e]);
        const int32_t length = WStrLen(text);
        if (!HasAsciiLetter(text, length) || FindStaticFolded(lexicon, text, length) >= 0) {
            continue;
        }
        const WordId answer = FindAddedFolded(lexicon, text, length);
        if (answer < 0) continue;
        const uint64_t hash = HashFolded(text, length);
        for (uint32_t slot = HomeSlot(hash, tables.addedSlots); tables.addedTable[slot] != 0;
             slot = NextSlot(slot, tables.addedSlots)) {
            const uint32_t item = (tables.addedTable[slot] & kItemMask) - 1;
            if (lexicon->addedEntries[item].id == answer) {
                tables.addedTable[slot] |= kFoldedAnswer;
                break;
            }
        }
    }
}

}  // namespace

int64_t LookupIndexBytes(int64_t staticWords, int64_t addedCapacity) {
    if (staticWords < 0 || addedCapacity < 0 || staticWords > kMaxIndexedItems ||
        addedCapacity > kMaxIndexedItems) {
        return -1;
    }
    return static_cast<int64_t>(sizeof(uint32_t)) *
           (kHeaderWords + SlotsFor(staticWords) + SlotsFor(addedCapacity));
}

int32_t BuildLookupIndex(Lexicon* lexicon) {
    const int64_t bytes = LookupIndexBytes(lexicon->staticCount, lexicon->addedCapacity);
    if (bytes < 0) return VANTIR_OVER_CAPACITY;
    if (!StaticBucketsAreOrdered(lexicon)) return VANTIR_BAD_BLOB;
    auto* block = static_cast<uint32_t*>(ObjectAlloc(lexicon->pool, static_cast<size_t>(bytes)));
    if (block == nullptr) return VANTIR_OUT_OF_MEMORY;
    std::memset(block, 0, static_cast<size_t>(bytes));
    block[0] = static_cast<uint32_t>(SlotsFor(lexicon->staticCount));
    block[1] = static_cast<uint32_t>(SlotsFor(lexicon->addedCapacity));
    const Tables tables = TablesOf(block);
    FillStaticTable(lexicon, tables);
    FillAddedTable(lexicon, tables);
    DropLookupIndex(lexicon);
    lexicon->lookupIndex = block;
    return VANTIR_OK;
}

void DropLookupIndex(Lexicon* lexicon) {
    ObjectFree(lexicon->pool, lexicon->lookupIndex);
    lexicon->lookupIndex = nullptr;
}

void RefreshAddedIndex(Lexicon* lexicon) {
    if (lexicon->lookupIndex != nullptr) FillAddedTable(lexicon, TablesOf(lexicon->lookupIndex));
}

// Exact static, exact added, folded static, folded added: the order of the
// searches, with the folded answers read off the flags met on the way.
WordId FindIdThroughIndex(const Lexicon* lexicon, const char16_t* text, int32_t n) {
    const Tables tables = TablesOf(lexicon->lookupIndex);
    const uint64_t hash = HashFolded(text, n);
    const uint32_t tag = TagOf(hash);
    WordId foldedStatic = -1;
    StaticBucket bucket;
    if (GetStaticBucket(lexicon, n, &bucket)) {
        const uint32_t* table = tables.staticTable;
        for (uint32_t slot = HomeSlot(hash, tables.staticSlots); table[slot] != 0;
             slot = NextSlot(slot, tables.staticSlots)) {
            if ((table[slot] & kTagMask) != tag) continue;
            const uint32_t k =
                (table[slot] & kItemMask) - 1 - static_cast<uint32_t>(bucket.firstId);
            if (k >= static_cast<uint32_t>(bucket.count)) continue;  // another length
            const unsigned char* word = bucket.base + int64_t{k} * n * kWpbUnitBytes;
            if (StaticIs(word, text, n)) {
                return bucket.firstId + static_cast<WordId>(k);
            }
            if ((table[slot] & kFoldedAnswer) != 0 && FoldedEqual(word, text, n)) {
                foldedStatic = bucket.firstId + static_cast<WordId>(k);
            }
        }
    }
    WordId foldedAdded = -1;
    if (lexicon->addedCount > 0 && n <= lexicon->addedMaxLength) {
        const uint32_t* table = tables.addedTable;
        for (uint32_t slot = HomeSlot(hash, tables.addedSlots); table[slot] != 0;
             slot = NextSlot(slot, tables.addedSlots)) {
            if ((table[slot] & kTagMask) != tag) continue;
            const AddedEntry& entry = lexicon->addedEntries[(table[slot] & kItemMask) - 1];
            const char16_t* word = EntryText(lexicon, entry);
            if (AddedIs(word, text, n)) return entry.id;
            if ((table[slot] & kFoldedAnswer) != 0 && AddedFoldsTo(word, text, n)) {
                foldedAdded = entry.id;
            }
        }
    }
    return foldedStatic >= 0 ? foldedStatic : foldedAdded;
}

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Lexicon_BuildLookupIndex(Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    return BuildLookupIndex(lexicon);
}

int32_t Lexicon_DropLookupIndex(Lexicon* lexicon) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    DropLookupIndex(lexicon);
    return VANTIR_OK;
}

int32_t Lexicon_HasLookupIndex(const Lexicon* lexicon) {
    return lexicon != nullptr && lexicon->lookupIndex != nullptr ? 1 : 0;
}

int32_t Lexicon_EstimateLookupIndex(int32_t staticWords, int32_t addedCapacity) {
    const int64_t bytes = LookupIndexBytes(staticWords, addedCapacity);
    // 2^24 words of each kind come to about 215 MB, well inside the result.
    return bytes < 0 ? VANTIR_INVALID_ARGUMENT : static_cast<int32_t>(bytes);
}

}  // extern "C"

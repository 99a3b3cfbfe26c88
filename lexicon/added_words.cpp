// Words added at run time: adding a batch, removing words, renumbering the added
// ids and exporting the added words as a word list.
#include "lexicon/added_words.h"

#include <algorithm>

#include "lexicon/lexicon_object.h"
#include "lexicon/lookup_index.h"
#include "lexicon/word_lookup.h"
#include "lexicon/word_order.h"
#include "mempool/object_memory.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

// Adding words at run time: the batch is sorted, words already held are
// dropped, the rest take the next ids and are merged into addedSorted.

namespace {

// Keeps, in order, the words that are not empty and not yet held exactly. An
// empty word could never be looked up or removed, so it is not stored.
int32_t KeepNewWords(const Lexicon* lexicon, const char16_t* text, int32_t* words, int32_t count) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; i++) {
        const char16_t* word = text + words[i];
        const int32_t length = WStrLen(word);
        if (length == 0) continue;
        if (FindStatic(lexicon, word, length, CompareWordExact) >= 0) continue;
        if (FindAdded(lexicon, word, length, CompareWordExact) >= 0) continue;
        words[kept++] = words[i];
    }
    return kept;
}

bool EntryBefore(const Lexicon* lexicon, int32_t a, int32_t b) {
    return CompareEntryOrder(lexicon, lexicon->addedEntries[a], lexicon->addedEntries[b]) < 0;
}

// Stores one word with the next id; false when it does not fit.
bool StoreWord(Lexicon* lexicon, const char16_t* word, int32_t slot) {
    if (slot >= lexicon->addedCapacity || lexicon->nextId == INT32_MAX) return false;
    const int32_t length = WStrLen(word);
    if (int64_t{lexicon->addedCharsUsed} + length + 1 > lexicon->addedCharCapacity) return false;
    WStrCopy(lexicon->addedChars + lexicon->addedCharsUsed, word);
    AddedEntry& entry = lexicon->addedEntries[lexicon->addedCount];
    entry.id = lexicon->nextId;
    entry.text = lexicon->addedCharsUsed;
    lexicon->addedSorted[slot] = lexicon->addedCount;
    lexicon->addedCount++;
    lexicon->nextId++;
    if (lexicon->addedMaxLength < length) lexicon->addedMaxLength = length;
    lexicon->addedCharsUsed += length + 1;
    return true;
}

// Merges the sorted runs addedSorted[0..old) and [old..addedCount) in lexicon
// order, the old entry first on a tie.
bool MergeSortedRuns(Lexicon* lexicon, int32_t old) {
    const int32_t total = lexicon->addedCount;
    int32_t* merged = static_cast<int32_t*>(AllocArray(lexicon->pool, total, sizeof(int32_t)));
    if (merged == nullptr) return false;
    const int32_t* sorted = lexicon->addedSorted;
    int32_t a = 0;
    int32_t b = old;
    int32_t out = 0;
    while (a < old && b < total) {
        merged[out++] = EntryBefore(lexicon, sorted[a], sorted[b]) ? sorted[a++] : sorted[b++];
    }
    while (a < old)
        merged[out++] = sorted[a++];
    while (b < total)
        merged[out++] = sorted[b++];
    std::copy(merged, merged + total, lexicon->addedSorted);
    ObjectFree(lexicon->pool, merged);
    return true;
}

}  // namespace

int32_t AllocAddedBuffers(Lexicon* lexicon) {
    MemPool* pool = lexicon->pool;
    // Stops at the first refusal, so an impossible size never leads to asking
    // for the others.
    void* chars = AllocArray(pool, lexicon->addedCharCapacity, sizeof(char16_t));
    void* entries =
        chars == nullptr ? nullptr : AllocArray(pool, lexicon->addedCapacity, sizeof(AddedEntry));
    void* sorted =
        entries == nullptr ? nullptr : AllocArray(pool, lexicon->addedCapacity, sizeof(int32_t));
    if (sorted == nullptr) {
        ObjectFree(pool, sorted);
        ObjectFree(pool, entries);
        ObjectFree(pool, chars);
        return VANTIR_OUT_OF_MEMORY;
    }
    lexicon->addedChars = static_cast<char16_t*>(chars);
    lexicon->addedEntries = static_cast<AddedEntry*>(entries);
    lexicon->addedSorted = static_cast<int32_t*>(sorted);
    lexicon->addedCount = 0;
    lexicon->addedCharsUsed = 0;
    return VANTIR_OK;
}

int32_t MergeAdded(Lexicon* lexicon, const char16_t* text, const int32_t* words, int32_t count) {
    if (!HasAddedBuffers(lexicon)) return VANTIR_WRONG_STATE;
    if (count <= 0) return 0;
    const int32_t old = lexicon->addedCount;
    int32_t stored = 0;
    // Words come in lexicon order, so the first that does not fit ends the batch:
    // every later one is at least as long.
    while (stored < count && StoreWord(lexicon, text + words[stored], old + stored))
        stored++;
    // Every batch with a word to offer is merged, even into an empty list or when
    // none of its words fitted, so its merge array is asked for in every case.
    if (lexicon->addedCount == 0) return stored;
    if (!MergeSortedRuns(lexicon, old)) {
        // Without room for the merge, sort in place so that lookups stay right.
        int32_t* sorted = lexicon->addedSorted;
        std::sort(sorted, sorted + lexicon->addedCount,
                  [lexicon](int32_t a, int32_t b) { return EntryBefore(lexicon, a, b); });
        return VANTIR_OUT_OF_MEMORY;
    }
    return stored;
}

}  // namespace vantir

using namespace vantir;

extern "C" {

int32_t Lexicon_AddWords(Lexicon* lexicon, char16_t* wordList) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    NoteLexiconEdit(lexicon);
    MemPool* pool = lexicon->pool;
    int32_t count = CapToAddedCapacity(SplitWordList(wordList), lexicon->addedCapacity);
    int32_t* words = nullptr;
    if (count > 0) {
        words = NewWordArray(pool, wordList, &count);
        if (words == nullptr) return VANTIR_OUT_OF_MEMORY;
    }
    count = SortUniqueWords(wordList, words, count);
    count = KeepNewWords(lexicon, wordList, words, count);
    int32_t result;
    if (!HasAddedBuffers(lexicon) && AllocAddedBuffers(lexicon) != VANTIR_OK) {
        result = VANTIR_OUT_OF_MEMORY;
    } else {
        result = MergeAdded(lexicon, wordList, words, count);
    }
    ObjectFree(pool, words);
    RefreshAddedIndex(lexicon);
    return result;
}

}  // extern "C"

// Removing added words: mark the named ones, compact characters and entries in
// one pass, then rebuild addedSorted. Ids are not reused until a renumbering.
namespace vantir {

namespace {

constexpr int32_t kRemovedMark = -1;

// Drops marked entries; the kept texts move towards the start, still in id order.
void CompactAdded(Lexicon* lexicon) {
    int32_t write = 0;
    int32_t position = 0;
    int32_t maxLength = 0;
    for (int32_t i = 0; i < lexicon->addedCount; i++) {
        const AddedEntry entry = lexicon->addedEntries[i];
        if (entry.id < lexicon->staticCount) continue;
        const int32_t length = WStrLen(EntryText(lexicon, entry));
        // WStrCopy moves overlapping texts safely.
        if (entry.text != position) {
            WStrCopy(lexicon->addedChars + position, EntryText(lexicon, entry));
        }
        lexicon->addedEntries[write] = AddedEntry{entry.id, position};
        if (maxLength < length) maxLength = length;
        position += length + 1;
        write++;
    }
    lexicon->addedCount = write;
    lexicon->addedCharsUsed = position;
    lexicon->addedMaxLength = maxLength;
}

void RebuildSorted(Lexicon* lexicon) {
    int32_t* sorted = lexicon->addedSorted;
    for (int32_t i = 0; i < lexicon->addedCount; i++)
        sorted[i] = i;
    const AddedEntry* entries = lexicon->addedEntries;
    std::sort(sorted, sorted + lexicon->addedCount, [lexicon, entries](int32_t a, int32_t b) {
        return CompareEntryOrder(lexicon, entries[a], entries[b]) < 0;
    });
}

}  // namespace

int32_t RemoveAdded(Lexicon* lexicon, const char16_t* text, const int32_t* words, int32_t count) {
    if (!HasAddedBuffers(lexicon)) return VANTIR_WRONG_STATE;
    if (count <= 0) return 0;
    int32_t removed = 0;
    for (int32_t i = 0; i < count; i++) {
        const char16_t* word = text + words[i];
        const int32_t length = WStrLen(word);
        const int32_t k = SearchAdded(lexicon, word, length, length, CompareWordExact);
        if (k < 0) continue;
        AddedEntry& entry = lexicon->addedEntries[lexicon->addedSorted[k]];
        if (entry.id == kRemovedMark) continue;
        entry.id = kRemovedMark;
        removed++;
    }
    // Nothing marked leaves the buffers exactly as compaction would.
    if (removed == 0) return 0;
    CompactAdded(lexicon);
    RebuildSorted(lexicon);
    return removed;
}

}  // namespace vantir

extern "C" {

int32_t Lexicon_RemoveWords(Lexicon* lexicon, char16_t* wordList) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    NoteLexiconEdit(lexicon);
    if (!HasAddedBuffers(lexicon)) return 0;
    MemPool* pool = lexicon->pool;
    int32_t count = CapToAddedCapacity(SplitWordList(wordList), lexicon->addedCapacity);
    if (count <= 0) return 0;
    int32_t* words = NewWordArray(pool, wordList, &count);
    if (words == nullptr) return VANTIR_OUT_OF_MEMORY;
    const int32_t removed = RemoveAdded(lexicon, wordList, words, count);
    ObjectFree(pool, words);
    RefreshAddedIndex(lexicon);
    return removed;
}

}  // extern "C"

// Renumbering the added words into consecutive ids (reporting old to new), and
// exporting them as a word list in id order.
namespace vantir {

namespace {

constexpr char16_t kLineFeed = 10;
constexpr int32_t kNoNewId = -1;

}  // namespace

}  // namespace vantir

extern "C" {

int32_t Lexicon_Renumber(Lexicon* lexicon, int32_t* map) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t span = lexicon->nextId - lexicon->staticCount;
    if (map == nullptr) return span;
    NoteLexiconEdit(lexicon);
    for (int32_t i = 0; i < span; i++)
        map[i] = kNoNewId;
    // Entries are in id order, so new ids keep their relative order and
    // addedSorted stays valid.
    for (int32_t i = 0; i < lexicon->addedCount; i++) {
        AddedEntry& entry = lexicon->addedEntries[i];
        const int32_t newId = lexicon->staticCount + i;
        map[entry.id - lexicon->staticCount] = newId;
        entry.id = newId;
    }
    lexicon->nextId = lexicon->staticCount + lexicon->addedCount;
    return span;
}

int32_t Lexicon_ExportAdded(const Lexicon* lexicon, char16_t* buffer) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    const int32_t used = lexicon->addedCharsUsed;
    if (buffer == nullptr) return used;
    for (int32_t i = 0; i < used; i++) {
        const char16_t unit = lexicon->addedChars[i];
        buffer[i] = unit == 0 ? kLineFeed : unit;
    }
    buffer[used] = 0;
    return used;
}

}  // extern "C"

// Removing added words: mark the named ones, compact characters and entries in
// one pass, then rebuild addedSorted. Ids are not reused until a renumbering.
#include <algorithm>

#include "lexicon/added_lookup.h"
#include "lexicon/added_words.h"
#include "lexicon/word_list.h"
#include "lexicon/word_order.h"
#include "mempool/object_memory.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

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

using namespace vantir;

extern "C" {

int32_t Lexicon_RemoveWords(Lexicon* lexicon, char16_t* wordList) {
    if (lexicon == nullptr) return VANTIR_NULL_OBJECT;
    if (!HasAddedBuffers(lexicon)) return 0;
    MemPool* pool = lexicon->pool;
    int32_t count = CapToAddedCapacity(SplitWordList(wordList), lexicon->addedCapacity);
    if (count <= 0) return 0;
    int32_t* words = NewWordArray(pool, wordList, &count);
    if (words == nullptr) return VANTIR_OUT_OF_MEMORY;
    const int32_t removed = RemoveAdded(lexicon, wordList, words, count);
    ObjectFree(pool, words);
    return removed;
}

}  // extern "C"

// Lexicon order (the comparisons behind the binary searches) and the word lists
// that builds and additions sort into it.
#include "lexicon/word_order.h"

#include <algorithm>

#include "lexicon/lexicon_object.h"
#include "textutil/byte_order.h"
#include "vantir/textutil.h"

namespace vantir {

// Comparisons that define lexicon order and drive the binary searches. Case
// folding is ASCII only, so 'A' sorts before 'a' and both before 'B'.

int32_t CompareWordExact(const void* a, const void* b, int32_t n) {
    return CompareWordExactInline(a, b, n);
}

int32_t CompareWordFolded(const void* a, const void* b, int32_t n) {
    return CompareWordFoldedInline(a, b, n);
}

int32_t CompareWordOrder(const char16_t* a, const char16_t* b) {
    const int32_t lengthA = WStrLen(a);
    const int32_t lengthB = WStrLen(b);
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    return CompareWordExact(a, b, lengthA);
}

int32_t CompareEntryOrder(const Lexicon* lexicon, const AddedEntry& p, const AddedEntry& q) {
    return CompareWordOrder(EntryText(lexicon, p), EntryText(lexicon, q));
}

uint32_t UnitOrderKey(uint32_t unit) {
    return static_cast<uint32_t>(ToUpperAscii(static_cast<int32_t>(unit))) << 16 | unit;
}

// Splitting a word list in place and preparing its words for a build or an
// addition: gathered by offset, sorted into lexicon order, duplicates dropped.

namespace {

constexpr char16_t kLineFeed = 10;
constexpr char16_t kCarriageReturn = 13;
// A list may offer twice as many words as the lexicon can add, since some of
// them may be duplicates or words it already holds.
constexpr int64_t kListWordsPerSlot = 2;

}  // namespace

int32_t SplitWordList(char16_t* text) {
    if (text == nullptr || text[0] == 0) return 0;
    const char16_t* read = text;
    char16_t* write = text;
    int32_t count = 0;
    while (*read != 0) {
        const bool lineBreak =
            *read == kLineFeed || (*read == kCarriageReturn && read[1] == kLineFeed);
        if (!lineBreak) {
            *write++ = *read++;
            continue;
        }
        *write++ = 0;
        count++;
        read++;
        if (*read == kLineFeed) read++;
    }
    if (write != text && write[-1] != 0) {
        *write = 0;
        count++;
    }
    return count;
}

int32_t* NewWordArray(MemPool* pool, const char16_t* text, int32_t* count) {
    int32_t* words = static_cast<int32_t*>(AllocArray(pool, *count, sizeof(int32_t)));
    if (words == nullptr) return nullptr;
    int64_t offset = 0;
    for (int32_t i = 0; i < *count; i++) {
        if (offset > INT32_MAX) {
            *count = i;
            break;
        }
        words[i] = static_cast<int32_t>(offset);
        offset += int64_t{WStrLen(text + offset)} + 1;
    }
    return words;
}

int32_t SortUniqueWords(const char16_t* text, int32_t* words, int32_t count) {
    if (count <= 0) return 0;
    std::sort(words, words + count,
              [text](int32_t a, int32_t b) { return CompareWordOrder(text + a, text + b) < 0; });
    int32_t kept = 1;
    for (int32_t i = 1; i < count; i++) {
        if (WStrCompare(text + words[i], text + words[kept - 1]) != 0) words[kept++] = words[i];
    }
    return kept;
}

int32_t CapToAddedCapacity(int32_t count, int32_t addedCapacity) {
    const int64_t limit = kListWordsPerSlot * addedCapacity;
    if (limit <= 0) return 0;
    return count < limit ? count : static_cast<int32_t>(limit);
}

}  // namespace vantir

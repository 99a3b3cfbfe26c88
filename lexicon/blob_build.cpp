// Building a "WPB" blob from a word list: split, sort into lexicon order, drop
// duplicates, count per length, then lay the words out bucket after bucket.
#include <cstring>

#include "lexicon/blob_layout.h"
#include "lexicon/lexicon_object.h"
#include "lexicon/word_list.h"
#include "mempool/object_memory.h"
#include "textutil/blob_header.h"
#include "textutil/byte_order.h"
#include "vantir/lexicon.h"
#include "vantir/textutil.h"

namespace vantir {

namespace {

constexpr int64_t kMaxBlobBytes = INT32_MAX;

// Running word and unit counts per length: entry L covers every stored word of
// at most L units, which is exactly what idOffsets and charOffsets hold.
struct StaticCounts {
    int64_t ids[kMaxStaticWordLength + 1];
    int64_t units[kMaxStaticWordLength + 1];
    int32_t wordCount;
    int32_t maxLength;
};

bool StoredLength(int32_t length) {
    return length >= 1 && length <= kMaxStaticWordLength;
}

void CountStaticWords(const char16_t* text, const int32_t* words, int32_t count,
                      StaticCounts* counts) {
    *counts = StaticCounts{};
    for (int32_t i = 0; i < count; i++) {
        const int32_t length = WStrLen(text + words[i]);
        if (!StoredLength(length)) continue;
        counts->ids[length]++;
        counts->units[length] += length;
        counts->wordCount++;
        if (counts->maxLength < length) counts->maxLength = length;
    }
    for (int32_t L = 1; L <= counts->maxLength; L++) {
        counts->ids[L] += counts->ids[L - 1];
        counts->units[L] += counts->units[L - 1];
    }
}

void FillBlob(unsigned char* blob, int64_t size, const StaticCounts& counts, const char16_t* text,
              const int32_t* words, int32_t count) {
    const int32_t maxLength = counts.maxLength;
    MemFill(blob, 0, static_cast<int32_t>(size));
    WriteBlobHeader(blob, static_cast<uint32_t>(size), kLexiconBlobTag, kLexiconBlobVersion);
    StoreI32(blob + kWpbWordCountAt, counts.wordCount);
    StoreI32(blob + kWpbMaxLengthAt, maxLength);
    unsigned char* charOffsets = blob + kWpbCharOffsetsAt;
    unsigned char* idOffsets = blob + WpbIdOffsetsAt(maxLength);
    for (int32_t L = 0; L <= maxLength; L++) {
        StoreI32(charOffsets + kWpbFieldBytes * L, static_cast<int32_t>(counts.units[L]));
        StoreI32(idOffsets + kWpbFieldBytes * L, static_cast<int32_t>(counts.ids[L]));
    }
    // The words are sorted by length first, so storage order is bucket order.
    unsigned char* units = blob + WpbUnitsAt(maxLength);
    for (int32_t i = 0; i < count; i++) {
        const int32_t length = WStrLen(text + words[i]);
        if (!StoredLength(length)) continue;
        for (int32_t u = 0; u < length; u++) {
            StoreU16(units, static_cast<uint16_t>(text[words[i] + u]));
            units += kWpbUnitBytes;
        }
    }
}

}  // namespace

}  // namespace vantir

using namespace vantir;

extern "C" {

void* Lexicon_BuildBlob(Lexicon* lexicon, char16_t* wordList, int32_t* outSize) {
    if (outSize != nullptr) *outSize = 0;
    if (lexicon == nullptr || lexicon->ownBlob != nullptr || HasAddedBuffers(lexicon)) {
        return nullptr;
    }
    MemPool* pool = lexicon->pool;
    int32_t count = SplitWordList(wordList);
    int32_t* words = nullptr;
    if (count > 0) {
        words = NewWordArray(pool, wordList, &count);
        if (words == nullptr) return nullptr;
    }
    count = SortUniqueWords(wordList, words, count);

    StaticCounts counts;
    CountStaticWords(wordList, words, count, &counts);
    const int64_t size = WpbBlobSize(counts.maxLength, counts.units[counts.maxLength]);
    void* blob = size <= kMaxBlobBytes ? ObjectAlloc(pool, static_cast<size_t>(size)) : nullptr;
    if (blob == nullptr) {
        ObjectFree(pool, words);
        ClearStaticPart(lexicon);
        return nullptr;
    }
    FillBlob(static_cast<unsigned char*>(blob), size, counts, wordList, words, count);
    ObjectFree(pool, words);
    if (UseStaticPart(lexicon, static_cast<const unsigned char*>(blob), counts.wordCount,
                      counts.maxLength) != VANTIR_OK) {
        ObjectFree(pool, blob);
        return nullptr;
    }
    lexicon->ownBlob = blob;
    if (outSize != nullptr) *outSize = static_cast<int32_t>(size);
    return blob;
}

}  // extern "C"
